// TTestHost: a light host for a database window under test, in place of a whole main
// window. It has the program's commands and images; the options are what the test sets,
// and what the window reports (status text, progress) is kept for the test to read.
// Every command starts disabled, so that an enabled command is one the window enabled.
// Its windows are destroyed before it: each gives its engine back on the way.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "ui/tdatabasehost.h"
#include "ui/timagestrip.h"

namespace kelmor::test {

class TTestHost : public TDatabaseHost {
public:
    TTestHost();
    ~TTestHost() override;

    // ---- TDatabaseHost ----
    const TImageStrip& CommandImages() const override { return commandImages_; }
    const TImageStrip& TreeImages() const override { return treeImages_; }
    const std::vector<QAction*>& Commands() const override { return commands_; }
    QAction* DatabaseEntry(TDatabaseEntry entry) const override { return databaseEntries_[static_cast<size_t>(entry)]; }
    TDatabaseWindow* CurrentDatabaseWindow() const override { return current_; }
    bool Option(TOption option) const override { return options_[static_cast<size_t>(option)]; }
    void SetStatusText(const QString& text) override;
    void BeginProgress(const QString& caption) override;
    void SetProgress(int percent) override;
    void EndProgress() override;
    TKelmorClass* AddDatabase(std::unique_ptr<TKelmorClass> engine) override;
    void RemoveDatabase(TKelmorClass* engine) override;

    // ---- For the test ----
    void SetOption(TOption option, bool value) { options_[static_cast<size_t>(option)] = value; }
    void SetCurrentDatabaseWindow(TDatabaseWindow* window) { current_ = window; }
    QString StatusText() const { return statusText_; }
    // 0 to 100 while a progress display is up, else -1.
    int Progress() const { return progress_; }
    const std::vector<std::unique_ptr<TKelmorClass>>& OpenDatabases() const { return openDatabases_; }

private:
    QObject actionOwner_;
    std::vector<QAction*> commands_;
    std::array<QAction*, kDatabaseEntryCount> databaseEntries_{};
    TImageStrip commandImages_;
    TImageStrip treeImages_;
    std::array<bool, 5> options_{};
    TDatabaseWindow* current_ = nullptr;
    QString statusText_;
    int progress_ = -1;
    std::vector<std::unique_ptr<TKelmorClass>> openDatabases_;
};

}  // namespace kelmor::test
