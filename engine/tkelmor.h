// TKelmorClass: the database engine. One object holds at most one open database: the
// index file (".idx"), the data file (".dat") and the blob file (".blb") of one base
// name. The whole node and blob index lives in memory while the database is open;
// node records are read and written one at a time through the work buffer.
#pragma once

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/atomicvalue.h"
#include "engine/blobindex.h"
#include "engine/fileio.h"
#include "engine/hashtbl.h"
#include "engine/journal.h"
#include "engine/kelmorerrors.h"
#include "engine/kelmorheader.h"
#include "engine/keytypes.h"
#include "engine/nodeindex.h"
#include "engine/recordstore.h"
#include "engine/regional.h"
#include "engine/scramble.h"
#include "engine/userblock.h"

namespace kelmor {

// Results of creating, opening and flushing.
constexpr int kResultOK = 0;
constexpr int kResultAccessDenied = 5;  // the files may not be opened (permissions, read-only medium)
constexpr int kResultLogonRefused = 14;
constexpr int kResultDamaged = 1392;       // a file of the database is damaged; see LastErrorText()
constexpr int kResultInUse = EWOULDBLOCK;  // open for writing by another engine or program

// Maps an errno value to a result: access problems become kResultAccessDenied, and the
// two errno values that would collide with 5 and 14 are moved out of the way.
int ResultFromErrno(int errnoValue);

struct TKelmorLogin {
    std::string userName;  // at most 19 characters
    std::string password;  // at most 19 characters
};

struct TKelmorInfo {
    uint16_t majorVersion = 0;
    uint8_t minorVersion = 0;
    uint16_t nodeCount = 0;
    int32_t lastNodeID = 0;
    int32_t nodeBucketsInUse = 0;
    int32_t nodeLongestBucket = 0;
    int32_t parentBucketsInUse = 0;
    int32_t parentLongestBucket = 0;
    uint16_t blobCount = 0;
    int32_t lastBlobID = 0;
    int32_t blobBucketsInUse = 0;
    int32_t blobLongestBucket = 0;
    int32_t markedNode = 0;
    uint8_t securityType = 0;
    uint16_t stamp = 0;
};

// The state of a child enumeration: whose children, and the child reached.
struct TKelmorNodeRec {
    int32_t parentID = 0;  // after a link parent was replaced by its source
    int32_t currentID = 0;
    TKelmorNodeEntry entry;  // a copy of the current child's entry
};

// Search flags.
constexpr uint16_t sfNodeDescriptions = 1;
constexpr uint16_t sfKeyNames = 2;
constexpr uint16_t sfKeyValues = 4;
constexpr uint16_t sfCaseSensitive = 8;
constexpr uint16_t sfReplaceAll = 16;       // the caller's
constexpr uint16_t sfPromptOnReplace = 32;  // the caller's
constexpr uint16_t sfWildcards = 64;
constexpr uint16_t sfWholeValue = 128;
constexpr uint16_t sfSubNodesOnly = 256;
constexpr uint16_t sfScanLinks = 512;
constexpr uint16_t sfBrokenLinks = 1024;
constexpr uint16_t sfProcessMessages = 32768;

constexpr int kSearchStackSize = 128;

// Where the last match of a search lies.
constexpr uint8_t kFoundNone = 0;
constexpr uint8_t kFoundDescription = 1;  // or a broken link
constexpr uint8_t kFoundKeyName = 2;
constexpr uint8_t kFoundKeyValue = 3;

class TKelmorClass;
class TSearchPattern;

// The caller-owned state of a search; a value-initialised record is ready for use.
struct TKelmorSearch {
    struct TFrame {
        int32_t node = 0;  // whose children this level walks
        bool started = false;
        int32_t childID = 0;  // the child reached
    };
    uint8_t callerByte = 0;
    uint16_t flags = 0;
    uint8_t depth = 0;  // 0: finished
    uint16_t nodesReached = 0;
    std::array<TFrame, kSearchStackSize> stack{};
    std::string searchText;
    std::string replacementText;
    int32_t startNode = 0;
    TAtomicValue<uint8_t> foundIn = kFoundNone;  // CancelSearch clears it from another thread
    uint16_t foundKey = 0;
    bool resume = false;
    std::function<void(TKelmorClass& engine, int percent)> onProgress;
    uint16_t progressStep = 0;  // 0: every 50 nodes
    // Called after every step when sfProcessMessages is set.
    std::function<void()> processMessages;
};

using TTextComparer = std::function<int(const std::string&, const std::string&)>;

// A text prepared once for many comparisons in a sort: two keys compare as the texts
// they were made from compare.
class TCollationKey {
public:
    virtual ~TCollationKey() = default;
    // Negative, 0 or positive, as the text comparer would answer for the two texts.
    virtual int Compare(const TCollationKey& other) const = 0;
};
using TCollationKeyMaker = std::function<std::unique_ptr<TCollationKey>(const std::string& text)>;

// Latin-1 text compared without regard to letter case, byte by byte.
int CompareTextIgnoringCase(const std::string& a, const std::string& b);

class TKelmorClass {
public:
    static constexpr uint32_t kWorkBufferSize = 65510;
    static constexpr uint32_t kRecordHeaderSize = 4;  // before the items of a node record
    static constexpr int32_t kTableBuckets = 100;

