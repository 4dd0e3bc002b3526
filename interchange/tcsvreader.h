// TCSVReader: splits a comma-separated text file into lines and fields. A line ends at
// CR or LF; a second CR or LF right behind it belongs to the same line end; an empty line
// ends the data. Two rule sets split a line: the space-and-comma (SDF) rules, where
// spaces and control characters separate fields, and the plain rules, where only
// commas and control characters do. Under both, a field may be quoted with double
// quotes, two double quotes inside standing for one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelmor {

class TCSVReader {
public:
    // The longest line read; longer lines end the reading with an error.
    static constexpr size_t kMaxLineLength = 1024 * 1024;

    // Reads `stream` (not owned) in blocks of `bufferSize` bytes; lines may be longer
    // than a block. Starts with the SDF rules.
    TCSVReader(std::istream& stream, size_t bufferSize);

    bool SDFMode() const { return sdfMode_; }
    void SetSDFMode(bool sdfMode) { sdfMode_ = sdfMode; }

    // Back to the start of the stream; no fields, no lines read.
    void Reset();
    // Reads the next line and splits it into fields: false at the end of the data (an
    // empty line or the end of the file), and from then on until the next Reset. Raises
    // std::runtime_error for a line longer than kMaxLineLength, a file that holds a NUL
    // byte (binary data, found as the blocks are read) and a file that cannot be read.
    bool NextRecord();

    int FieldCount() const { return static_cast<int>(spans_.size()); }
    // Fields are counted from 1; valid until the next NextRecord or Reset.
    std::string_view Field(int field) const;
    // The lines read since the last Reset.
    int64_t LineCount() const { return lineCount_; }

private:
    bool Fill();
    // The next line without its line end; empty at the end of the data.
    std::string_view ReadLine();
    void Split(std::string_view line);

    std::istream& stream_;
    std::vector<char> buffer_;
    size_t position_ = 0;
    size_t end_ = 0;
    uint64_t blockOffset_ = 0;  // of the buffer's first byte in the file
    bool skipLineEnd_ = false;  // the previous line ended with CR or LF: one more may follow
    bool finished_ = false;
    bool sdfMode_ = true;
    std::string longLine_;                          // a line that did not fit into the rest of the buffer
    std::string fieldText_;                         // the fields of the current line, one after another
    std::vector<std::pair<size_t, size_t>> spans_;  // start and length of each field in fieldText_
    int64_t lineCount_ = 0;
};

}  // namespace kelmor
