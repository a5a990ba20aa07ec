// The print job: one page, whatever range was asked for, on a printer that
// writes PDF (no printer exists on the test machines).
#include <gtest/gtest.h>

#include <QPrinter>
#include <QTemporaryDir>

#include "report/report_output.h"
#include "report/report_printer.h"
#include "report_fixture.h"

using namespace testing_report;

TEST(PrinterReport, TheJobHasExactlyOnePage) {
    QTemporaryDir dir;
    CTQ_InterfaceDoc document;
    document.OnNewDocument();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("job.pdf"));
    printer.setFromTo(2, 5);
    report::PrepareReportJob(printer, "job.tq");
    EXPECT_EQ(printer.fromPage(), 1);
    EXPECT_EQ(printer.toPage(), 1);
    EXPECT_EQ(printer.printRange(), QPrinter::PageRange);
    EXPECT_EQ(printer.docName(), "job.tq - TQ_Interface");

    ASSERT_TRUE(report::PrintReportOn(printer, inputFor(document, "job.tq")));
    EXPECT_EQ(pdfPages(dir.filePath("job.pdf")), 1);
    const std::optional<QString> text = pdfText(dir.filePath("job.pdf"));
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->contains("job.tq - TQ_Interface"));
    EXPECT_TRUE(text->contains("File Information"));
}

TEST(PrinterReport, PrintingWithoutThePrinterSaysWhy) {
    CTQ_InterfaceDoc document;
    document.OnNewDocument();
    QString error;
    EXPECT_FALSE(report::PrintReportToPrinter("no-such-printer", inputFor(document), &error));
    EXPECT_EQ(error, "There is no printer named \"no-such-printer\".");
    EXPECT_FALSE(report::PrintReportToPrinter(QString(), inputFor(document), &error));
    EXPECT_EQ(error, "No default printer is set up.");
}

TEST(PrinterReport, ExportOffersTheDocumentsNameWithPdf) {
    EXPECT_EQ(report::DefaultReportPdfName("", "Untitled"), "Untitled.pdf");
    EXPECT_EQ(report::DefaultReportPdfName("/data/bench/run.tq", "run.tq"), "/data/bench/run.pdf");
    EXPECT_EQ(report::DefaultReportPdfName("/data/bench/run.v2.TQ", "run.v2.TQ"), "/data/bench/run.v2.pdf");
    EXPECT_EQ(report::DefaultReportPdfName("/data/noext", "noext"), "/data/noext.pdf");
}
