// TCustToolbarForm "Customise Toolbar": the user chooses which commands the main
// window's toolbar shows, in which order, and where separators go. The Available list
// offers "Seperator" and the commands of the chosen category that are not on the toolbar;
// the Toolbar list is the layout being edited, from left to right. Entries move between
// the two lists with the add and remove buttons or by dragging.
#pragma once

#include <QDialog>
#include <QStyle>
#include <vector>

class QAction;
class QComboBox;
class QPushButton;

namespace kelmor {

class TImageStrip;
class TToolbarEntryList;
class TXPBevel;

class TCustToolbarForm : public QDialog {
    Q_OBJECT
public:
    // `layout`: the toolbar's entries from left to right, nullptr for a separator;
    // `commands`: every command in command-list order. The lists refer to the commands
    // and do not own them.
    TCustToolbarForm(const std::vector<QAction*>& layout, const std::vector<QAction*>& commands,
                     const TImageStrip& images, QWidget* parent = nullptr);

    // The Toolbar list's entries from top (leftmost) to bottom (rightmost).
    std::vector<QAction*> Layout() const;

    QComboBox* xCategory() const { return category_; }
    TToolbarEntryList* xAvailable() const { return available_; }
    TToolbarEntryList* xToolbar() const { return toolbar_; }
    QPushButton* xAdd() const { return add_; }
    QPushButton* xRemove() const { return remove_; }
    QPushButton* xMoveUp() const { return moveUp_; }
    QPushButton* xMoveDown() const { return moveDown_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // The client area, fixed.
    static constexpr int kClientWidth = 473;
    static constexpr int kClientHeight = 328;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls(const TImageStrip& images);
    QPushButton* CreatePictureButton(const char* name, QStyle::StandardPixmap picture, const QString& tooltip, int left,
                                     int top);
    void FillAvailable();
    void UpdateButtons();
    void AddExecute();
    void RemoveExecute();
    void MoveSelected(int step);
    // The command's place in the command list.
    int CommandOrder(const QAction* command) const;
    QString ChosenCategory() const;

    std::vector<QAction*> commands_;
    TXPBevel* bevel_ = nullptr;
    QComboBox* category_ = nullptr;
    TToolbarEntryList* available_ = nullptr;
    TToolbarEntryList* toolbar_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* moveUp_ = nullptr;
    QPushButton* moveDown_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace kelmor
