// TSecurityForm "Security": sets the access level of one node. The list offers the
// levels the logged-on user may give (his own level up to 5); on a read-only database it
// only shows the level and offers "Close".
#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QListWidget;
class QPushButton;

namespace kelmor {

class TKelmorClass;

class TSecurityForm : public QDialog {
    Q_OBJECT
public:
    TSecurityForm(TKelmorClass& database, int32_t nodeID, QWidget* parent = nullptr);

    // The list entry of a level (1..5), e.g. "3. Level 1,2 & 3.".
    static QString LevelText(int level);

    QListWidget* SecurityLevel() const { return securityLevel_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // OK: gives the node the selected level (clearing its read-only bit). When the
    // engine refuses, the error is reported and the dialog closes as cancelled.
    void accept() override;

private:
    TKelmorClass& database_;
    int32_t nodeID_;
    int firstLevel_;
    QListWidget* securityLevel_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace kelmor
