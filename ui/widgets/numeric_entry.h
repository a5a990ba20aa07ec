// The numeric entry rule shared by every number field of the window: which
// typed characters a field takes, how a value is shown and how a text reads.
// The rule is plain logic so that it can be tested without a widget.
#pragma once

#include <QLineEdit>
#include <QString>
#include <optional>

namespace numeric_entry {

// True when `ch`, typed at `caret` into `text`, is taken. Digits always are;
// "-" at the start when the text does not start with one yet, or right after
// an exponent letter; "." when the text has none and no exponent letter
// stands before the caret; one "e"/"E", neither first nor right after a
// leading "-". Backspace and other editing keys are not characters here.
bool accepts(const QString& text, int caret, QChar ch);

// "%.*g" with the given precision, independent of the process locale.
QString format(double value, int precision);

// The text as a number: at most 400 characters are read; a text that does
// not read as a number gives 0. Independent of the process locale.
double parse(const QString& text);

// The text as an entry: the number when the whole text (spaces around it
// aside) reads as a finite number, nothing when it is empty, incomplete
// ("-", "1e") or not a number. Independent of the process locale.
std::optional<double> read(const QString& text);

}  // namespace numeric_entry

// A line edit that follows the rule: typed characters the rule refuses are
// dropped, a typed decimal comma counts as the point; editing keys, paste
// and shortcuts work as usual. Enter commits the entry and goes no further.
class NumericEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumericEdit(QWidget* parent = nullptr);

    void setPrecision(int digits) { precision_ = digits; }  // 6 single, 15 double
    int precision() const { return precision_; }
    void setValue(double value);   // shows it without emitting valueEdited
    double value() const { return numeric_entry::parse(text()); }
    std::optional<double> entry() const { return numeric_entry::read(text()); }

signals:
    // The operator changed the text (typing, paste, cut, undo).
    void valueEdited(double value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int precision_ = 6;
};
