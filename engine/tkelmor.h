// TKelmorClass: the database engine. One object holds at most one open database: the
// index file (".idx"), the data file (".dat") and the blob file (".blb") of one base
// name. The whole node and blob index lives in memory while the database is open;
// node records are read and written one at a time through the work buffer.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fileio.h"
#include "hashtbl.h"
#include "kelmorerrors.h"
#include "kelmorheader.h"
#include "nodeindex.h"
#include "recordstore.h"
#include "scramble.h"
#include "userblock.h"

namespace kelmor {

// Results of creating, opening and flushing.
constexpr int kResultOK = 0;
constexpr int kResultAccessDenied = 5;   // the files may not be opened (permissions, read-only medium)
constexpr int kResultLogonRefused = 14;
constexpr int kResultDamaged = 1392;     // a file of the database is damaged; see LastErrorText()

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

// A blob index entry (8 bytes in the index file) and where the blob's bytes are now.
struct TKelmorBlobEntry {
    int32_t blobID = 0;
    int32_t position = 0;  // as last written to the index file
    TStoreLocation data;
};

class TKelmorClass {
public:
    static constexpr uint32_t kWorkBufferSize = 65510;
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
    // Writes the index (unless read-only) and closes the files; errors are ignored.
    void Close();
    bool IsOpen() const { return !baseName_.empty(); }
    bool Modified() const { return modified_; }
    bool IsReadOnly() const { return readOnly_; }
    std::string GetFileName() const;
    const std::string& GetBaseName() const { return baseName_; }
    static std::string RemoveExtension(const std::string& fileName);
    TKelmorInfo GetInfo();
    uint8_t NodeSpaceFree() const;
    int64_t DiskFree() const;
    // What went wrong in the last create, open or flush that did not return 0.
    const std::string& LastErrorText() const { return lastErrorText_; }

    const TKelmorHeader& Header() const { return header_; }
    uint8_t SecurityType() const { return securityType_; }
    uint16_t Stamp() const { return stamp_; }

    // ---- Users ----
    int CheckLogin(const std::string& userName, const std::string& password) const;
    uint8_t CurrentUser() const { return currentUser_; }

private:
    void Reset();
    void CloseFiles();
    int Fail(int result, const std::string& text);
    int FailErrno(int errnoValue, const std::string& path);
    int RecoverUnfinishedFlush();
    int ReadIndex(const TKelmorLogin& login);
    void ApplyVersionRules();
    std::string ParseEntries(const std::vector<uint8_t>& file, size_t offset);
    std::string CheckTree() const;
    std::string PlaceRecords(uint64_t dataSize);
    std::string PlaceBlobs(uint64_t blobSize);
    int OpenDataFile(bool& compareStamp, uint16_t& stamp);
    int OpenBlobFile(bool& compareStamp, uint16_t& stamp);
    int WriteIndex();
    // The whole index file for the current state (stamp 0); updates the header.
    std::vector<uint8_t> BuildIndexFile();
    std::string IndexPath() const { return baseName_ + ".idx"; }
    std::string DataPath() const { return baseName_ + ".dat"; }
    std::string BlobPath() const { return baseName_ + ".blb"; }
    std::vector<TKelmorBlobEntry*> BlobsInStoredOrder() const;
    void FreeBlobEntries();

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
    THashTable blobs_;
    TRecordStore records_;
    TRecordStore blobData_;
    int32_t markedNode_ = 0;
    bool modified_ = false;
    uint8_t securityType_ = kSecurityKeyed;
    bool journalPending_ = false;
    std::string lastErrorText_;
    std::mt19937 random_;
};

}  // namespace kelmor
