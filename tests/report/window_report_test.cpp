// The window's report commands: the File menu entries, the print dialog
// with its one-page range, the preview, the page setup and Export PDF.
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
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "report_fixture.h"
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

TEST_F(WindowReportTest, PreviewAndPageSetupOpenTheirDialogs) {
    EXPECT_TRUE(withDialog<QPrintPreviewDialog>(cmd::FilePrintPreview, [](QPrintPreviewDialog* d) { d->reject(); }));
    EXPECT_TRUE(withDialog<QPageSetupDialog>(cmd::FilePrintSetup, [](QPageSetupDialog* d) { d->reject(); }));
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
