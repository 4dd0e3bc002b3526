#include "interchange/txmlfilereader.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kelmor {

namespace {
constexpr size_t kPiece = 64 * 1024;
}

TXMLFileReader::TXMLFileReader(const std::string& fileName, uint64_t maxFileSize,
                               std::function<void(const std::string&)> onProblem)
    : fileName_(fileName),
      maxFileSize_(maxFileSize),
      onProblem_(std::move(onProblem)),
      piece_(std::make_unique<char[]>(kPiece)) {
    struct stat info {};
    if (stat(fileName.c_str(), &info) != 0) {
        throw std::runtime_error("Cannot open \"" + fileName + "\": " + std::strerror(errno) + ".");
    }
    if (!S_ISREG(info.st_mode)) throw std::runtime_error("\"" + fileName + "\" is not a file that can be read.");
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size > maxFileSize_) throw std::runtime_error(TooLarge(size));
    in_.open(fileName, std::ios::binary);
    if (!in_) throw std::runtime_error("Cannot open \"" + fileName + "\": " + std::strerror(errno) + ".");
}

int TXMLFileReader::Read(void* context, char* buffer, int length) {
    return static_cast<TXMLFileReader*>(context)->Read(buffer, length);
}

std::string TXMLFileReader::TooLarge(uint64_t size) const {
    return "The file is too large for an XML import (" + std::to_string(size) + " bytes; at most " +
           std::to_string(maxFileSize_) + ").";
}

int TXMLFileReader::Read(char* buffer, int length) {
    while (taken_ == filtered_.size() && !ended_) {
        filtered_.clear();
        taken_ = 0;
        in_.read(piece_.get(), kPiece);
        const auto count = static_cast<size_t>(in_.gcount());
        if (in_.bad()) {
            onProblem_("Cannot read \"" + fileName_ + "\".");
            return -1;
        }
        fileBytes_ += count;
        if (fileBytes_ > maxFileSize_) {
            onProblem_(TooLarge(fileBytes_));
            return -1;
        }
        ended_ = count < kPiece;
        filter_.Filter(std::string_view(piece_.get(), count), ended_, filtered_);
    }
    const size_t count = std::min(filtered_.size() - taken_, static_cast<size_t>(std::max(length, 0)));
    std::memcpy(buffer, filtered_.data() + taken_, count);
    taken_ += count;
    bytesGiven_ += count;
    return static_cast<int>(count);
}

}  // namespace kelmor
