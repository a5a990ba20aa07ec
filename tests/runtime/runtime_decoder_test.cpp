#include <clocale>
#include <cmath>

#include <gtest/gtest.h>

#include "runtime/number_reader.h"
#include "runtime/runtime_decoder.h"
#include "sample_lines.h"

using testlines::decimalLine;
using testlines::distinctSample;
using testlines::ieeeLine;

TEST(RuntimeDecoder, IeeeLineFillsEveryFieldInOrder)
{
    const RuntimeSample sent = distinctSample();
    RuntimeSample got;
    EXPECT_EQ(decodeRuntimeLine(ieeeLine(sent).c_str(), got), RuntimeFormat::Ieee);
    EXPECT_EQ(got, sent);
}

TEST(RuntimeDecoder, IeeeBitPatternIsSinglePrecision)
{
    RuntimeSample got;
    // 41C80000 is 25.0; zero patterns for the rest.
    std::string full = "[7 1 0 0 0 41C80000";
    for (int i = 0; i < 18; ++i) full += " 0";
    full += " 0 0]";
    ASSERT_EQ(decodeRuntimeLine(full.c_str(), got), RuntimeFormat::Ieee);
    EXPECT_EQ(got.fgTc, 25.0f);
}

TEST(RuntimeDecoder, DecimalLineFillsFieldsOneToTwentyOne)
{
    RuntimeSample sent = distinctSample();
    RuntimeSample got;
    got.F1_curr = 1.5f;
    got.F2_curr = 2.5f;
    got.adTemp1 = 99;
    got.digipotOffset = 98;
    ASSERT_EQ(decodeRuntimeLine(decimalLine(sent, "123.5").c_str(), got), RuntimeFormat::Decimal);
    // Fan currents are not carried and keep their values; the converter
    // fields are zeroed; the spare number changes nothing.
    sent.F1_curr = 1.5f;
    sent.F2_curr = 2.5f;
    sent.adTemp1 = 0;
    sent.digipotOffset = 0;
    EXPECT_EQ(got, sent);
}

TEST(RuntimeDecoder, DecimalAfterIeeeKeepsFanCurrents)
{
    const RuntimeSample first = distinctSample();
    RuntimeSample got;
    ASSERT_TRUE(decodeRuntimeLine(ieeeLine(first).c_str(), got));
    RuntimeSample second = first;
    second.F1_curr = 9.0f;  // not sent in format 6
    second.fgTa1 = 30.0f;
    ASSERT_TRUE(decodeRuntimeLine(decimalLine(second).c_str(), got));
    EXPECT_EQ(got.fgTa1, 30.0f);
    EXPECT_EQ(got.F1_curr, first.F1_curr);
    EXPECT_EQ(got.F2_curr, first.F2_curr);
    EXPECT_EQ(got.adTemp1, 0);
    EXPECT_EQ(got.digipotOffset, 0);
}

TEST(RuntimeDecoder, DecimalValueCountMustBeTwentyTwo)
{
    const RuntimeSample s = distinctSample();
    std::string line = decimalLine(s);
    const std::string shortLine = line.substr(0, line.rfind(' ')) + "]";  // 21 values
    RuntimeSample got;
    EXPECT_FALSE(decodeRuntimeLine(shortLine.c_str(), got));
    EXPECT_TRUE(decodeRuntimeLine(line.c_str(), got));
    const std::string longLine = line.substr(0, line.size() - 1) + " 5]";  // 23 values
    EXPECT_FALSE(decodeRuntimeLine(longLine.c_str(), got));
}

TEST(RuntimeDecoder, RejectsWrongFramingAndSeparators)
{
    const std::string good = ieeeLine(distinctSample());
    RuntimeSample got;
    std::string digit5 = good;
    digit5[1] = '5';
    EXPECT_FALSE(decodeRuntimeLine(digit5.c_str(), got));

    std::string comma = good;
    comma[comma.find(' ', 3)] = ',';
    EXPECT_FALSE(decodeRuntimeLine(comma.c_str(), got));

    std::string noBracket = good.substr(0, good.size() - 1);
    EXPECT_FALSE(decodeRuntimeLine(noBracket.c_str(), got));

    std::string noBlankAfterDigit = "[7" + good.substr(3);
    EXPECT_FALSE(decodeRuntimeLine(noBlankAfterDigit.c_str(), got));

    EXPECT_FALSE(decodeRuntimeLine("", got));
    EXPECT_FALSE(decodeRuntimeLine("[", got));
    EXPECT_FALSE(decodeRuntimeLine("[7", got));
    EXPECT_FALSE(decodeRuntimeLine("[7 ]", got));
    EXPECT_FALSE(decodeRuntimeLine(nullptr, got));
    EXPECT_FALSE(decodeRuntimeLine(" [7 1]", got));
}