    TKelmorClass();
    ~TKelmorClass();
    TKelmorClass(const TKelmorClass&) = delete;
    TKelmorClass& operator=(const TKelmorClass&) = delete;

    // ---- Files, header and lifecycle ----
    static TKelmorLogin MakeLogin(const std::string& userName, const std::string& password);
    int CreateDatabase(const std::string& baseName, const TKelmorLogin& login);
    // Raises EKelmorCheckSumFailed after a complete open when the stamps of the three
    // files differ; the database is then open and usable.
    int OpenDatabase(const std::string& baseName, bool readOnly, const TKelmorLogin& login);
    int Flush();
    // Writes the index (unless read-only) and closes the files. Returns 0 or the result
    // of the failed save (LastErrorText() says more); the database is closed either way,
    // and after a failure its files hold what the last completed save wrote.
    int Close();
    // Closes the database without saving what changed since the last save: its files keep
    // that save (nothing is written to them between saves), and the writer's lock goes.
    void Discard();
    bool IsOpen() const { return !baseName_.empty(); }
    bool Modified() const { return modified_; }
    bool IsReadOnly() const { return readOnly_; }
    std::string GetFileName() const;
    const std::string& GetBaseName() const { return baseName_; }
    static std::string RemoveExtension(const std::string& fileName);
    // The base path of a file of a database: its last component without its extension
    // (a "." in a folder name stays, unlike RemoveExtension's).
    static std::string BasePathOf(const std::string& fileName);
    TKelmorInfo GetInfo();
    uint8_t NodeSpaceFree() const;
    int64_t DiskFree() const;
    // What went wrong in the last create, open or flush that did not return 0.
    const std::string& LastErrorText() const { return lastErrorText_; }

    const TKelmorHeader& Header() const { return header_; }
    uint8_t SecurityType() const { return securityType_; }
    uint16_t Stamp() const { return stamp_; }

    // Regional settings for the display texts of values (KeyValueText).
    void SetRegionalSettings(const TRegionalSettings& settings) { regional_ = settings; }
    const TRegionalSettings& RegionalSettings() const { return regional_; }

    // ---- The current node record (the work buffer) and its keys ----
    void ClearNode();
    bool LoadNode(int32_t nodeID);
    void SaveNode(int32_t nodeID);
    // The record as held in the work buffer: its length T and its bytes.
    uint16_t RecordLength() const;
    const uint8_t* RecordBytes() const { return work_.get(); }

    std::string GetDescription() const;
    void SetDescription(std::string_view description);
    uint16_t KeyCount() const;
    uint8_t KeyType(uint16_t index) const;
    std::string GetKeyName(uint16_t index) const;
    void RenameKey(uint16_t index, const std::string& name);
    uint16_t FindKey(const std::string& name) const;

