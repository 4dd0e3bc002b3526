// TLocationPanel: the panel that the import and export file dialogs add below their
// standard controls. A group box offers two choices, the whole tree (or the root) and a
// path typed into a field; the field can be edited only while the path is chosen.
#pragma once

#include <QWidget>

class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace kelmor {

class TLocationPanel : public QWidget {
    Q_OBJECT
public:
    // The location that stands for the root, and for the whole tree.
    static constexpr const char* kRootLocation = "Root";
    static constexpr int kInnerMargin = 6;

    struct TTexts {
        QString caption;
        QString firstChoice;
        QString secondChoice;
    };

    explicit TLocationPanel(const TTexts& texts, QWidget* parent = nullptr);

    // Chooses the first button for exactly "Root", else the second; the field shows the
    // location either way.
    void ShowLocation(const QString& location);
    // "Root" while the first button is chosen, else the field's text.
    QString ChosenLocation() const;

    QGroupBox* GroupBox() const { return groupBox_; }
    QRadioButton* FirstButton() const { return firstButton_; }
    QRadioButton* SecondButton() const { return secondButton_; }
    QLineEdit* LocationEdit() const { return locationEdit_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateEditState();
    // Places the buttons and the field in fourteenths of the group box's height.
    void PlaceControls();

    QGroupBox* groupBox_;
    QRadioButton* firstButton_;
    QRadioButton* secondButton_;
    QLineEdit* locationEdit_;
};

}  // namespace kelmor
