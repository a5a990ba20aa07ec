// The report's text, read back from the PDF with pdftotext -layout, and its
// exact lines and geometry from the layout service's list.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include "report/report_output.h"
#include "report_fixture.h"

using namespace testing_report;
using report::mm;

namespace {

class ParameterReportTest : public ::testing::Test {
protected:
    void SetUp() override { document.OnNewDocument(); }

    // The squeezed text of the PDF of `input`; fails the test when it cannot be read.
    QString pdfReport(const report::ReportInput& input) {
        const QString path = dir.filePath(QStringLiteral("report%1.pdf").arg(++count));
        QString error;
        EXPECT_TRUE(report::WriteReportPdf(input, path, report::DefaultPdfPage(), &error)) << error.toStdString();
        const std::optional<QString> text = pdfText(path);
        EXPECT_TRUE(text) << "pdftotext (poppler-utils) could not read " << path.toStdString();
        EXPECT_EQ(pdfPages(path), 1);
        return text ? squeezedLines(*text).join(QLatin1Char('\n')) : QString();
    }

    CTQ_InterfaceDoc document;
    QTemporaryDir dir;
    int count = 0;
};

const QStringList kDefaultAlarmLines = {
    "Voltage In - over .........  : 13.0 V",        "Voltage In - under ........  : 7.0 V",
    "Current Out - over ........  : 15.0 A",        "Internal - over ...........  : 30.0 V",
    "Internal - under ..........  : 10.0 V",        "FAN 1 current limit - over   : 2.0 A",
    "FAN 2 current limit - over   : 2.0 A",         "Temperature sensor T1 - high : 80.0 °C",
    "Temperature sensor T1 - low  : -40.0 °C",      "Temperature sensor T4 - high : 60.0 °C",
};

QString squeezed(const QString& line) { return squeezedLines(line).join(QString()); }

}  // namespace

TEST_F(ParameterReportTest, DefaultSetPrintsTenAlarmsOffModeAndTheFooter) {
    const report::ReportInput input = inputFor(document);
    const QString text = pdfReport(input);
    EXPECT_TRUE(text.contains("Untitled - TQ_Interface"));
    EXPECT_TRUE(text.contains("File Information"));
    QStringList alarms;
    for (const QString& line : kDefaultAlarmLines) alarms << squeezed(line);
    EXPECT_TRUE(inOrder(text, QStringList{"Alarm"} + alarms)) << text.toStdString();
    EXPECT_TRUE(inOrder(text, {"Regulator", "Sample rate (ts) : 0.1", "Mode : off"}));
    EXPECT_TRUE(inOrder(text, {"Base", "User text.. : Enter user comment here...", "Setpoint... : 20.00",
                               "Sensor type : TC-NTC-1"}));
    EXPECT_TRUE(QRegularExpression(
                    "Generated from \\[TQ_Interface 1\\.1\\.9a\\] and printed \\d{4}-\\d\\d-\\d\\d at \\d\\d:\\d\\d")
                    .match(text)
                    .hasMatch());
    EXPECT_TRUE(text.contains("Generated from [TQ_Interface 1.1.9a] and printed 2026-03-02 at 14:05"));

    // The exact lines, double blanks included.
    const auto r = renderOnImage(input);
    EXPECT_EQ(sectionLines(*r->layout, "Alarm"), kDefaultAlarmLines);
    EXPECT_EQ(sectionLines(*r->layout, "Regulator"), (QStringList{"Sample rate (ts) : 0.1", "Mode : off"}));
    EXPECT_EQ(sectionLines(*r->layout, "Fan 1"), QStringList{"Mode ......... : Off"});
    EXPECT_EQ(sectionLines(*r->layout, "Fan 2"), QStringList{"Mode ......... : Off"});
}

TEST_F(ParameterReportTest, EveryAlarmEnabledFollowsTheSheetOrder) {
    document.alarmEnable1 = 0x3FF;
    document.alarmEnable2 = 0xFF;
    const QStringList lines = sectionLines(*renderOnImage(inputFor(document))->layout, "Alarm");
    ASSERT_EQ(lines.size(), 18);
    EXPECT_TRUE(lines[2].startsWith("Current Out - over")) << "current before internal";
    EXPECT_TRUE(lines[4].startsWith("Internal - over"));
    EXPECT_EQ(lines[9], "FAN 2 current limit - under  : 0.1 A");
    EXPECT_EQ(lines[17], "Temperature sensor T4 - low  : -10.0 °C");

    document.alarmEnable1 = 0;
    document.alarmEnable2 = 0;
    EXPECT_TRUE(sectionLines(*renderOnImage(inputFor(document))->layout, "Alarm").isEmpty());
}

