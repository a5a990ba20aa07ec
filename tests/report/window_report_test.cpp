// The window's report commands: the File menu entries, the print dialog
// with its one-page range, the preview and its page count, Print Setup's
// printer and paper, and Export PDF.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/command_ids.h"
#include "app/global_setup.h"
#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "report_fixture.h"
#include "ui/dialogs/print_preview_pages.h"
#include "ui/dialogs/print_setup_dialog.h"
#include "ui/tq_interface_view.h"

using namespace testing_report;

namespace {

class WindowReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir = QDir::currentPath();
        QDir::setCurrent(work.path());
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
    }
    void TearDown() override {
        delete frame;
        QDir::setCurrent(previousDir);
    }

    // Triggers `command` and, once a modal dialog of type Dialog is up, runs
    // `act` on it (which must close it). Any other modal window, or none
    // within the bound, is closed and the test fails.
    template <typename Dialog>
    bool withDialog(int command, const std::function<void(Dialog*)>& act) {
        bool seen = false;
        QElapsedTimer clock;
        clock.start();
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<Dialog*>(modal)) {
                poll.stop();
                seen = true;
                act(dialog);
            } else if (modal && clock.elapsed() > 10000) {
                poll.stop();
                if (auto* other = qobject_cast<QDialog*>(modal)) other->reject();
            }
        });
        poll.start();
        frame->command(command)->trigger();
        return seen;
    }

    QTemporaryDir work;
    QString previousDir;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
};

}  // namespace

TEST_F(WindowReportTest, FileMenuHoldsThePrintCommandsAndExportPdf) {
    QMenu* file = frame->menuBar()->actions().first()->menu();
    ASSERT_TRUE(file);
    QStringList texts;
    for (QAction* a : file->actions()) texts << a->text();
    const qsizetype print = texts.indexOf("&Print...");
    ASSERT_GE(print, 0) << texts.join('|').toStdString();
    EXPECT_EQ(texts.mid(print, 4),
              (QStringList{"&Print...", "Print Pre&view", "P&rint Setup...", "&Export PDF..."}));
    EXPECT_TRUE(frame->command(cmd::FileExportPdf)->isEnabled());
}

TEST_F(WindowReportTest, PrintDialogOffersOnlyTheOnePage) {
    const bool shown = withDialog<QPrintDialog>(cmd::FilePrint, [](QPrintDialog* dialog) {
        EXPECT_EQ(dialog->minPage(), 1);
        EXPECT_EQ(dialog->maxPage(), 1);
        EXPECT_EQ(dialog->fromPage(), 1);
        EXPECT_EQ(dialog->toPage(), 1);
        EXPECT_FALSE(dialog->testOption(QAbstractPrintDialog::PrintPageRange));
        dialog->reject();
    });
    EXPECT_TRUE(shown);
}

// The preview opens showing as many pages as it did when it was last
// closed ("PreviewPages" of "Settings").
TEST_F(WindowReportTest, PreviewKeepsItsPageCountInTheSettings) {
    QSettings settings(QString::fromLatin1(settingsOrganization()), QString::fromLatin1(settingsApplication()));
    settings.remove(QLatin1String(kPreviewPagesKey));
    auto modeOf = [](QPrintPreviewDialog* d) { return d->findChild<QPrintPreviewWidget*>()->viewMode(); };
    QPrintPreviewWidget::ViewMode opened = QPrintPreviewWidget::AllPagesView;
    ASSERT_TRUE(withDialog<QPrintPreviewDialog>(cmd::FilePrintPreview, [&](QPrintPreviewDialog* d) {
        opened = modeOf(d);
        // The operator switches to two pages side by side with the tool bar.
        for (QAction* a : d->findChildren<QAction*>())
            if (a->text() == QLatin1String("Show facing pages")) a->trigger();
        d->reject();
    }));
    EXPECT_EQ(opened, QPrintPreviewWidget::SinglePageView) << "one page without a stored count";
    settings.sync();
    EXPECT_EQ(settings.value(QLatin1String(kPreviewPagesKey)).toInt(), 2);

    ASSERT_TRUE(withDialog<QPrintPreviewDialog>(cmd::FilePrintPreview, [&](QPrintPreviewDialog* d) {
        opened = modeOf(d);
        d->findChild<QPrintPreviewWidget*>()->setSinglePageViewMode();
        d->reject();
    }));
    EXPECT_EQ(opened, QPrintPreviewWidget::FacingPagesView);
    settings.sync();
    EXPECT_EQ(settings.value(QLatin1String(kPreviewPagesKey)).toInt(), 1);

    // Any other stored value opens one page.
    settings.setValue(QLatin1String(kPreviewPagesKey), 7);
    settings.sync();
    ASSERT_TRUE(withDialog<QPrintPreviewDialog>(cmd::FilePrintPreview, [&](QPrintPreviewDialog* d) {
        opened = modeOf(d);
        d->reject();
    }));
    EXPECT_EQ(opened, QPrintPreviewWidget::SinglePageView);
}

