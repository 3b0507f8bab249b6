#include "ui/integer_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTimer>

namespace vantrel {

namespace {

constexpr int RangeMessageLimit = 100;

QString RightAligned(std::int32_t value, int width) {
    return QString::number(value).rightJustified(width, QLatin1Char(' '));
}

}  // namespace

std::optional<std::int32_t> ParseInteger32(const QString& text) {
    const QString trimmed = text.trimmed();
    int pos = 0;
    bool negative = false;
    if (pos < trimmed.size() && (trimmed[pos] == QLatin1Char('+') || trimmed[pos] == QLatin1Char('-'))) {
        negative = trimmed[pos] == QLatin1Char('-');
        ++pos;
    }
    if (pos == trimmed.size()) return std::nullopt;
    // Accumulate in 64 bits and stop as soon as the value leaves the 32-bit range.
    std::int64_t value = 0;
    for (; pos < trimmed.size(); ++pos) {
        const QChar c = trimmed[pos];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::int64_t{2147483648}) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

QString IntegerRangeMessage(std::int32_t minValue, std::int32_t maxValue) {
    const QString text = QStringLiteral("Input value must be integer in range:\n\n") +
                         QStringLiteral("Minimum:  ") + RightAligned(minValue, 11) + QLatin1Char('\n') +
                         QStringLiteral("Maximum: ") + RightAligned(maxValue, 11) + QLatin1Char('\n');
    return text.left(RangeMessageLimit);
}

TIntegerEdit::TIntegerEdit(std::int32_t minValue, std::int32_t maxValue, QWidget* parent)
    : QLineEdit(parent), minValue_(minValue), maxValue_(maxValue) {}

void TIntegerEdit::SetRange(std::int32_t minValue, std::int32_t maxValue) {
    minValue_ = minValue;
    maxValue_ = maxValue;
}

std::optional<std::int32_t> TIntegerEdit::Value() const {
    const std::optional<std::int32_t> value = ParseInteger32(text());
    if (!value || *value < minValue_ || *value > maxValue_) return std::nullopt;
    return value;
}

void TIntegerEdit::SetValue(std::int32_t value) { setText(QString::number(value)); }

QString TIntegerEdit::RangeMessage() const { return IntegerRangeMessage(minValue_, maxValue_); }

bool TIntegerEdit::CheckValue() {
    if (Value()) return true;
    checking_ = true;
    if (services_.Beep) services_.Beep();
    if (services_.ShowMessage) services_.ShowMessage(this, MessageKind::Error, RangeMessage());
    checking_ = false;
    setFocus(Qt::OtherFocusReason);
    return false;
}

void TIntegerEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (checking_) return;
    // Only a move to another control is an exit: losing the focus because
    // another window became active (the range box itself, a menu) is not.
    switch (event->reason()) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::MouseFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason:
            break;
        default:
            return;
    }
    // The check waits until the event that moved the focus is finished, so a
    // click on a check box completes before the box appears, and a dialog
    // that is closing (Cancel, Escape) is not held up.
    QTimer::singleShot(0, this, [this] {
        if (checking_ || !isVisible() || !isEnabled()) return;
        QWidget* next = QApplication::focusWidget();
        if (next == this || next == nullptr || next->window() != window()) return;
        CheckValue();
    });
}

}  // namespace vantrel
