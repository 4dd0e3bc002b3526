#include "interchange/tkelmorinout.h"

#include "engine/tkelmor.h"
#include "interchange/location.h"

namespace kelmor {

TKelmorInOut::TKelmorInOut(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                           TKelmorClass& database)
    : database_(database),
      onProgress_(std::move(onProgress)),
      fileName_(fileName),
      location_(NormaliseLocation(location)) {
    try {
        startNode_ = LocationNode(database_, location_);
    } catch (const std::exception&) {
        startNode_ = -1;  // a path through nodes the user may not read names nothing
    }
    if (startNode_ < 0) resultCode_.store(kUnknownLocation);
}

TKelmorInOut::~TKelmorInOut() { Wait(); }

void TKelmorInOut::Start() {
    Wait();
    thread_ = std::thread([this] { RunAndNotify(); });
}

void TKelmorInOut::Run() { RunAndNotify(); }

void TKelmorInOut::Wait() {
    if (thread_.joinable()) thread_.join();
}

void TKelmorInOut::RunAndNotify() {
    try {
        Execute();
    } catch (const std::exception& error) {
        SetError(error);
    } catch (...) {
        SetError("Unknown error");
    }
    if (onCompleted_) onCompleted_(*this);
}

void TKelmorInOut::SetError(const std::exception& error) { SetError(std::string(error.what())); }

void TKelmorInOut::SetError(const std::string& message) {
    {
        const std::lock_guard<std::mutex> lock(errorMutex_);
        errorMessage_ = message;
    }
    resultCode_.store(kError);
}

std::string TKelmorInOut::ErrorMessage() const {
    const std::lock_guard<std::mutex> lock(errorMutex_);
    return errorMessage_;
}

void TKelmorInOut::Progress(const std::string& text) {
    if (onProgress_) onProgress_(*this, text);
}

int32_t TKelmorInOut::FindOrCreatePath(const std::string& path) {
    int32_t current = TKelmorClass::RootNode();
    bool created = false;
    for (int depth = 1;; ++depth) {
        const std::string component = TKelmorClass::GetPathElement(path, depth, false);
        if (component.empty() || AbortRequested()) break;
        int32_t match = -1;
        if (!created) {
            TKelmorNodeRec rec;
            for (bool found = database_.FindFirstChild(rec, current); found; found = database_.FindNextChild(rec)) {
                if (database_.LoadNode(rec.currentID) && database_.GetDescription() == component) {
                    match = rec.currentID;
                    break;
                }
            }
        }
        if (match < 0) {
            database_.ClearNode();
            database_.SetDescription(component);
            match = database_.CreateNode(current);
            created = true;
        }
        // A path through a link goes on below its source, as the link's children are its.
        current = database_.GetLinkSource(match);
    }
    return current;
}

}  // namespace kelmor
