// TLocateNodeForm "Locate Node by ID": asks for the ID of a node to go to.
#pragma once

#include <QDialog>
#include <cstdint>

class QPushButton;

namespace kelmor {

class TIntegerEdit;

class TLocateNodeForm : public QDialog {
    Q_OBJECT
public:
    // The box starts with `nodeID`.
    explicit TLocateNodeForm(int32_t nodeID, QWidget* parent = nullptr);

    // The number in the box (0 for text that is not a 32-bit integer).
    int32_t NodeID() const;

    TIntegerEdit* xNodeID() const { return nodeID_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    TIntegerEdit* nodeID_;
    QPushButton* ok_;
    QPushButton* cancel_;
    bool shown_ = false;
};

}  // namespace kelmor
