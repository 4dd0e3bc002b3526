// TInformationForm "Advanced Information": the database's header counters, index table
// statistics, security type and stamp, for the administrator. The fifteen rows are fixed;
// their values are read from the engine whenever the dialog is shown or activated.
#pragma once

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace kelmor {

class TKelmorClass;

class TInformationForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 15;
    static constexpr int kColumnWidth = 150;

    explicit TInformationForm(TKelmorClass& database, QWidget* parent = nullptr);

    QTableWidget* List() const { return list_; }
    // Reads the engine's information into the "Value" column.
    void FillValues();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FillValuesReporting();

    TKelmorClass& database_;
    QTableWidget* list_;
    bool errorShown_ = false;
};

}  // namespace kelmor
