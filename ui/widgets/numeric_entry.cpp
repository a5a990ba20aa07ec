#include "ui/widgets/numeric_entry.h"

#include <QKeyEvent>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cctype>
#include <locale.h>

namespace numeric_entry {

namespace {

bool isExponent(QChar c) { return c == QLatin1Char('e') || c == QLatin1Char('E'); }

// A "C" numeric locale for the conversions, whatever the process uses.
locale_t cLocale() {
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

bool accepts(const QString& text, int caret, QChar ch) {
    caret = qBound(0, caret, static_cast<int>(text.size()));
    if (ch.isDigit() && ch.unicode() < 128) return true;
    if (ch == QLatin1Char('-')) {
        if (caret == 0) return !text.startsWith(QLatin1Char('-'));
        return isExponent(text.at(caret - 1));
    }
    if (ch == QLatin1Char('.')) {
        if (text.contains(QLatin1Char('.'))) return false;
        for (int i = 0; i < caret; ++i)
            if (isExponent(text.at(i))) return false;
        return true;
    }
    if (isExponent(ch)) {
        if (text.contains(QLatin1Char('e'), Qt::CaseInsensitive)) return false;
        if (caret == 0) return false;
        return !(caret == 1 && text.startsWith(QLatin1Char('-')));
    }
    return false;
}

QString format(double value, int precision) {
    char buffer[64];
    const locale_t old = uselocale(cLocale());
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
    uselocale(old);
    return QString::fromLatin1(buffer);
}

double parse(const QString& text) {
    const QByteArray bytes = text.left(400).trimmed().toLatin1();
    if (bytes.isEmpty()) return 0.0;
    char* end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, cLocale());
    if (end == bytes.constData()) return 0.0;
    return value;
}

std::optional<double> read(const QString& text) {
    if (text.size() > 400) return std::nullopt;
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty()) return std::nullopt;
    // Decimal only: strtod would also read "inf", "nan" and hexadecimal.
    for (char c : bytes)
        if (!std::isdigit(static_cast<unsigned char>(c)) && !std::strchr(".eE+-", c)) return std::nullopt;
    char* end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, cLocale());
    if (end != bytes.constData() + bytes.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace numeric_entry

NumericEdit::NumericEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, [this] { emit valueEdited(value()); });
}

void NumericEdit::setValue(double value) {
    setText(numeric_entry::format(value, precision_));
}

void NumericEdit::keyPressEvent(QKeyEvent* event) {
    // Enter commits the entry as leaving the field does (editingFinished)
    // and ends there: it is not passed on to the form.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QLineEdit::keyPressEvent(event);
        event->accept();
        return;
    }
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // A decimal comma (a comma keyboard's keypad types one) is the point:
    // dropped, it would turn "22,5" into 225 without a word.
    if (!shortcut && event->text() == QStringLiteral(",")) {
        QKeyEvent point(event->type(), Qt::Key_Period, event->modifiers(), QStringLiteral("."),
                        event->isAutoRepeat(), static_cast<ushort>(event->count()));
        keyPressEvent(&point);
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (!shortcut && typed.size() == 1 && typed.at(0).isPrint()) {
        // A selection is replaced by what is typed: judge against the text without it.
        QString rest = text();
        int caret = cursorPosition();
        if (hasSelectedText()) {
            rest.remove(selectionStart(), selectedText().size());
            caret = selectionStart();
        }
        if (!numeric_entry::accepts(rest, caret, typed.at(0))) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}
