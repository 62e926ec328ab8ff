#include "ui/number_box.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLocale>
#include <QToolTip>
#include <stdexcept>

#include "core/prompt.h"

namespace {

NumberFormat formatOrThrow(const QString& format) {
    const std::optional<NumberFormat> parsed = ParseNumberFormat(format);
    if (!parsed) throw std::invalid_argument("not a number box format: " + format.toStdString());
    return *parsed;
}

bool isAsciiDigit(QChar c) {
    return c >= '0' && c <= '9';
}

}  // namespace

const QString NumberBox::kRefusedNote =
    QStringLiteral("Only a number can be typed here: digits, a minus sign and the decimal point.");

NumberBox::NumberBox(const QString& format, RedNegative red, QWidget* parent)
    : MaskedBox(parent),
      format_(formatOrThrow(format)),
      red_(red),
      point_(QLocale().decimalPoint().front()),
      normalText_(palette().color(QPalette::Text)) {
    setAlignment(Qt::AlignRight);
    setValue(0.0);
}

double NumberBox::value(bool* ok) const {
    const std::optional<double> number = ReadNumber(entryText().remove(' '));
    if (ok) *ok = number.has_value();
    return number.value_or(0.0);
}

void NumberBox::setValue(double value) {
    setEntryText(NumText(value, format_.width, format_.decimals));
    if (red_ != RedNegative::Never) updateColour();
}

bool NumberBox::takes(int pos, QChar c) const {
    if (pos < separatorAt()) return isAsciiDigit(c) || c == ' ' || c == '-' || c == '+';
    return isAsciiDigit(c);
}

bool NumberBox::typeSpecial(QChar c) {
    if (c != point_) return false;
    if (const std::optional<QString> text = FormatNumberText(entryText(), format_))
        setEntryText(*text);
    setCursorPosition(separatorAt() + 1);
    return true;
}

void NumberBox::refuse(QChar c) {
    if (c == ' ') return;
    QApplication::beep();
    QToolTip::showText(mapToGlobal(QPoint(0, height())), kRefusedNote, this);
}

void NumberBox::afterKey() {
    if (red_ == RedNegative::OnEveryKey) updateColour();
}

void NumberBox::focusInEvent(QFocusEvent* event) {
    MaskedBox::focusInEvent(event);
    selectOnPress_ = event->reason() == Qt::MouseFocusReason;
}

void NumberBox::mousePressEvent(QMouseEvent* event) {
    MaskedBox::mousePressEvent(event);
    if (selectOnPress_) selectAll();
    selectOnPress_ = false;
}

void NumberBox::focusOutEvent(QFocusEvent* event) {
    MaskedBox::focusOutEvent(event);
    if (!isLeaving(event)) return;
    if (const std::optional<QString> text = FormatNumberText(entryText(), format_))
        setEntryText(*text);
    else
        prompt::warning(this, NotANumberMessage(entryText().remove(' ')));
    if (red_ != RedNegative::Never) updateColour();
    emit left();
}

int NumberBox::separatorAt() const {
    return static_cast<int>(entryText().size()) - 1 - format_.decimals;
}

void NumberBox::updateColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::Text, entryText().contains('-') ? QColor(Qt::red) : normalText_);
    setPalette(colours);
}
