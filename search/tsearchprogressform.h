// TSearchProgressForm "Searching...": the small modal window shown while one search step
// runs on a thread of its own (TSearchThread). The step's end closes it with OK; Abort,
// Esc and the close box close it with Cancel, which asks the engine to stop the search.
#pragma once

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "engine/tkelmor.h"

class QPushButton;

namespace kelmor {

class TAnimationControl;
class TSearchProgressForm;

// Runs one SearchFirst or SearchNext on the engine and the search state, stores the
// matching node (-1 for none) and asks the progress window, without waiting, to close.
class TSearchThread {
public:
    TSearchThread(TSearchProgressForm& form, TKelmorClass& engine, bool first, TKelmorSearch& search, int32_t& result);
    // Waits for the thread to end.
    ~TSearchThread() { Wait(); }
    TSearchThread(const TSearchThread&) = delete;
    TSearchThread& operator=(const TSearchThread&) = delete;

    void Start();
    bool Started() const { return started_; }
    bool Running() const { return started_ && !ended_.load(); }
    void Wait();
    // The message of an engine error that ended the step; empty when none. Read it only
    // after Wait.
    const std::string& Error() const { return error_; }

private:
    void Run();

    TSearchProgressForm& form_;
    TKelmorClass& engine_;
    bool first_;
    TKelmorSearch& search_;
    int32_t& result_;
    std::string error_;
    std::thread thread_;
    bool started_ = false;
    std::atomic<bool> ended_{false};
};

class TSearchProgressForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 145;
    static constexpr int kClientHeight = 144;
    static constexpr int kLastFrame = 24;

    // `owner` is the database window searched; the window appears over the main window.
    // The step runs when the window is shown; `result` receives its node.
    TSearchProgressForm(QWidget* owner, int32_t& result, TKelmorSearch& search, bool first, TKelmorClass& engine);
    // Waits for the search thread to end.
    ~TSearchProgressForm() override;

    // Called when the user aborts the search (after the engine was asked to stop).
    void SetOnAbort(std::function<void()> onAbort) { onAbort_ = std::move(onAbort); }
    // The message of an engine error that ended the step; empty when none. Valid once the
    // window has closed and the thread has ended.
    QString ErrorText() const;
    // Aborts the search, as the Abort button does, and waits until its thread has ended.
    void StopSearch();

    QPushButton* AbortButton() const { return abortButton_; }
    TAnimationControl* Animation() const { return animation_; }

    // Abort, Esc and the close box.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend class TSearchThread;
    // Posted by the search thread when its step is done.
    void StepDone();

    TKelmorSearch& search_;
    TKelmorClass& engine_;
    TSearchThread thread_;
    std::function<void()> onAbort_;
    TAnimationControl* animation_ = nullptr;
    QPushButton* abortButton_ = nullptr;
    bool aborted_ = false;
};

}  // namespace kelmor
