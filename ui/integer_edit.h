// TIntegerEdit: a one-line entry field that accepts only a whole 32-bit
// integer between MinValue and MaxValue.  The check runs when the keyboard
// focus leaves the field for another control of the same window; a rejected
// text beeps, shows the range box and takes the focus back, so the user
// cannot leave the field with an invalid value.  The text itself is kept.
#pragma once

#include <cstdint>
#include <optional>

#include <QLineEdit>

#include "ui/ui_services.h"

namespace vantrel {

class TIntegerEdit : public QLineEdit {
    Q_OBJECT

public:
    TIntegerEdit(std::int32_t minValue, std::int32_t maxValue, QWidget* parent = nullptr);

    std::int32_t MinValue() const { return minValue_; }
    std::int32_t MaxValue() const { return maxValue_; }
    void SetRange(std::int32_t minValue, std::int32_t maxValue);

    // The value when the whole text is an integer within range.
    std::optional<std::int32_t> Value() const;
    void SetValue(std::int32_t value);

    // Accepts the text, or beeps, shows the range box and returns the focus
    // to the field; true when the text was accepted.
    bool CheckValue();

    // The text of the range box (at most 100 characters).
    QString RangeMessage() const;

    void SetServices(const UiServices& services) { services_ = services; }

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::int32_t minValue_;
    std::int32_t maxValue_;
    UiServices services_;
    bool checking_ = false;  // the box is up: its own focus changes are no exit
};

// The whole text as a 32-bit integer: optional blanks around an optional
// sign and decimal digits; nothing when it is anything else or out of range.
std::optional<std::int32_t> ParseInteger32(const QString& text);

// "Input value must be integer in range:" with the two limits, as the box shows it.
QString IntegerRangeMessage(std::int32_t minValue, std::int32_t maxValue);

}  // namespace vantrel