    uint8_t GetByteKey(uint16_t index) const;
    int16_t GetIntegerKey(uint16_t index) const;
    int32_t GetLongintKey(uint16_t index) const;
    float GetFloatKey(uint16_t index) const;
    std::string GetStringKey(uint16_t index) const;
    // Copies the bytes into `buffer` (at least 255 bytes) and returns their number.
    uint8_t GetSequenceKey(uint16_t index, uint8_t* buffer) const;
    std::string GetSequenceKey(uint16_t index) const;
    // The blob's size; with a buffer (at least that size) also its bytes.
    uint16_t GetBlobKey(uint16_t index, uint8_t* buffer) const;
    std::vector<uint8_t> GetBlobKey(uint16_t index) const;
    int64_t GetCurrencyKey(uint16_t index) const;
    double GetDoubleKey(uint16_t index) const;
    double GetDateKey(uint16_t index) const;  // 0 for "no date"

    void AddByteKey(const std::string& name, uint8_t value);
    void AddIntegerKey(const std::string& name, int16_t value);
    void AddLongintKey(const std::string& name, int32_t value);
    void AddFloatKey(const std::string& name, float value);
    void AddStringKey(std::string_view name, std::string_view value);
    void AddSequenceKey(const std::string& name, const uint8_t* data, size_t length);
    void AddBlobKey(const std::string& name, const uint8_t* data, size_t size);
    void AddCurrencyKey(const std::string& name, int64_t scaledBy10000);
    void AddDoubleKey(const std::string& name, double value);
    void AddDateKey(const std::string& name, double dateTime);

    void InsertByteKey(const std::string& name, uint16_t index, uint8_t value);
    void InsertIntegerKey(const std::string& name, uint16_t index, int16_t value);
    void InsertLongintKey(const std::string& name, uint16_t index, int32_t value);
    void InsertFloatKey(const std::string& name, uint16_t index, float value);
    void InsertStringKey(std::string_view name, uint16_t index, std::string_view value);
    void InsertSequenceKey(const std::string& name, uint16_t index, const uint8_t* data, size_t length);
    void InsertBlobKey(const std::string& name, uint16_t index, const uint8_t* data, size_t size);
    void InsertCurrencyKey(const std::string& name, uint16_t index, int64_t scaledBy10000);
    void InsertDoubleKey(const std::string& name, uint16_t index, double value);
    void InsertDateKey(const std::string& name, uint16_t index, double dateTime);

    void DeleteKey(uint16_t index);
    void SwapKeys(uint16_t index);
    void MarkKey(uint16_t index);
    void CutKey(uint16_t index);
    void PasteKey();
    bool KeyMarked() const { return keyClipboard_.marked; }
    std::string KeyValueText(uint16_t index) const;

    // ---- Users and access levels ----
    int CheckLogin(const std::string& userName, const std::string& password) const;
    uint8_t CurrentUser() const { return currentUser_; }
    std::string GetUserName(int user) const;
    std::string GetCurrentUserName() const { return GetUserName(currentUser_); }
    void SetUser(int user, const std::string& userName, const std::string& password);
    void ChangePassword(const std::string& newPassword);
    uint8_t GetNodeSecurity(int32_t nodeID) const;
    void SetNodeSecurity(int32_t nodeID, uint8_t level, bool readOnly);
    bool CanModifyNode(int32_t nodeID) const;

