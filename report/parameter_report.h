// The one-page parameter report: a title line, the framed box "File
// Information" with the Base, Alarm, Fan, Sensor and Regulator sections, and
// a footer naming the program version and the time of printing.
#pragma once

#include <QDateTime>
#include <QString>

#include "params/parameter_set.h"
#include "report/page_layout.h"

namespace report {

struct ReportInput {
    const ParameterSet* parameters = nullptr;
    QString documentTitle;   // as the window shows it: "Untitled", "run.tq"
    QString programVersion;  // "TQ_Interface 1.1.9a"
    QDateTime printedAt;     // local time
};

inline constexpr double kMarginMm = 15.0;
inline constexpr double kHeadingGapMm = 2.0;

// Lays the report out on one page through `layout`.
void PrintReport(PageLayout& layout, const ReportInput& input);

// The footer's time: "2026-03-02 at 14:05".
QString ReportTimeText(const QDateTime& time);

}  // namespace report
