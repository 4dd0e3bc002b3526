#include "interchange/txmlfilereader.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kelmor {

namespace {
constexpr size_t kPiece = 64 * 1024;
constexpr size_t kPiecesAhead = 4;
}  // namespace

TXMLFileReader::TXMLFileReader(const std::string& fileName, uint64_t maxFileSize,
                               std::function<void(const std::string&)> onProblem)
    : fileName_(fileName), maxFileSize_(maxFileSize), onProblem_(std::move(onProblem)) {
    struct stat info {};
    if (stat(fileName.c_str(), &info) != 0) {
        throw std::runtime_error("Cannot open \"" + fileName + "\": " + std::strerror(errno) + ".");
    }
    if (!S_ISREG(info.st_mode)) throw std::runtime_error("\"" + fileName + "\" is not a file that can be read.");
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size > maxFileSize_) throw std::runtime_error(TooLarge(size));
    in_.open(fileName, std::ios::binary);
    if (!in_) throw std::runtime_error("Cannot open \"" + fileName + "\": " + std::strerror(errno) + ".");
    thread_ = std::thread([this] { ReadAhead(); });
}

TXMLFileReader::~TXMLFileReader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

int TXMLFileReader::Read(void* context, char* buffer, int length) {
    return static_cast<TXMLFileReader*>(context)->Read(buffer, length);
}

std::string TXMLFileReader::TooLarge(uint64_t size) const {
    return "The file is too large for an XML import (" + std::to_string(size) + " bytes; at most " +
           std::to_string(maxFileSize_) + ").";
}

// The reading thread: reads and filters the file piece by piece, never more than a few
// pieces ahead of the parser.
void TXMLFileReader::ReadAhead() {
    const auto piece = std::make_unique<char[]>(kPiece);
    TControlReferenceFilter filter;
    uint64_t fileBytes = 0;
    bool done = false;
    while (!done) {
        TPiece next;
        try {
            in_.read(piece.get(), kPiece);
            const auto count = static_cast<size_t>(in_.gcount());
            fileBytes += count;
            if (in_.bad()) {
                next.problem = "Cannot read \"" + fileName_ + "\".";
            } else if (fileBytes > maxFileSize_) {
                next.problem = TooLarge(fileBytes);
            } else {
                next.last = count < kPiece;
                filter.Filter(std::string_view(piece.get(), count), next.last, next.bytes);
            }
        } catch (const std::exception& error) {
            next.problem = error.what();
        }
        done = next.last || !next.problem.empty();
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopping_ || ready_.size() < kPiecesAhead; });
        if (stopping_) return;
        ready_.push_back(std::move(next));
        lock.unlock();
        changed_.notify_all();
    }
}

TXMLFileReader::TPiece TXMLFileReader::NextPiece() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty(); });
    TPiece next = std::move(ready_.front());
    ready_.pop_front();
    lock.unlock();
    changed_.notify_all();
    return next;
}

int TXMLFileReader::Read(char* buffer, int length) {
    if (failed_) return -1;
    while (taken_ == current_.bytes.size() && !ended_) {
        current_ = NextPiece();
        taken_ = 0;
        if (!current_.problem.empty()) {
            failed_ = true;
            onProblem_(current_.problem);
            return -1;
        }
        ended_ = current_.last;
    }
    const size_t count = std::min(current_.bytes.size() - taken_, static_cast<size_t>(std::max(length, 0)));
    std::memcpy(buffer, current_.bytes.data() + taken_, count);
    taken_ += count;
    bytesGiven_ += count;
    return static_cast<int>(count);
}

}  // namespace kelmor