    // ---- Tree ----
    static constexpr int32_t RootNode() { return 0; }
    bool NodeExists(int32_t nodeID) const;
    int32_t GetParent(int32_t nodeID) const;
    bool HasChildren(int32_t nodeID) const;
    // The children that the current user may see, in their order; a link's children are
    // those of its source.
    bool FindFirstChild(TKelmorNodeRec& rec, int32_t parentID) const;
    bool FindNextChild(TKelmorNodeRec& rec) const;
    // Stores the work buffer as a new node, the last child of `parentID`; -1 when the
    // parent is a link.
    int32_t CreateNode(int32_t parentID);
    int32_t CreateLink(int32_t parentID);
    bool IsLink(int32_t nodeID) const;
    int32_t GetLinkSource(int32_t linkID) const;
    void SetLinkSource(int32_t linkID, int32_t sourceID);
    bool DeleteNode(int32_t nodeID);
    void SortChildren(int32_t parentID);
    void ExchangeNodes(int32_t first, int32_t second);
    void MarkNode(int32_t nodeID);
    bool NodeMarked() const { return markedNode_ > 0; }
    int32_t MarkedNode() const { return markedNode_; }
    bool CanMoveMarkedNode(int32_t newParentID) const;
    bool MoveMarkedNode(int32_t newParentID);
    bool CanCopyMarkedNode(int32_t newParentID) const;
    int32_t CopyMarkedNode(int32_t newParentID);
    std::string GetNodePath(int32_t nodeID);
    int32_t FindNodeByPath(const std::string& path);
    static std::string GetPathElement(const std::string& path, int depth, bool withPrefix);
    // The comparison that sorting uses (negative, 0, positive); by default Latin-1 text
    // compared without regard to letter case.
    void SetTextComparer(TTextComparer comparer) { compareText_ = std::move(comparer); }
    // Keys that order texts exactly as the text comparer does, made once per child when a
    // branch is sorted (much faster than comparing the texts themselves each time).
    void SetCollationKeys(TCollationKeyMaker maker) { makeCollationKey_ = std::move(maker); }

    // ---- Search ----
    int32_t SearchFirst(TKelmorSearch& search);
    int32_t SearchNext(TKelmorSearch& search);
    static bool NoSearchMatch(const TKelmorSearch& search) { return search.foundIn == 0; }
    // May be called from another thread while a search runs.
    void CancelSearch(TKelmorSearch& search);

private:
    struct TKeyClipboard {
        bool marked = false;
        std::string name;
        uint8_t type = 0;
        std::vector<uint8_t> value;
    };

    // Record items (1-based positions in the work buffer).
    uint16_t ItemCount() const;
    uint32_t ItemOffset(uint32_t item) const;  // 0 when the item does not exist
    void SetRecordHeader(uint32_t length, uint32_t count);
    void EnsureRoom(uint32_t bytes) const;  // raises EKelmorKeyListFullError
    void AppendItem(uint8_t type, const uint8_t* value, uint32_t length);
    void InsertItem(uint32_t position, uint8_t type, const uint8_t* value, uint32_t length);
    void RemoveItem(uint32_t position);
    // The value item of key `index`, checked for existence, type and size.
    const uint8_t* KeyValue(uint16_t index, uint8_t type, uint32_t* length = nullptr) const;
    void CheckWritable() const;
    void CheckKeyIndex(uint16_t index, uint16_t highest) const;
    void AddKeyItems(std::string_view name, uint8_t type, const uint8_t* value, uint32_t length);
    void InsertKeyItems(std::string_view name, uint16_t index, uint8_t type, const uint8_t* value, uint32_t length);
    void CheckLoadedRecord(int32_t nodeID, uint32_t available);

    // Tree.
    void CheckNodeRoom(size_t more) const;
    void ReadRecordOf(const TNodeSlot& slot);  // into the work buffer, without access checks
    const TNodeSlot* ResolveLinkChain(int32_t nodeID) const;
    int32_t EnumerationParent(int32_t parentID) const;
    bool LiesInBranch(int32_t nodeID, int32_t branchTop) const;
    void RemoveOneNode(TNodeSlot* slot);
    TNodeSlot* AddLink(int32_t parentID, const TNodeSlot& source);
    int32_t CopyBranch(const TNodeSlot& top, int32_t parentID);
    std::string DescriptionForPath(int32_t nodeID);