TEST(RuntimeDecoder, AcceptsExtraBlanksAndTrailingText)
{
    std::string line = ieeeLine(distinctSample());
    line.insert(line.find(' ', 3), " ");  // two blanks before the second value
    line += " trailing noise";
    RuntimeSample got;
    EXPECT_EQ(decodeRuntimeLine(line.c_str(), got), RuntimeFormat::Ieee);
    EXPECT_EQ(got, distinctSample());
}

TEST(RuntimeDecoder, EmptyValueIsMalformed)
{
    // Blanks only where a number belongs: no digits, so no value.
    std::string line = "[7";
    for (int i = 0; i < 25; ++i) line += " ";
    line += "]";
    RuntimeSample got;
    EXPECT_FALSE(decodeRuntimeLine(line.c_str(), got));
}

TEST(RuntimeDecoder, FailedLineKeepsFieldsReadBeforeTheFault)
{
    RuntimeSample got;
    got.fgTc = 7.0f;
    // gTsCnt and g_error read, g_pwm_mode followed by a comma.
    EXPECT_FALSE(decodeRuntimeLine("[7 2A 10 3,0 41C80000]", got));
    EXPECT_EQ(got.gTsCnt, 0x2Au);
    EXPECT_EQ(got.g_error, 0x10u);
    EXPECT_EQ(got.g_pwm_mode, 3u);  // read, then the separator failed
    EXPECT_EQ(got.fgTc, 7.0f);      // never reached
}

TEST(RuntimeDecoder, EightBitFieldsKeepLowByte)
{
    RuntimeSample s = distinctSample();
    std::string line = ieeeLine(s);
    // Replace "3 A5" (pwm mode, flags) by "1FF 0x1234".
    const std::size_t at = line.find(" 3 A5 ");
    ASSERT_NE(at, std::string::npos);
    line.replace(at, 6, " 1FF 0x1234 ");
    RuntimeSample got;
    ASSERT_TRUE(decodeRuntimeLine(line.c_str(), got));
    EXPECT_EQ(got.g_pwm_mode, 0xFFu);
    EXPECT_EQ(got.fgtFLAG, 0x34u);
}

TEST(NumberReader, HexFollowsThirtyTwoBitStrtoul)
{
    const char* end = nullptr;
    EXPECT_EQ(readHex32("  0x1f ", &end), 0x1Fu);
    EXPECT_EQ(*end, ' ');
    EXPECT_EQ(readHex32("123456789", &end), 0xFFFFFFFFu);  // beyond 32 bits
    EXPECT_EQ(readHex32("-1", &end), 0xFFFFFFFFu);
    EXPECT_EQ(readHex32("-2", &end), 0xFFFFFFFEu);
    EXPECT_EQ(readHex32("+ff", &end), 0xFFu);
    const char* text = "0xg";
    EXPECT_EQ(readHex32(text, &end), 0u);  // "0" read, "x" left
    EXPECT_EQ(end, text + 1);
    text = "zz";
    readHex32(text, &end);
    EXPECT_EQ(end, text);
}

TEST(NumberReader, RealIgnoresTheProcessLocale)
{
    // A locale with a decimal comma must not change how "25.5" reads.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    const char* end = nullptr;
    const char* text = "25.5 ";
    const double value = readReal(text, &end);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(value, 25.5);
    EXPECT_EQ(end, text + 4);
    if (!switched) GTEST_LOG_(INFO) << "de_DE.UTF-8 not installed; read checked in C locale";
}

TEST(NumberReader, RealSpecialValues)
{
    const char* end = nullptr;
    EXPECT_TRUE(std::isinf(readReal("1e999", &end)));
    EXPECT_TRUE(std::isnan(readReal("nan", &end)));
    const char* text = "abc";
    readReal(text, &end);
    EXPECT_EQ(end, text);
}
