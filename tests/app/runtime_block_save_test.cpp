// Saving and opening from the window keeps the graph channel table: every
// save writes the "RuntimeData_v1" block, byte for byte as tqctl writes it.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "ui/runtime/runtime_page.h"
#include "ui/runtime/scope_viewer_ctrl.h"
#include "ui/tq_interface_view.h"

namespace {

constexpr qint64 kFileWithBlock = 6559;
constexpr qint64 kFileWithoutBlock = 6369;

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs tqctl; returns its exit code (-1 when it did not run).
int tqctl(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(TQCTL_EXE), args);
    if (!p.waitForFinished(30000)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

class WindowFileTest : public ::testing::Test {
protected:
    // `openFirst`: the file is opened before the pages exist, as a file
    // named on the command line is.
    void build(const QString& openFirst = {}) {
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        if (openFirst.isEmpty())
            document.OnNewDocument();
        else
            ASSERT_TRUE(static_cast<bool>(document.OnOpenDocument(openFirst.toStdString())));
        view->initialUpdate();
        view->onDocumentUpdate();
        page = view->runtimePage();
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override { delete frame; }

    // File > Save under `path`.
    void saveFromWindow(const QString& path) {
        document.SetPathName(path.toStdString());
        document.SetModifiedFlag(true);
        frame->command(cmd::FileSave)->trigger();
        EXPECT_FALSE(document.IsModified());
    }
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
    CRuntimePage* page = nullptr;
};

const QStringList kCustomTable = {QStringLiteral("channel1.enabled=1"), QStringLiteral("channel5.min=5"),
                                  QStringLiteral("channel5.max=25"), QStringLiteral("channel8.enabled=0"),
                                  QStringLiteral("channel18.min=-0.5"), QStringLiteral("channel18.max=2.75")};

}  // namespace

TEST_F(WindowFileTest, DefaultDocumentSavesAsTqctlNewWritesIt) {
    build();
    ASSERT_EQ(tqctl({QStringLiteral("new"), file("tqctl.tq")}), 0);
    saveFromWindow(file("window.tq"));
    const QByteArray written = bytesOf(file("window.tq"));
    EXPECT_EQ(written.size(), kFileWithBlock);
    EXPECT_EQ(written, bytesOf(file("tqctl.tq")));
    EXPECT_NE(written.indexOf("RuntimeData_v1"), -1);
}

TEST_F(WindowFileTest, OpenThenSaveKeepsACustomChannelTableByteForByte) {
    ASSERT_EQ(tqctl({QStringLiteral("new"), file("custom.tq")}), 0);
    ASSERT_EQ(tqctl(QStringList{QStringLiteral("set"), file("custom.tq")} + kCustomTable), 0);
    build();
    ASSERT_TRUE(view->openDocument(file("custom.tq")));
    EXPECT_TRUE(view->channelTable()[1].enabled);
    EXPECT_FALSE(view->channelTable()[8].enabled);
    EXPECT_EQ(view->channelTable()[5].min, 5.0f);
    EXPECT_EQ(page->channelList()->item(5, RuntimeChannelList::MaxColumn)->text(), "25.0");
    EXPECT_EQ(page->channelList()->item(18, RuntimeChannelList::MinColumn)->text(), "-0.5");
    EXPECT_EQ(page->channelList()->item(1, RuntimeChannelList::CheckColumn)->checkState(), Qt::Checked);
    EXPECT_TRUE(page->scope()->state().enabled[1]);
    EXPECT_FALSE(page->scope()->state().enabled[8]);
    saveFromWindow(file("again.tq"));
    EXPECT_EQ(bytesOf(file("again.tq")), bytesOf(file("custom.tq")));
}

TEST_F(WindowFileTest, AFileOpenedBeforeThePagesExistKeepsItsTable) {
    ASSERT_EQ(tqctl({QStringLiteral("new"), file("custom.tq")}), 0);
    ASSERT_EQ(tqctl(QStringList{QStringLiteral("set"), file("custom.tq")} + kCustomTable), 0);
    build(file("custom.tq"));
    EXPECT_EQ(page->channelList()->item(5, RuntimeChannelList::MinColumn)->text(), "5.0");
    EXPECT_TRUE(page->scope()->state().enabled[1]);
    saveFromWindow(file("again.tq"));
    EXPECT_EQ(bytesOf(file("again.tq")), bytesOf(file("custom.tq")));
}

TEST_F(WindowFileTest, AFileWithoutABlockKeepsTheCurrentTableAndGainsTheBlock) {
    {
        CTQ_InterfaceDoc bare;  // no window: no block
        ASSERT_TRUE(static_cast<bool>(bare.SaveAs(file("bare.tq").toStdString())));
    }
    ASSERT_EQ(bytesOf(file("bare.tq")).size(), kFileWithoutBlock);
    build();
    view->channelTable()[3].max = 40.0f;
    view->channelTable()[3].enabled = true;
    page->runtimeBlockLoaded();
    const ChannelTable before = view->channelTable();
    ASSERT_TRUE(view->openDocument(file("bare.tq")));
    EXPECT_EQ(view->channelTable(), before);
    EXPECT_EQ(page->channelList()->item(3, RuntimeChannelList::MaxColumn)->text(), "40.0");
    saveFromWindow(file("bare.tq"));
    EXPECT_EQ(bytesOf(file("bare.tq")).size(), kFileWithBlock);
}

TEST_F(WindowFileTest, NewAndRevertPutTheTableBackToItsDefaults) {
    build();
    view->channelTable()[2].min = 1.0f;
    view->channelTable()[2].enabled = true;
    page->runtimeBlockLoaded();
    frame->command(cmd::FileNew)->trigger();
    EXPECT_EQ(view->channelTable(), ChannelTable());
    EXPECT_EQ(page->channelList()->item(2, RuntimeChannelList::MinColumn)->text(), "-100.0");
    EXPECT_FALSE(page->scope()->state().enabled[2]);

    view->channelTable()[0].max = 3.0f;
    page->runtimeBlockLoaded();
    frame->command(cmd::RevertToDefault)->trigger();
    EXPECT_EQ(view->channelTable(), ChannelTable());
    EXPECT_EQ(page->channelList()->item(0, RuntimeChannelList::MaxColumn)->text(), "100.0");
    // The graph scaling follows the table.
    RuntimeSample sample;
    sample.fgTc = 100.0f;
    EXPECT_EQ(view->fanOut().graphValuesFor(sample)[0], 100.0f);
}
