// TFindDialog "Find" and TReplaceDialog "Replace": edit a copy of a database window's search
// state (the text, what to search and how) and give it back on OK. Each text box offers the
// texts entered before, kept in the program's settings from one dialog to the next.
#pragma once

#include <QDialog>
#include <QList>
#include <string>

#include "engine/tkelmor.h"
#include "search/searchhistory.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QPushButton;

namespace kelmor {

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog shows `state`; SearchState() is what OK made of it.
    explicit TFindDialog(const TKelmorSearch& state, QWidget* parent = nullptr);
    // Stores the search texts for the next dialog.
    ~TFindDialog() override;

    const TKelmorSearch& SearchState() const { return state_; }

    QComboBox* SearchText() const { return searchText_; }
    // S1..S8 (the replace dialog adds S9 and S10); nullptr for any other number.
    QCheckBox* OptionBox(int number) const;
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    const TSearchHistory& FindHistory() const { return findHistory_; }

    // Closes only when the closing checks pass.
    void accept() override;

protected:
    // Takes the boxes' values into the state. A missing text is refused with its message,
    // the focus in its box, and false.
    virtual bool ApplyOk();

    // An editable box for Latin-1 text with `history` as its list, and a captioned row for it.
    QComboBox* AddTextRow(const QString& caption, const QString& objectName, const TSearchHistory& history,
                          const std::string& text);
    // Adds S<next number> to `group`, checked from the state's flags.
    QCheckBox* AddOption(QGroupBox* group, const QString& caption);
    QGroupBox* ScopeGroup() const { return scope_; }
    // Option boxes `first`..`last` (by number) set their flags in the state, clearing the others.
    void StoreOptions(int first, int last);

    // Focuses `box` with its text selected.
    static void FocusText(QComboBox* box);
    void showEvent(QShowEvent* event) override;

    TKelmorSearch state_;

private:
    // Whole words need an exact text and links need a sub-node scope; run after every click.
    void ApplyDependencies();

    TSearchHistory findHistory_;
    QGridLayout* texts_;
    QGroupBox* scope_;
    QComboBox* searchText_;
    QList<QCheckBox*> options_;  // S1 first
    QPushButton* ok_;
    QPushButton* cancel_;
    bool shown_ = false;
};

class TReplaceDialog : public TFindDialog {
    Q_OBJECT
public:
    explicit TReplaceDialog(const TKelmorSearch& state, QWidget* parent = nullptr);
    ~TReplaceDialog() override;

    QComboBox* ReplaceText() const { return replaceText_; }
    const TSearchHistory& ReplaceHistory() const { return replaceHistory_; }

protected:
    bool ApplyOk() override;

private:
    TSearchHistory replaceHistory_;
    QComboBox* replaceText_;
};

}  // namespace kelmor