TEST_F(ParameterReportTest, FanSpeedsPrintWithATrailingBlankAndNoPercent) {
    document.fan1Mode = 1;
    const report::ReportInput input = inputFor(document);
    EXPECT_EQ(sectionLines(*renderOnImage(input)->layout, "Fan 1"),
              (QStringList{"Mode ......... : Always on", "High speed ... : 48.0 "}));
    const QString text = pdfReport(input);
    EXPECT_TRUE(text.contains("High speed ... : 48.0"));
    EXPECT_FALSE(text.contains("%"));

    const char* modes[] = {"Cool", "Heat", "Cool and heat"};
    for (std::uint32_t mode = 2; mode <= 4; ++mode) {
        document.fan1Mode = mode;
        EXPECT_EQ(sectionLines(*renderOnImage(inputFor(document))->layout, "Fan 1"),
                  (QStringList{QString("Mode ......... : ") + modes[mode - 2], "High speed ... : 48.0 "}));
    }
}

TEST_F(ParameterReportTest, FanAlgoModeListsItsSixValuesAndOtherModesAreUnknown) {
    document.fan2Mode = 5;
    document.fan2SetPoint = 25.5f;
    document.fan1Mode = 9;
    const report::ReportInput input = inputFor(document);
    const auto r = renderOnImage(input);
    EXPECT_EQ(sectionLines(*r->layout, "Fan 2"),
              (QStringList{"Mode ......... : Algo", "Setpoint ..... : 25.5 °C", "Deadband ..... : 8.0 °C",
                           "Low Speed Hyst : 4.0 °C", "High Speed Hyst: 2.0 °C", "Low speed .... : 12.0 ",
                           "High speed ... : 48.0 "}));
    EXPECT_EQ(sectionLines(*r->layout, "Fan 1"), QStringList{"Mode ......... : Unkown"});
    const QString text = pdfReport(input);
    EXPECT_TRUE(inOrder(text, {"Fan 1", "Mode ......... : Unkown", "Fan 2", "Mode ......... : Algo",
                               "Setpoint ..... : 25.5 °C", "Deadband ..... : 8.0 °C", "Low Speed Hyst : 4.0 °C",
                               "High Speed Hyst: 2.0 °C", "Low speed .... : 12.0", "High speed ... : 48.0"}));
}

TEST_F(ParameterReportTest, EachSensorColumnShowsItsOwnSelectedRecord) {
    document.sensor2.select = 4;
    const report::ReportInput input = inputFor(document);
    const QString text = pdfReport(input);
    EXPECT_TRUE(text.contains("Type : TC-NTC-1 Type : PT100 Type : TC-NTC-1 Type : REL-09060")) << text.toStdString();
    EXPECT_TRUE(text.contains("Mode : 0x04 Mode : 0x10 Mode : 0x04 Mode : 0x04"));
    EXPECT_TRUE(text.contains("Select : 1 Select : 4 Select : 1 Select : 3"));

    const auto r = renderOnImage(input);
    EXPECT_EQ(sectionLines(*r->layout, "Sensor 2"),
              (QStringList{"Select : 4", "Type : PT100", "Mode : 0x10", "Gain : 1.00", "Offset : 0.00",
                           "low T : 0.00", "low R : -0.00", "mid T : 100.00", "mid R : 0.00", "high T : 0.00",
                           "high R : 0.00"}));
    EXPECT_EQ(sectionLines(*r->layout, "Base").last(), "Sensor type : TC-NTC-1");
}

TEST_F(ParameterReportTest, RegulatorModesPrintTheirLines) {
    const QString output = "Output - Max power / deadband : 100.0 / 3.0";
    const QString gain = "Gain - Cool / Heat .......... : 1.0 / 1.0";
    const QString decay = "Decay ....................... : 0.1";
    const QString imax = "I max ....................... : 100.00";
    const QString filter = "Filter - Tr / Te ............ : 2.00 / 3.00";
    const struct {
        std::uint32_t mode;
        QStringList lines;
    } cases[] = {
        {1, {"Mode ........................ : Power", output, gain}},
        {2, {"Mode ........................ : Algo", output, gain, "Algo - deadband / hysteresis  : 5.0 / 5.0"}},
        {3, {"Mode ........................ : P", output, gain, decay, "const - P ................... : 20.00",
             imax, filter}},
        {4, {"Mode ........................ : PI", output, gain, decay,
             "const - P / I ............... : 20.00 / 2.00", imax, filter}},
        {5, {"Mode ........................ : PD", output, gain, decay,
             "const - P / D ............... : 20.00 / 5.00", imax, filter}},
        {9, {"Mode : Unkown"}},
        {15, {"Mode : Unkown"}},
    };
    for (const auto& c : cases) {
        document.regulatorFlags = c.mode;
        EXPECT_EQ(sectionLines(*renderOnImage(inputFor(document))->layout, "Regulator"),
                  QStringList{"Sample rate (ts) : 0.1"} + c.lines)
            << "mode " << c.mode;
    }
}

