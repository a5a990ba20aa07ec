#include "report_fixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "report/report_output.h"

namespace testing_report {

report::ReportInput inputFor(const ParameterSet& parameters, const QString& title) {
    report::ReportInput input;
    input.parameters = &parameters;
    input.documentTitle = title;
    input.programVersion = QString::fromLatin1(kVersion);
    input.printedAt = QDateTime(QDate(2026, 3, 2), QTime(14, 5, 37));
    return input;
}

std::optional<QString> run(const QString& program, const QStringList& args) {
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) return std::nullopt;
    QProcess p;
    p.start(path, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

std::optional<QString> pdfText(const QString& pdfPath) {
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfPath, QStringLiteral("-")});
}

int pdfPages(const QString& pdfPath) {
    const std::optional<QString> info = run(QStringLiteral("pdfinfo"), {pdfPath});
    if (!info) return -1;
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                                         QRegularExpression::MultilineOption)
                                          .match(*info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QStringList squeezedLines(const QString& text) {
    QStringList lines;
    static const QRegularExpression blanks(QStringLiteral(" {2,}"));
    for (QString line : text.split(QLatin1Char('\n'))) {
        line.replace(blanks, QStringLiteral(" "));
        while (line.endsWith(QLatin1Char(' '))) line.chop(1);
        lines << line;
    }
    return lines;
}

bool inOrder(const QString& text, const QStringList& parts) {
    qsizetype from = 0;
    for (const QString& part : parts) {
        const qsizetype at = text.indexOf(part, from);
        if (at < 0) return false;
        from = at + part.size();
    }
    return true;
}

QStringList Rendered::texts() const {
    QStringList out;
    for (const report::PrintedText& item : layout->printed())
        if (item.inBox) out << item.text;
    return out;
}

int Rendered::find(const QString& text) const {
    const auto& items = layout->printed();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].text == text) return int(i);
    return -1;
}

std::unique_ptr<Rendered> renderOnImage(const report::ReportInput& input, double dpi) {
    auto r = std::make_unique<Rendered>();
    const QSize size(qRound(210 / 25.4 * dpi), qRound(297 / 25.4 * dpi));
    r->image = QImage(size, QImage::Format_RGB32);
    r->image.setDotsPerMeterX(qRound(dpi / 0.0254));
    r->image.setDotsPerMeterY(qRound(dpi / 0.0254));
    r->image.fill(Qt::white);
    r->painter = std::make_unique<QPainter>(&r->image);
    r->layout = std::make_unique<report::PageLayout>(*r->painter, QRectF(QPointF(0, 0), QSizeF(size)));
    report::PrintReport(*r->layout, input);
    r->painter->end();
    return r;
}

QStringList sectionLines(const report::PageLayout& layout, const QString& heading) {
    QStringList lines;
    const auto& items = layout.printed();
    bool inside = false;
    for (const report::PrintedText& item : items) {
        if (!item.inBox) {
            if (inside) break;
            continue;
        }
        if (item.bold) {
            if (inside) break;
            inside = item.inBox && item.text == heading;
            continue;
        }
        if (inside) lines << item.text;
    }
    return lines;
}

}  // namespace testing_report
