// TRecordImporterForm "Import": before a dBase table or a CSV file is imported, the user
// sees one row per field (destination key name, source type, the key type's picture),
// renames fields in place, chooses their key types, sets the three import options and,
// for CSV files, opens the advanced options. Nothing reaches the import's options until
// OK; Cancel leaves them as they were.
#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QIcon;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace kelmor {

class TFieldNameDelegate;
class TImporterOptions;

class TRecordImporterForm : public QDialog {
    Q_OBJECT
public:
    // The picture of a key type (0: none).
    using TKeyTypeIcon = std::function<QIcon(uint8_t keyType)>;

    // The index in the command image strip of a key type's picture, none (0) included;
    // -1 for a number that is no key type.
    static int KeyTypeIconIndex(uint8_t keyType);

    // The options are not owned. Without `keyTypeIcon` the rows have no pictures.
    TRecordImporterForm(TImporterOptions& options, TKeyTypeIcon keyTypeIcon, QWidget* parent = nullptr);

    QTreeWidget* Fields() const { return fields_; }
    QCheckBox* xOpt1() const { return opt1_; }
    QCheckBox* xOpt2() const { return opt2_; }
    QCheckBox* xOpt3() const { return opt3_; }
    QCheckBox* CheckBox1() const { return checkBox1_; }
    QPushButton* AdvancedBtn() const { return advancedBtn_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QMenu* PopupMenu() const { return popupMenu_; }
    QAction* RenameMI() const { return renameMI_; }
    QMenu* KeyType() const { return keyTypeMenu_; }
    // The item of "Key Type" for a key type code (0 to 10); null for any other number.
    QAction* KeyTypeItem(uint8_t keyType) const;

    // The name and key type the dialog shows for field `field` (from 0), OK not yet pressed.
    QString FieldKeyName(int field) const;
    uint8_t FieldKeyType(int field) const;

    // "Rename" (F2): edits the selected row's name in place.
    void RenameMIClick();
    // A "Key Type" item: the selected row gets that key type.
    void KeyTypeClick(uint8_t keyType);
    // "Advanced...": shows the advanced options; after OK the rows are those of the
    // rebuilt field list (names and key types chosen before are gone).
    void AdvancedBtnClick();

    // OK: writes the names, key types and the three options into the import's options.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    // Enter and Esc end an edit in progress without closing the dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateMenu();
    void FillList();
    void ShowKeyType(int row, uint8_t keyType);
    void UpdateMenu();
    int SelectedRow() const;  // -1 when no row is selected
    bool IsEditing() const;
    void FinishEdit();

    TImporterOptions& options_;
    TKeyTypeIcon keyTypeIcon_;
    QTreeWidget* fields_;
    TFieldNameDelegate* nameDelegate_;
    QPointer<QLineEdit> nameEditor_;
    QCheckBox* opt1_;
    QCheckBox* opt2_;
    QCheckBox* opt3_;
    QCheckBox* checkBox1_;
    QPushButton* advancedBtn_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QMenu* popupMenu_;
    QAction* renameMI_;
    QMenu* keyTypeMenu_;
    std::vector<QAction*> keyTypeItems_;
};

}  // namespace kelmor
