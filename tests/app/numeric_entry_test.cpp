// The numeric entry rule of every number field, character by character.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QApplication>
#include <clocale>

#include "ui/widgets/numeric_entry.h"

namespace {

// Types `keys` one by one at the caret, as the rule would let them through.
QString typeInto(QString text, const QString& keys) {
    for (QChar c : keys)
        if (numeric_entry::accepts(text, text.size(), c)) text.append(c);
    return text;
}

}  // namespace

TEST(NumericEntry, TakesDigitsSignPointAndOneExponent) {
    EXPECT_EQ(typeInto("", "-12.5e-3"), "-12.5e-3");
    EXPECT_EQ(typeInto("", "1.2.3"), "1.23");        // one point only
    EXPECT_EQ(typeInto("", "--5"), "-5");            // one leading minus
    EXPECT_EQ(typeInto("", "5-"), "5");              // minus only first or after e
    EXPECT_EQ(typeInto("", "e5"), "5");              // e never first
    EXPECT_EQ(typeInto("", "-e5"), "-5");            // nor right after a leading minus
    EXPECT_EQ(typeInto("", "1e5e6E"), "1e56");       // one exponent letter
    EXPECT_EQ(typeInto("", "1e5.2"), "1e52");        // no point after the exponent
    EXPECT_EQ(typeInto("", "1E-2"), "1E-2");
    EXPECT_EQ(typeInto("", "a+ ,x12"), "12");        // everything else dropped
}

TEST(NumericEntry, JudgesAtTheCaretNotTheEnd) {
    // A point typed before an exponent is taken, after it is not.
    EXPECT_TRUE(numeric_entry::accepts("1e5", 1, '.'));
    EXPECT_FALSE(numeric_entry::accepts("1e5", 3, '.'));
    // A minus at the start of a text that has none yet.
    EXPECT_TRUE(numeric_entry::accepts("25", 0, '-'));
    EXPECT_FALSE(numeric_entry::accepts("-25", 0, '-'));
    EXPECT_TRUE(numeric_entry::accepts("1e", 2, '-'));
}

TEST(NumericEntry, FormatsAndParsesWhateverTheLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    EXPECT_EQ(numeric_entry::format(1.5, 6), "1.5");
    EXPECT_EQ(numeric_entry::format(0.1f, 6), "0.1");
    EXPECT_EQ(numeric_entry::format(0.1, 15), "0.1");
    EXPECT_EQ(numeric_entry::format(123456789.0, 6), "1.23457e+08");
    EXPECT_DOUBLE_EQ(numeric_entry::parse("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(numeric_entry::parse("-1e-2"), -0.01);
    EXPECT_DOUBLE_EQ(numeric_entry::parse("abc"), 0.0);
    EXPECT_DOUBLE_EQ(numeric_entry::parse(""), 0.0);
    EXPECT_DOUBLE_EQ(numeric_entry::parse("-"), 0.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!comma) GTEST_LOG_(INFO) << "no decimal-comma locale installed; checked under the C locale";
}

TEST(NumericEntry, EditDropsRefusedKeysAndReportsValues) {
    NumericEdit edit;
    double last = -1;
    QObject::connect(&edit, &NumericEdit::valueEdited, [&](double v) { last = v; });
    for (QChar c : QStringLiteral("1x.5e")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &press);
    }
    EXPECT_EQ(edit.text(), "1.5e");
    EXPECT_DOUBLE_EQ(last, 1.5);
    // A decimal comma is the point, once; never dropped to make 225 of 22,5.
    edit.clear();
    for (QChar c : QStringLiteral("22,5,1")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &press);
    }
    EXPECT_EQ(edit.text(), "22.51");
    edit.setPrecision(15);
    edit.setValue(0.1);
    EXPECT_EQ(edit.text(), "0.1");
}