    // Search.
    int32_t SearchStep(TKelmorSearch& search, int depth, const TSearchPattern& pattern);
    bool MatchInRecord(TKelmorSearch& search, const TSearchPattern& pattern, bool continuing, uint8_t previousFoundIn,
                       uint16_t previousKey);

    // Blobs.
    TKelmorBlobEntry* FindBlob(int32_t blobID) const;
    std::array<uint8_t, 14> StoreBlob(const uint8_t* data, size_t size);
    // Deletes the blob of blob key `index` of the current record.
    void DeleteBlobOfKey(uint16_t index);
    void ReadBlob(TKelmorBlobEntry& blob, uint8_t* buffer, uint32_t size) const;
    int32_t BlobIDOfKey(uint16_t index) const;
    // Blob layout: see tkelmor_bloblayout.cpp.
    std::string PlaceBlobs(uint64_t blobSize);
    void CheckBlobPlace(TKelmorBlobEntry& blob, uint32_t size) const;
    void ResolveBlobLayout(const std::unordered_map<int32_t, uint32_t>& sizes) const;
    void CollectBlobSizes(std::unordered_map<int32_t, uint32_t>& sizes) const;

    void Reset();
    void CloseFiles();
    // The engine holds no database any more (the files are closed already).
    void ForgetDatabase();
    int Fail(int result, const std::string& text);
    int FailErrno(int errnoValue, const std::string& path);
    int RecoverUnfinishedFlush();
    int ReadIndex(const TKelmorLogin& login);
    void ApplyVersionRules();
    std::string ParseEntries(const std::vector<uint8_t>& file, size_t offset);
    std::string CheckCounters() const;
    std::string CheckTree() const;
    std::string PlaceRecords(uint64_t dataSize);
    bool HasRecords() const;
    int LockIndexFile();
    int OpenDataFile(bool& compareStamp, uint16_t& stamp);
    int OpenBlobFile(bool& compareStamp, uint16_t& stamp);
    int WriteIndex();
    // The sizes of the data and blob files as the last completed save left them.
    TCommittedSizes CommittedSizes() const;
    // Puts the committed sizes on disk (the uncommitted journal) before scratch data is
    // first written behind the committed ends; throws EKelmorFileError.
    void SecureCommittedSizes();
    // Cuts scratch data written behind the committed ends off again (closing without saving).
    void CutBackScratchData();
    // The whole index file for the current state (stamp 0); updates the header.
    // Fills `header` (a copy of the engine's) for the write.
    std::vector<uint8_t> BuildIndexFile(TKelmorHeader& header);
    std::string IndexPath() const { return baseName_ + ".idx"; }
    std::string DataPath() const { return baseName_ + ".dat"; }
    std::string BlobPath() const { return baseName_ + ".blb"; }

    TKelmorHeader header_;
    TUserBlock users_{};
    uint8_t currentUser_ = 0;
    uint16_t stamp_ = 0;
    bool readOnly_ = false;
    TFileHandle indexFile_;
    TFileHandle dataFile_;
    TFileHandle blobFile_;
    std::string baseName_;
    std::unique_ptr<uint8_t[]> work_;
    TNodeIndex nodes_;
    TBlobIndex blobs_;
    TRecordStore records_;
    TRecordStore blobData_;
    // Why the blob file is not open although the index lists blobs ("" when it is).
    std::string blobFileProblem_;
    // Whether every committed blob's place has been checked against the sizes in the
    // records (done on first need: files of other writers may hold blobs of size 0 at
    // any position).
    mutable bool blobLayoutResolved_ = false;
    int32_t markedNode_ = 0;
    TKeyClipboard keyClipboard_;
    TTextComparer compareText_;
    TCollationKeyMaker makeCollationKey_;
    std::atomic<bool> cancelSearch_{false};
    TRegionalSettings regional_;
    std::vector<uint8_t> saveBuffer_;
    bool modified_ = false;
    uint8_t securityType_ = kSecurityKeyed;
    bool journalPending_ = false;
    std::string lastErrorText_;
    std::mt19937 random_;
};

}  // namespace kelmor
