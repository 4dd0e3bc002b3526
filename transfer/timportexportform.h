// TImportExportForm: the small modal window shown while an import or export job runs.
// It owns the job: showing the window starts it, the job's end closes the window with
// "OK", and "Abort" (or Esc, or the close box) closes it with "Cancel" and asks the job
// to stop. exec() returns only after the job's thread has ended, so that its results can
// be read and the database used again at once.
#pragma once

#include <QDialog>
#include <atomic>
#include <memory>
#include <optional>

#include "interchange/tkelmorinout.h"

class QPushButton;

namespace kelmor {

class TAnimationControl;

class TImportExportForm : public QDialog {
    Q_OBJECT
public:
    enum class TMode { Import = 0, Export = 1 };

    static constexpr int kClientWidth = 329;
    static constexpr int kClientHeight = 152;
    static constexpr int kLastFrame = 26;

    // The job must not have been started. The window shows "Import/Export" until a mode
    // is set.
    explicit TImportExportForm(std::unique_ptr<TKelmorInOut> job, QWidget* parent = nullptr);
    TImportExportForm(std::unique_ptr<TKelmorInOut> job, TMode mode, QWidget* parent = nullptr);
    // Frees the job, which waits for its thread; a job still running is asked to stop
    // first.
    ~TImportExportForm() override;

    // Import: "Importing Data..." and the import animation; export likewise.
    void SetMode(TMode mode);
    std::optional<TMode> Mode() const { return mode_; }

    // Shows the window modally: Accepted when the job ended by itself, Rejected when the
    // user aborted it. Returns after the job's thread has ended in both cases.
    int exec() override;
    void done(int result) override;

    TKelmorInOut& Job() const { return *job_; }
    TAnimationControl* AniLogo() const { return aniLogo_; }
    QPushButton* AbortBtn() const { return abortBtn_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StartJob();
    void JobCompleted();
    void RestoreCursor();

    std::unique_ptr<TKelmorInOut> job_;
    std::optional<TMode> mode_;
    TAnimationControl* aniLogo_;
    QPushButton* abortBtn_;
    bool started_ = false;
    bool closed_ = false;  // the modal loop has been left, by the job's end or an abort
    bool busyCursor_ = false;
    std::atomic<bool> jobEnded_{false};  // set on the job's thread
};

}  // namespace kelmor