// Print Setup chooses where the report goes and on what paper; the choice
// stays for the next print and Print Setup, and Cancel changes nothing. A
// machine without printers still offers "Print to PDF".
TEST_F(WindowReportTest, PrintSetupChoosesPrinterAndPaperForTheNextPrint) {
    QStringList offered;
    ASSERT_TRUE(withDialog<PrintSetupDialog>(cmd::FilePrintSetup, [&](PrintSetupDialog* d) {
        for (int i = 0; i < d->destinationBox()->count(); ++i) offered << d->destinationBox()->itemText(i);
        d->destinationBox()->setCurrentIndex(d->destinationBox()->findText("Print to PDF"));
        d->paperBox()->setCurrentIndex(d->paperBox()->findText(QPageSize(QPageSize::Letter).name()));
        d->landscapeButton()->setChecked(true);
        d->accept();
    }));
    EXPECT_EQ(offered.value(offered.size() - 1), "Print to PDF");

    auto chosenNow = [this](const std::function<void(PrintSetupDialog*)>& close) {
        QString shown;
        EXPECT_TRUE(withDialog<PrintSetupDialog>(cmd::FilePrintSetup, [&](PrintSetupDialog* d) {
            shown = d->destinationBox()->currentText() + '|' + d->paperBox()->currentText() + '|' +
                    (d->landscapeButton()->isChecked() ? "landscape" : "portrait");
            close(d);
        }));
        return shown;
    };
    const QString letter = "Print to PDF|" + QPageSize(QPageSize::Letter).name() + "|landscape";
    EXPECT_EQ(chosenNow([](PrintSetupDialog* d) {
        d->paperBox()->setCurrentIndex(d->paperBox()->findText(QPageSize(QPageSize::A5).name()));
        d->reject();
    }), letter);
    EXPECT_EQ(chosenNow([](PrintSetupDialog* d) { d->reject(); }), letter) << "Cancel keeps the choice";

    // The print dialog starts from the same printer.
    QString printTo;
    QPageSize paper;
    ASSERT_TRUE(withDialog<QPrintDialog>(cmd::FilePrint, [&](QPrintDialog* dialog) {
        printTo = dialog->printer()->outputFileName();
        paper = dialog->printer()->pageLayout().pageSize();
        dialog->reject();
    }));
    EXPECT_TRUE(printTo.endsWith("Untitled.pdf")) << printTo.toStdString();
    EXPECT_TRUE(paper.isEquivalentTo(QPageSize(QPageSize::Letter))) << paper.name().toStdString();
}

// The model behind the dialog, with printers as a machine might have them.
TEST(PrintSetupModel, OffersThePrintersThenPdfAndAppliesTheChoice) {
    const PrintSetupModel none({}, {});
    EXPECT_EQ(none.destinations(), QStringList{"Print to PDF"});
    EXPECT_FALSE(none.paperSizes(none.pdfDestination()).isEmpty());

    const PrintSetupModel two({"Office", "Lab"}, "Lab");
    EXPECT_EQ(two.destinations(), (QStringList{"Office", "Lab", "Print to PDF"}));
    QPrinter printer(QPrinter::HighResolution);
    two.apply(two.pdfDestination(), QPageSize(QPageSize::A5), QPageLayout::Landscape, "out.pdf", printer);
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.outputFileName(), "out.pdf");
    EXPECT_TRUE(printer.pageLayout().pageSize().isEquivalentTo(QPageSize(QPageSize::A5)));
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(two.destinationOf(printer), two.pdfDestination());
    // The size shown first: the one in use when the destination takes it.
    const QList<QPageSize> sizes = two.paperSizes(two.pdfDestination());
    EXPECT_TRUE(sizes.value(two.paperIndex(two.pdfDestination(), QPageSize(QPageSize::A5)))
                    .isEquivalentTo(QPageSize(QPageSize::A5)));
    EXPECT_EQ(two.paperIndex(two.pdfDestination(), QPageSize(QPageSize::B7)), 0);
}

TEST_F(WindowReportTest, ExportPdfWritesTheReportUnderTheChosenName) {
    document.fan2Mode = 5;
    const QString target = work.filePath("exported");
    QString proposed;
    const bool shown = withDialog<QFileDialog>(cmd::FileExportPdf, [&](QFileDialog* dialog) {
        proposed = dialog->selectedFiles().value(0);
        // The name field has the focus, so type into it as the operator would.
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_TRUE(name);
        name->setText(target);
        QMetaObject::invokeMethod(dialog, "accept");  // a slot, protected in C++
    });
    ASSERT_TRUE(shown);
    EXPECT_TRUE(proposed.endsWith("Untitled.pdf")) << proposed.toStdString();
    ASSERT_TRUE(QFile::exists(target + ".pdf")) << QDir(work.path()).entryList().join(' ').toStdString();
    EXPECT_EQ(pdfPages(target + ".pdf"), 1);
    const std::optional<QString> text = pdfText(target + ".pdf");
    ASSERT_TRUE(text);
    const QString squeezed = squeezedLines(*text).join('\n');
    EXPECT_TRUE(squeezed.contains("Untitled - TQ_Interface"));
    EXPECT_TRUE(squeezed.contains("Mode ......... : Algo"));
}
