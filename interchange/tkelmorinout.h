// TKelmorInOut: the base of every import and export job. A job runs its Execute on a
// thread of its own (or on the caller's, for the command line), reports progress texts
// through a callback, can be asked to stop, and ends with a result code and, for
// errors, a message. Jobs never let an error escape their thread. The result, the
// message and the start node may be read from another thread while the job runs (a
// window that was told to stop reads them at once).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace kelmor {

class TKelmorClass;

class TKelmorInOut {
public:
    // Result codes.
    static constexpr int kSuccess = 0;           // also after an abort
    static constexpr int kUnknownLocation = -1;  // the location names no node, or the export walk failed
    static constexpr int kInvalidFile = -2;      // not a valid file of its format
    static constexpr int kError = -3;            // ErrorMessage says what ended the job
    // Values above 0 are operating-system error codes of the job's file.

    // Called on the job's thread with a progress text; the receiver hands it on to its
    // own thread itself.
    using TProgressCallback = std::function<void(TKelmorInOut& job, const std::string& text)>;
    // Called on the job's thread when Execute has ended (the completion notice).
    using TCompletionCallback = std::function<void(TKelmorInOut& job)>;

    // Normalises the location and finds the start node (ResultCode -1 when the location
    // names no node).
    TKelmorInOut(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                 TKelmorClass& database);
    // Waits for the job's thread to end. A derived job must call Wait() in its own
    // destructor too: its part of the object is gone before this one runs.
    virtual ~TKelmorInOut();
    TKelmorInOut(const TKelmorInOut&) = delete;
    TKelmorInOut& operator=(const TKelmorInOut&) = delete;

    void SetOnCompleted(TCompletionCallback onCompleted) { onCompleted_ = std::move(onCompleted); }
    // Runs the job on its own thread.
    void Start();
    // Runs the job on the calling thread.
    void Run();
    // Waits until a started job has ended.
    void Wait();

    void RequestAbort() { abortRequested_.store(true); }
    bool AbortRequested() const { return abortRequested_.load(); }

    int ResultCode() const { return resultCode_.load(); }
    std::string ErrorMessage() const;
    int32_t StartNode() const { return startNode_.load(); }
    const std::string& Location() const { return location_; }
    const std::string& FileName() const { return fileName_; }
    TKelmorClass& Database() { return database_; }

protected:
    // The body of the job.
    virtual void Execute() = 0;

    // Records an error that ended the job: ResultCode -3 and the error's message.
    void SetError(const std::exception& error);
    void SetError(const std::string& message);
    void SetResultCode(int code) { resultCode_.store(code); }
    void SetStartNode(int32_t node) { startNode_.store(node); }
    void Progress(const std::string& text);
    // The node that a path of descriptions below the root leads to, creating whatever
    // part of it does not exist (descriptions compared exactly).
    int32_t FindOrCreatePath(const std::string& path);

private:
    void RunAndNotify();

    TKelmorClass& database_;
    TProgressCallback onProgress_;
    TCompletionCallback onCompleted_;
    std::atomic<bool> abortRequested_{false};
    std::string fileName_;
    std::string location_;
    std::atomic<int> resultCode_{kSuccess};
    std::atomic<int32_t> startNode_{0};
    mutable std::mutex errorMutex_;  // guards errorMessage_
    std::string errorMessage_;
    std::thread thread_;
};

}  // namespace kelmor
