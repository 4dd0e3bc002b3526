// TImporterKMT: the import job that reads a file of the text interchange format back:
// sections become nodes (found or created by path below the import location), key lines
// become keys (a key of the same name is replaced), link records become links, those
// whose source comes later in the file once the whole file has been read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "interchange/timportpaths.h"
#include "interchange/tkelmorinout.h"
#include "interchange/ttextlinereader.h"

namespace kelmor {

class TImporterKMT : public TKelmorInOut {
public:
    TImporterKMT(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                 TKelmorClass& database);
    ~TImporterKMT() override;

    // The longest line read: the section line of the deepest path a database can hold
    // (65535 levels of 255 characters and their "\"), with room to spare.
    static constexpr size_t kMaxLineLength = 65535u * 256u + 4096u;

    // The location followed by "\" (empty for the root): every path of the file is
    // read below it.
    const std::string& ImportLocationPrefix() const { return prefix_; }
    // Physical lines read so far (blank and comment lines included).
    uint64_t LineCount() const { return reader_.LineCount(); }

protected:
    void Execute() override;

private:
    struct TPendingLink {
        TNodePath sourcePath;  // below the import location
        int32_t parent;
    };

    std::string ReadSignificantLine();
    void ImportLines();
    void ProcessLine(const std::string& line);
    void ProcessSection(const std::string& line);
    void ProcessLink(const std::string& line);
    void ProcessKey(const std::string& line);
    std::vector<uint8_t> ReadHexBlock(std::string value, size_t capacity, const char* typeName);
    // The path of a section or a link record below the import location.
    TNodePath BelowLocation(const std::string& pathText) const;
    void CreateLinkTo(int32_t parent, int32_t source);
    void SaveCurrentNode();
    void ResolvePendingLinks();
    // Ends the import with the text and the number of the last line read.
    [[noreturn]] void Fail(const std::string& text) const;
    std::string LineSuffix() const;

    std::string prefix_;
    TNodePath location_;
    TTextLineReader reader_{kMaxLineLength};
    std::unique_ptr<TImportPaths> paths_;
    int32_t currentNode_ = -1;
    uint64_t processed_ = 0;
    std::vector<TPendingLink> pendingLinks_;
};

}  // namespace kelmor
