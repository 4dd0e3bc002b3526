#include "interchange/tcsvreader.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kelmor {

namespace {
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
}  // namespace

TCSVReader::TCSVReader(std::istream& stream, size_t bufferSize)
    : stream_(stream), buffer_(std::max<size_t>(bufferSize, 1)) {
    Reset();
}

void TCSVReader::Reset() {
    stream_.clear();
    stream_.seekg(0);
    position_ = end_ = 0;
    blockOffset_ = 0;
    skipLineEnd_ = false;
    finished_ = false;
    longLine_.clear();
    fieldText_.clear();
    spans_.clear();
    lineCount_ = 0;
}

std::string_view TCSVReader::Field(int field) const {
    const auto& [start, length] = spans_.at(static_cast<size_t>(field - 1));
    return std::string_view(fieldText_).substr(start, length);
}

bool TCSVReader::Fill() {
    if (stream_.bad()) throw std::runtime_error("The file cannot be read.");
    stream_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    if (stream_.bad()) throw std::runtime_error("The file cannot be read.");
    blockOffset_ += end_;
    position_ = 0;
    end_ = static_cast<size_t>(stream_.gcount());
    // A text file holds no NUL byte; one is the surest sign of binary data.
    if (const void* nul = std::memchr(buffer_.data(), '\0', end_)) {
        const auto at = blockOffset_ + static_cast<uint64_t>(static_cast<const char*>(nul) - buffer_.data());
        throw std::runtime_error("The file holds a NUL byte (at byte " + std::to_string(at + 1) +
                                 "): it is not a text file.");
    }
    return end_ > 0;
}

std::string_view TCSVReader::ReadLine() {
    if (skipLineEnd_) {
        skipLineEnd_ = false;
        if (position_ == end_) Fill();
        if (position_ < end_ && IsLineEnd(buffer_[position_])) ++position_;
    }
    longLine_.clear();
    bool assembling = false;
    for (;;) {
        if (position_ == end_ && !Fill()) return assembling ? std::string_view(longLine_) : std::string_view();
        const char* start = buffer_.data() + position_;
        const char* stop = buffer_.data() + end_;
        const char* lineEnd = std::find_if(start, stop, IsLineEnd);
        const size_t length = static_cast<size_t>(lineEnd - start);
        if (longLine_.size() + length > kMaxLineLength) {
            throw std::runtime_error("Line " + std::to_string(lineCount_ + 1) + " is longer than " +
                                     std::to_string(kMaxLineLength) + " bytes.");
        }
        if (lineEnd != stop) {
            position_ += length + 1;
            skipLineEnd_ = true;
            if (!assembling) return std::string_view(start, length);
            longLine_.append(start, length);
            return longLine_;
        }
        longLine_.append(start, length);  // the line goes on in the next block
        assembling = true;
        position_ = end_;
    }
}

void TCSVReader::Split(std::string_view line) {
    fieldText_.clear();
    spans_.clear();
    const unsigned char highestBlank = sdfMode_ ? 32 : 31;
    auto isBlank = [highestBlank](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 1 && b <= highestBlank;
    };
    const size_t n = line.size();
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < n && isBlank(line[i])) ++i;
    };
    skipBlanks();
    while (i < n) {
        const size_t start = fieldText_.size();
        if (line[i] == '"') {
            // Quoted: up to the closing quote, a doubled quote standing for one; without a
            // closing quote the field runs to the end of the line.
            ++i;
            while (i < n) {
                const size_t quote = line.find('"', i);
                if (quote == std::string_view::npos) {
                    fieldText_.append(line.substr(i));
                    i = n;
                    break;
                }
                fieldText_.append(line.substr(i, quote - i));
                if (quote + 1 < n && line[quote + 1] == '"') {
                    fieldText_ += '"';
                    i = quote + 2;
                } else {
                    i = quote + 1;
                    break;
                }
            }
        } else {
            const size_t from = i;
            while (i < n && line[i] != ',' && !isBlank(line[i])) ++i;
            fieldText_.append(line.substr(from, i - from));
        }
        spans_.emplace_back(start, fieldText_.size() - start);
        skipBlanks();
        if (i < n && line[i] == ',') {
            ++i;
            skipBlanks();
        }
    }
}

bool TCSVReader::NextRecord() {
    if (finished_) return false;
    const std::string_view line = ReadLine();
    if (line.empty()) {
        finished_ = true;
        fieldText_.clear();
        spans_.clear();
        return false;
    }
    Split(line);
    ++lineCount_;
    return true;
}

}  // namespace kelmor