TEST_F(ParameterReportTest, PidModeWithEveryFlagListsTheFlagsInOrder) {
    document.regulatorFlags = 0x80 | 0x10 | 0x20 | 0x100 | 6;
    const report::ReportInput input = inputFor(document);
    const QStringList expected = {"Sample rate (ts) : 0.1",  // ts 0.05
                                  "Autostart selected",
                                  "Tr external selected",
                                  "Tc power internal mode",
                                  "Loop mode selected....",
                                  "Mode ........................ : PID",
                                  "Output - Max power / deadband : 100.0 / 3.0",
                                  "Gain - Cool / Heat .......... : 1.0 / 1.0",
                                  "Decay ....................... : 0.1",
                                  "const - P / I / D ........... : 20.00 / 2.00 / 5.00",
                                  "I max ....................... : 100.00",
                                  "Filter - Tr / Te ............ : 2.00 / 3.00"};
    EXPECT_EQ(sectionLines(*renderOnImage(input)->layout, "Regulator"), expected);
    QStringList squeezedExpected;
    for (const QString& line : expected) squeezedExpected << squeezed(line);
    EXPECT_TRUE(inOrder(pdfReport(input), QStringList{"Regulator"} + squeezedExpected));

    document.regulatorFlags = 9;
    EXPECT_TRUE(pdfReport(inputFor(document)).contains("Mode : Unkown"));
}

TEST_F(ParameterReportTest, GeometryFollowsTheMarginsAndTwoMillimetreGaps) {
    document.fan1Mode = 5;
    document.regulatorFlags = 6;
    const auto r = renderOnImage(inputFor(document, "run.tq"));
    const report::PageLayout& layout = *r->layout;
    const double width = layout.pageWidth(), height = layout.pageHeight();
    const auto& items = layout.printed();
    ASSERT_EQ(layout.boxes().size(), 1u);
    const QRectF box = layout.boxes().front().rect;

    // Title at the margins, box from 0.01 in below it to 10 mm above the bottom margin.
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.front().text, "run.tq - TQ_Interface");
    EXPECT_DOUBLE_EQ(items.front().rect.left(), mm(15));
    EXPECT_DOUBLE_EQ(items.front().rect.top(), mm(15));
    EXPECT_DOUBLE_EQ(items.front().pointSize, 18);
    EXPECT_NEAR(box.top(), items.front().rect.bottom() + 0.01, 1e-9);
    EXPECT_NEAR(box.left(), mm(15), 1e-9);
    EXPECT_NEAR(box.right(), width - mm(15), 1e-9);
    EXPECT_NEAR(box.bottom(), height - mm(25), 1e-9);
    // The same in page units (pixels of the 150 dpi page).
    EXPECT_NEAR(box.left() * layout.dpiX(), 15 / 25.4 * 150, 0.01);
    EXPECT_NEAR((width - box.right()) * layout.dpiX(), 15 / 25.4 * 150, 0.01);

    auto item = [&](const QString& text) -> const report::PrintedText& {
        const int i = r->find(text);
        EXPECT_GE(i, 0) << text.toStdString();
        return items[std::max(i, 0)];
    };
    auto lastOf = [&](const QString& heading) {
        const QStringList lines = sectionLines(layout, heading);
        return item(lines.last()).rect.bottom();
    };
    const double gap = mm(2);
    EXPECT_NEAR(item("Base").rect.top(), box.top() + gap, 1e-9);
    EXPECT_NEAR(item("Base").rect.left(), box.left() + mm(3), 1e-9);
    EXPECT_NEAR(item("Setpoint... : 20.00").rect.left(), box.left() + mm(6), 1e-9);
    EXPECT_NEAR(item("Alarm").rect.top(), lastOf("Base") + gap, 1e-9);
    EXPECT_NEAR(item("Fan 1").rect.top(), item("Alarm").rect.top(), 1e-9);
    EXPECT_NEAR(item("Fan 1").rect.left(), box.left() + mm(103), 1e-9);
    EXPECT_NEAR(item("Fan 2").rect.top(), lastOf("Fan 1") + gap, 1e-9);
    const double row3 = std::max(lastOf("Alarm"), lastOf("Fan 2")) + gap;
    const double columns[] = {0, 42, 84, 126};
    double sensorsEnd = 0;
    for (int s = 0; s < 4; ++s) {
        const QString heading = QStringLiteral("Sensor %1").arg(s + 1);
        EXPECT_NEAR(item(heading).rect.top(), row3, 1e-9);
        EXPECT_NEAR(item(heading).rect.left(), box.left() + mm(columns[s] + 3), 1e-9);
        sensorsEnd = std::max(sensorsEnd, lastOf(heading));
    }
    EXPECT_NEAR(item("Regulator").rect.top(), sensorsEnd + gap, 1e-9);

    // Lines follow one another with no other spacing.
    const QStringList alarm = sectionLines(layout, "Alarm");
    for (int i = 1; i < alarm.size(); ++i)
        EXPECT_NEAR(item(alarm[i]).rect.top(), item(alarm[i - 1]).rect.bottom(), 1e-9);
    EXPECT_NEAR(item(alarm.first()).rect.top(), item("Alarm").rect.bottom(), 1e-9);

    // Footer below the box.
    const report::PrintedText& footer = items.back();
    EXPECT_TRUE(footer.text.startsWith("Generated from [TQ_Interface 1.1.9a]"));
    EXPECT_NEAR(footer.rect.top(), height - mm(23) + 0.1, 1e-9);
    EXPECT_NEAR(footer.rect.left(), mm(15), 1e-9);
    EXPECT_DOUBLE_EQ(footer.pointSize, 8);
}

