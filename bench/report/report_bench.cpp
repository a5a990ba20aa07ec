// The parameter report: laying out and painting the full sheet on a page
// image (what a preview does per page) and writing it as a PDF file.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "params/tq_interface_doc.h"
#include "report/report_output.h"

namespace {

struct FullSheet {
    CTQ_InterfaceDoc document;
    report::ReportInput input;
    FullSheet() {
        document.OnNewDocument();
        document.alarmEnable1 = 0x3FF;
        document.alarmEnable2 = 0xFF;
        document.fan1Mode = 5;
        document.fan2Mode = 5;
        document.regulatorFlags = 0x1B6;
        input.parameters = &document;
        input.documentTitle = QStringLiteral("bench.tq");
        input.programVersion = QStringLiteral("TQ_Interface 1.1.9a");
        input.printedAt = QDateTime::currentDateTime();
    }
};

void BM_PaintReportOnPageImage(benchmark::State& state) {
    FullSheet sheet;
    const double dpi = double(state.range(0));
    QImage image(qRound(8.27 * dpi), qRound(11.69 * dpi), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        report::PaintReport(painter, sheet.input);
    }
}
BENCHMARK(BM_PaintReportOnPageImage)->Arg(96)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_WriteReportPdf(benchmark::State& state) {
    FullSheet sheet;
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("bench.pdf"));
    for (auto _ : state) {
        QString error;
        if (!report::WriteReportPdf(sheet.input, path, report::DefaultPdfPage(), &error))
            state.SkipWithError(error.toStdString().c_str());
    }
}
BENCHMARK(BM_WriteReportPdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
