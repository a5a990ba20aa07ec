#include "report/parameter_report.h"

#include <string>

namespace report {

namespace {

constexpr double kTitlePt = 18;
constexpr double kCaptionGapIn = 0.01;
constexpr double kHeadingPt = 12;
constexpr double kLinePt = 9;
constexpr double kFooterPt = 8;
constexpr const char* kLineFace = "Courier New";

// Prints one section of the box: the heading at column + 3 mm, its lines at
// column + 6 mm in the line face, cut at the column's right end.
class Section {
public:
    Section(PageLayout& layout, const PrintBox& box, double column, double right, double y, const char* heading)
        : layout_(layout), box_(box), x_(column + mm(6)), y_(y) {
        layout_.SetRightLimit(right);
        y_ = layout_.PrintInBox(box_, y_, column + mm(3), kBold | kSingleLine, kHeadingPt, "%s", heading);
        previousFace_ = layout_.SetFontFace(QString::fromLatin1(kLineFace));
    }
    ~Section() {
        layout_.SetFontFace(previousFace_);
        layout_.SetRightLimit(0);
    }
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;

    template <typename... Args>
    void line(const char* format, Args... args) {
        y_ = layout_.PrintInBox(box_, y_, x_, kSingleLine, kLinePt, format, args...);
    }
    void text(const QString& text) { y_ = layout_.PrintInBoxString(box_, y_, x_, kSingleLine, kLinePt, text); }
    double y() const { return y_; }

private:
    PageLayout& layout_;
    const PrintBox& box_;
    double x_;
    double y_;
    QString previousFace_;
};

template <typename Record>
std::string recordName(const Record& record) {
    return std::string(record.nameText());
}

double printBase(PageLayout& layout, const PrintBox& box, const ParameterSet& p, double y) {
    Section s(layout, box, 0, 0, y, "Base");
    s.line("User text.. : %s", p.notes.c_str());
    s.line("Setpoint... : %0.2f", double(p.st1));
    s.line("Sensor type : %s", recordName(p.sensor1.selected()).c_str());
    return s.y();
}

double printAlarm(PageLayout& layout, const PrintBox& box, const ParameterSet& p, double y, double right) {
    struct Limit {
        std::uint32_t ParameterSet::*enable;
        std::uint32_t bit;
        const char* format;
        float ParameterSet::*value;
    };
    static const Limit kLimits[] = {
        {&ParameterSet::alarmEnable1, 1u << 0, "Voltage In - over .........  : %0.1f V", &ParameterSet::vInOver},
        {&ParameterSet::alarmEnable1, 1u << 1, "Voltage In - under ........  : %0.1f V", &ParameterSet::vInUnder},
        {&ParameterSet::alarmEnable1, 1u << 4, "Current Out - over ........  : %0.1f A", &ParameterSet::iOutOver},
        {&ParameterSet::alarmEnable1, 1u << 5, "Current Out - under .......  : %0.1f A", &ParameterSet::iOutUnder},
        {&ParameterSet::alarmEnable1, 1u << 2, "Internal - over ...........  : %0.1f V", &ParameterSet::vIntOver},
        {&ParameterSet::alarmEnable1, 1u << 3, "Internal - under ..........  : %0.1f V", &ParameterSet::vIntUnder},
        {&ParameterSet::alarmEnable1, 1u << 6, "FAN 1 current limit - over   : %0.1f A", &ParameterSet::fan1IOver},
        {&ParameterSet::alarmEnable1, 1u << 7, "FAN 1 current limit - under  : %0.1f A", &ParameterSet::fan1IUnder},
        {&ParameterSet::alarmEnable1, 1u << 8, "FAN 2 current limit - over   : %0.1f A", &ParameterSet::fan2IOver},
        {&ParameterSet::alarmEnable1, 1u << 9, "FAN 2 current limit - under  : %0.1f A", &ParameterSet::fan2IUnder},
        {&ParameterSet::alarmEnable2, 1u << 0, "Temperature sensor T1 - high : %0.1f °C", &ParameterSet::t1High},
        {&ParameterSet::alarmEnable2, 1u << 1, "Temperature sensor T1 - low  : %0.1f °C", &ParameterSet::t1Low},
        {&ParameterSet::alarmEnable2, 1u << 2, "Temperature sensor T2 - high : %0.1f °C", &ParameterSet::t2High},
        {&ParameterSet::alarmEnable2, 1u << 3, "Temperature sensor T2 - low  : %0.1f °C", &ParameterSet::t2Low},
        {&ParameterSet::alarmEnable2, 1u << 4, "Temperature sensor T3 - high : %0.1f °C", &ParameterSet::t3High},
        {&ParameterSet::alarmEnable2, 1u << 5, "Temperature sensor T3 - low  : %0.1f °C", &ParameterSet::t3Low},
        {&ParameterSet::alarmEnable2, 1u << 6, "Temperature sensor T4 - high : %0.1f °C", &ParameterSet::t4High},
        {&ParameterSet::alarmEnable2, 1u << 7, "Temperature sensor T4 - low  : %0.1f °C", &ParameterSet::t4Low},
    };
    Section s(layout, box, 0, right, y, "Alarm");
    for (const Limit& limit : kLimits)
        if (p.*limit.enable & limit.bit) s.line(limit.format, double(p.*limit.value));
    return s.y();
}

struct FanFields {
    std::uint32_t mode;
    float setPoint, deadBand, lowHyst, highHyst, lowVoltage, highVoltage;
};

// The speeds print as "48.0 ": the percent sign that ends these lines in
// the sheet's layout prints nothing.
double printFan(PageLayout& layout, const PrintBox& box, double column, double y, const char* heading,
                const FanFields& fan) {
    static const char* const kModes[] = {"Off", "Always on", "Cool", "Heat", "Cool and heat", "Algo"};
    Section s(layout, box, column, 0, y, heading);
    const std::uint32_t mode = fan.mode & 0x0F;
    if (mode > 5) {
        s.line("Mode ......... : Unkown");
        return s.y();
    }
    s.line("Mode ......... : %s", kModes[mode]);
    if (mode == 5) {
        s.line("Setpoint ..... : %0.1f °C", double(fan.setPoint));
        s.line("Deadband ..... : %0.1f °C", double(fan.deadBand));
        s.line("Low Speed Hyst : %0.1f °C", double(fan.lowHyst));
        s.line("High Speed Hyst: %0.1f °C", double(fan.highHyst));
        s.line("Low speed .... : %0.1f ", double(fan.lowVoltage));
    }
    if (mode != 0) s.line("High speed ... : %0.1f ", double(fan.highVoltage));
    return s.y();
}

template <typename Record>
double printSensor(PageLayout& layout, const PrintBox& box, double column, double right, double y, int number,
                   const SensorSlot<Record>& slot) {
    const std::string heading = "Sensor " + std::to_string(number);
    const Record& r = slot.selected();
    Section s(layout, box, column, right, y, heading.c_str());
    s.line("Select : %u", unsigned(slot.select));
    s.line("Type : %s", recordName(r).c_str());
    s.line("Mode : 0x%02x", unsigned(r.type));
    s.line("Gain : %0.2f", double(r.gain));
    s.line("Offset : %0.2f", double(r.offset));
    static const char* const kLabels[] = {"low T", "low R", "mid T", "mid R", "high T", "high R"};
    for (int i = 0; i < 6; ++i)
        s.line("%s : %0.2f", kLabels[i], double(r.d[i]));
    return s.y();
}

double printRegulator(PageLayout& layout, const PrintBox& box, const ParameterSet& p, double y) {
    Section s(layout, box, 0, 0, y, "Regulator");
    s.line("Sample rate (ts) : %0.1f", double(p.ts));
    const std::uint32_t flags = p.regulatorFlags;
    if (flags & kRegulatorAutostart) s.line("Autostart selected");
    if (flags & kRegulatorTrExternal) s.line("Tr external selected");
    if (flags & kRegulatorTcPowerInternal) s.line("Tc power internal mode");
    if (flags & kRegulatorLoopMode) s.line("Loop mode selected....");

    const std::uint32_t mode = flags & kRegulatorModeMask;
    if (mode == 0) {
        s.line("Mode : off");
        return s.y();
    }
    if (mode > 6) {
        s.line("Mode : Unkown");
        return s.y();
    }
    static const char* const kModes[] = {"", "Power", "Algo", "P", "PI", "PD", "PID"};
    s.line("Mode ........................ : %s", kModes[mode]);
    s.line("Output - Max power / deadband : %0.1f / %0.1f", double(p.maxPower), double(p.deadBand));
    s.line("Gain - Cool / Heat .......... : %0.1f / %0.1f", double(p.coolGain), double(p.heatGain));
    if (mode == 1) return s.y();
    if (mode == 2) {
        s.line("Algo - deadband / hysteresis  : %0.1f / %0.1f", double(p.algoDeadBand), double(p.algoHysteresis));
        return s.y();
    }
    s.line("Decay ....................... : %0.1f", double(p.decay));
    if (mode == 3) s.line("const - P ................... : %0.2f", double(p.kP));
    if (mode == 4) s.line("const - P / I ............... : %0.2f / %0.2f", double(p.kP), double(p.kI));
    if (mode == 5) s.line("const - P / D ............... : %0.2f / %0.2f", double(p.kP), double(p.kD));
    if (mode == 6)
        s.line("const - P / I / D ........... : %0.2f / %0.2f / %0.2f", double(p.kP), double(p.kI), double(p.kD));
    s.line("I max ....................... : %0.2f", double(p.integralLimit));
    s.line("Filter - Tr / Te ............ : %0.2f / %0.2f", double(p.kTr), double(p.kTe));
    return s.y();
}

}  // namespace

QString ReportTimeText(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    return QString::asprintf("%04d-%02d-%02d at %02d:%02d", d.year(), d.month(), d.day(), t.hour(), t.minute());
}

void PrintReport(PageLayout& layout, const ReportInput& input) {
    const double margin = mm(kMarginMm);
    const double gap = mm(kHeadingGapMm);
    layout.SetRightInset(margin);
    const QString title = input.documentTitle + QStringLiteral(" - TQ_Interface");
    double y = layout.PrintTextString(margin, margin, kBold | kSingleLine, kTitlePt, title);

    const std::optional<PrintBox> made =
        layout.CreateBox(y + kCaptionGapIn, margin, layout.pageHeight() - margin - mm(10),
                         layout.pageWidth() - margin, QStringLiteral("File Information"));
    if (!made || !input.parameters) return;
    const PrintBox& box = *made;
    const ParameterSet& p = *input.parameters;
    layout.SetLineSpacing(1.0);
    layout.SetRightInset(mm(1));  // lines stop short of the frame

    y = printBase(layout, box, p, gap);

    const double row2 = y + gap;
    const double alarmEnd = printAlarm(layout, box, p, row2, mm(100));
    double fanEnd = printFan(layout, box, mm(100), row2, "Fan 1",
                             {p.fan1Mode, p.fan1SetPoint, p.fan1DeadBand, p.fan1LowHyst, p.fan1HighHyst,
                              p.fan1LowVoltage, p.fan1HighVoltage});
    fanEnd = printFan(layout, box, mm(100), fanEnd + gap, "Fan 2",
                      {p.fan2Mode, p.fan2SetPoint, p.fan2DeadBand, p.fan2LowHyst, p.fan2HighHyst,
                       p.fan2LowVoltage, p.fan2HighVoltage});

    const double row3 = std::max(alarmEnd, fanEnd) + gap;
    double sensorEnd = printSensor(layout, box, 0, mm(42), row3, 1, p.sensor1);
    sensorEnd = std::max(sensorEnd, printSensor(layout, box, mm(42), mm(84), row3, 2, p.sensor2));
    sensorEnd = std::max(sensorEnd, printSensor(layout, box, mm(84), mm(126), row3, 3, p.sensor3));
    sensorEnd = std::max(sensorEnd, printSensor(layout, box, mm(126), 0, row3, 4, p.sensor4));

    printRegulator(layout, box, p, sensorEnd + gap);

    layout.SetRightInset(margin);
    layout.PrintText(layout.pageHeight() - margin - mm(8) + 0.1, margin, kWrap, kFooterPt,
                     "Generated from [%s] and printed %s", input.programVersion.toUtf8().constData(),
                     ReportTimeText(input.printedAt).toUtf8().constData());
}

}  // namespace report
