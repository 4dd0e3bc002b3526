// TSimpleDatabaseWindow: a small document window for an open database, used until the
// full database window (tree and key list) takes its place through
// TMainForm::SetDatabaseWindowFactory. It owns its engine through the main window's
// open-database list, shows the database's name and logon, flushes a modified database
// every 15 seconds and offers Flush, Change Password and User Management.
#pragma once

#include <QWidget>
#include <memory>

#include "app/tdatabasewindow.h"

class QLabel;
class QTimer;

namespace kelmor {

class TMainForm;

class TSimpleDatabaseWindow : public QWidget, public TDatabaseWindow {
    Q_OBJECT
public:
    static constexpr int kFlushInterval = 15000;

    TSimpleDatabaseWindow(TMainForm& mainForm, std::unique_ptr<TKelmorClass> engine, const QString& basePath);
    ~TSimpleDatabaseWindow() override;

    TKelmorClass& Engine() override { return *engine_; }
    QString BasePath() const override { return basePath_; }
    void ExecuteNodeCommand(int) override {}
    void ExecuteKeyCommand(int) override {}
    void ExecuteSearchCommand(TSearchCommand) override {}
    bool FlushDatabase() override;
    void ChangePassword() override;
    void DatabaseInformation() override {}
    void UserManagement() override;
    void UpdateCommandStates() override;
    void SetInfoPaneVisible(bool visible) override;
    void UpdateTitle() override;
    void RefreshColours() override { update(); }
    QString StatusText() const override;
    QMenu* ContextMenuFor(QWidget*) override { return nullptr; }

    QTimer* FlushTimer() const { return flushTimer_; }
    void FlushTimerTimer();

private:
    void ShowDetails();

    TMainForm& mainForm_;
    TKelmorClass* engine_;
    QString basePath_;
    QLabel* infoPane_;
    QLabel* details_;
    QTimer* flushTimer_;
};

}  // namespace kelmor
