// TExportDataDlg and TImportDataDlg: the file dialogs of the export and import commands.
// Each is Qt's own file dialog (not the desktop's, which takes no extra controls) with a
// location panel below its standard controls: export the entire tree or a path, import
// below the root or below a path. Location holds the choice: "Root", or the path as typed.
#pragma once

#include <QFileDialog>
#include <string>

namespace kelmor {

class TLocationPanel;

class TExportDataDlg : public QFileDialog {
    Q_OBJECT
    Q_PROPERTY(QString Location READ Location WRITE SetLocation)
public:
    explicit TExportDataDlg(QWidget* parent = nullptr);

    QString Location() const { return location_; }
    void SetLocation(const QString& location) { location_ = location; }

    // Shows the dialog modally with the panel set from Location; true when the user chose
    // a file. Location takes the panel's choice when the dialog closes.
    bool Execute();
    // The chosen file (absolute path); empty before a file was chosen.
    QString FileName() const;
    // The same path as the engine and the jobs take file names.
    std::string EngineFileName() const;

    TLocationPanel* LocationPanel() const { return panel_; }

    void accept() override;
    void done(int result) override;

protected:
    enum class TDirection { Export, Import };
    TExportDataDlg(TDirection direction, QWidget* parent);

private:
    void AddLocationPanel(TDirection direction);

    QString location_;
    TLocationPanel* panel_ = nullptr;
};

class TImportDataDlg : public TExportDataDlg {
    Q_OBJECT
public:
    explicit TImportDataDlg(QWidget* parent = nullptr);
};

}  // namespace kelmor
