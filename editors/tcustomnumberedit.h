// TCustomNumberEdit: the common base of the one-line number edits (integer, float, currency).
//
// A line edit with spin buttons at its right edge, a filter on typed characters, stepping by a
// fixed increment within optional limits, and a value that always follows the text: every
// change of the text, typed, pasted or set, parses the whole text into the value (text that
// does not parse gives 0). Setting the value from outside shows it in the edit's notation and
// then takes the parse of that text, so the value never holds more than the text shows.
//
// Descendants supply the value and its notation through the protected virtuals.
#pragma once

#include <QLineEdit>

#include "engine/regional.h"

namespace kelmor {

class TSpinButtons;

class TCustomNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCustomNumberEdit(QWidget* parent = nullptr);

    // The spin buttons show (initially true). With them, Up, Down and the mouse wheel step.
    bool ShowSpin() const { return showSpin_; }
    void SetShowSpin(bool show);
    // Enter moves the focus on instead of pressing the form's default button (initially false).
    bool ReturnKeyAsTab() const { return returnKeyAsTab_; }
    void SetReturnKeyAsTab(bool asTab) { returnKeyAsTab_ = asTab; }
    // The whole text is selected when the edit first shows and when it is entered by keyboard
    // (initially true).
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool select) { autoSelect_ = select; }
    // False until the edit has been shown for the first time; until then text changes update
    // the value without firing OnChange.
    bool Created() const { return created_; }

    // The decimal separator (and, where the notation uses them, thousands separators) of the
    // text. Initially neutral ('.'). Changing them shows the value again in the new notation.
    const TRegionalSettings& RegionalSettings() const { return settings_; }
    void SetRegionalSettings(const TRegionalSettings& settings);

    TSpinButtons* SpinButtons() const { return spin_; }

    // Value + or - Increment; a result outside Min..Max (or beyond the value's type) is refused
    // with a beep and leaves value and text as they are.
    virtual void StepUp() = 0;
    virtual void StepDown() = 0;

    // Shows the value in the edit's notation (and takes the parse of that text as the value).
    void UpdateText();

signals:
    // After every change of the text, once Created is true.
    void OnChange();

protected:
    // Whether a typed character may go into the text. The base takes backspace, "+" and digits.
    virtual bool IsValidChar(char c) const;
    virtual void TextToValue(const QString& text) = 0;
    virtual QString ValueToText() const = 0;
    // True when Min and Max are both 0 (no limits) or Min <= value <= Max.
    virtual bool InRange() const = 0;
    // The standard beep of refused keys and steps.
    virtual void Beep();

    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void TextChanged(const QString& text);
    bool KeyIsAllowed(const QKeyEvent& event) const;
    void SpinClick(bool up);
    QWidget* ParentForm() const;
    void PressDefaultButton();
    void UpdateSpinState();
    void PlaceSpinButtons();
    void UpdateMinimumHeight();

    TSpinButtons* spin_;
    TRegionalSettings settings_;
    bool showSpin_ = true;
    bool returnKeyAsTab_ = false;
    bool autoSelect_ = true;
    bool created_ = false;
    int wheelDelta_ = 0;  // eighths of a degree not yet turned into a step
};

}  // namespace kelmor