TEST_F(ParameterReportTest, AFullSheetStaysOnOnePageInsideTheBoxAndItsColumns) {
    document.notes = std::string(400, 'N') + "\r\nsecond line of notes";
    document.alarmEnable1 = 0x3FF;
    document.alarmEnable2 = 0xFF;
    document.fan1Mode = 5;
    document.fan2Mode = 5;
    document.regulatorFlags = 0x1B6;  // every flag and PID
    document.vInOver = 3.0e38f;       // a value wider than its column
    document.sensor3.selected().setName(std::string(200, 'S'));
    document.sensor4.selected().gain = -3.0e38f;
    const report::ReportInput input = inputFor(document);
    const auto r = renderOnImage(input);
    const report::PageLayout& layout = *r->layout;
    const QRectF box = layout.boxes().front().rect;
    for (const report::PrintedText& item : layout.printed()) {
        if (!item.inBox) continue;
        EXPECT_GE(item.rect.left(), box.left()) << item.text.toStdString();
        EXPECT_LE(item.rect.right(), box.right()) << item.text.toStdString();
        EXPECT_LE(item.rect.bottom(), box.bottom()) << item.text.toStdString();
    }
    // Cut notes: the first line's head only.
    const QString notes = sectionLines(layout, "Base").first();
    EXPECT_TRUE(notes.startsWith("User text.. : NNNN"));
    EXPECT_FALSE(notes.contains("second"));
    // Columns do not run into their neighbours.
    auto rightmost = [&](const QString& heading) {
        double right = 0;
        for (const QString& line : sectionLines(layout, heading))
            right = std::max(right, layout.printed()[r->find(line)].rect.right());
        return right;
    };
    EXPECT_LE(rightmost("Alarm"), box.left() + mm(100));
    EXPECT_LE(rightmost("Sensor 3"), box.left() + mm(126));
    EXPECT_LE(rightmost("Sensor 4"), box.right());
    EXPECT_EQ(sectionLines(layout, "Regulator").size(), 12);

    // Nothing is drawn outside the margins.
    const QImage& image = r->image;
    const int margin = qFloor(mm(15) * layout.dpiX()) - 1;
    int outside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((x < margin || x >= image.width() - margin || y < margin || y >= image.height() - margin) &&
                qGray(image.pixel(x, y)) < 200)
                ++outside;
    EXPECT_EQ(outside, 0);

    const QString text = pdfReport(input);
    EXPECT_TRUE(text.contains("Loop mode selected...."));
    EXPECT_TRUE(text.contains("Temperature sensor T4 - low : -10.0 °C"));
}

TEST_F(ParameterReportTest, APageTooSmallForTheBoxPrintsOnlyTheTitle) {
    QImage image(400, 150, QImage::Format_RGB32);  // 4 x 1.5 in at 100 dpi
    image.setDotsPerMeterX(3937);
    image.setDotsPerMeterY(3937);
    image.fill(Qt::white);
    QPainter painter(&image);
    report::PageLayout layout(painter, QRectF(0, 0, 400, 150));
    report::PrintReport(layout, inputFor(document));
    EXPECT_TRUE(layout.boxes().empty());
    ASSERT_EQ(layout.printed().size(), 1u);
    EXPECT_EQ(layout.printed().front().text.left(9), "Untitled ");
}

TEST_F(ParameterReportTest, FooterTimeIsWrittenYearMonthDayAtHoursMinutes) {
    EXPECT_EQ(report::ReportTimeText(QDateTime(QDate(2026, 3, 2), QTime(14, 5))), "2026-03-02 at 14:05");
    EXPECT_EQ(report::ReportTimeText(QDateTime(QDate(2027, 12, 31), QTime(9, 0, 59))), "2027-12-31 at 09:00");
}
