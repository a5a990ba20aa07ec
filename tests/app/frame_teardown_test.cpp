// Tearing down the main window in either order: the frame with its view, or
// the view alone first. The view unhooks itself from a frame that is still
// whole; a frame without its view calls no dangling hook. (Run under the
// sanitizers in CI, where a call into a half-destroyed frame is reported.)
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QTemporaryDir>

#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "ui/tq_interface_view.h"

namespace {

class FrameTeardown : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        document.OnNewDocument();
    }
    void TearDown() override { QDir::setCurrent(previousDir); }
    QTemporaryDir workDir;
    QString previousDir;
    CTQ_InterfaceDoc document;
};

TEST_F(FrameTeardown, DeletingTheFrameDeletesTheViewFirst) {
    auto* frame = new CMainFrame;
    QPointer<CTQ_InterfaceView> view = new CTQ_InterfaceView(frame, &document);
    frame->setCentralWidget(view);
    view->initialUpdate();
    bool viewGoneWhileFrameWhole = false;
    QObject::connect(view, &QObject::destroyed, [&] {
        // Still a CMainFrame here, not a QWidget halfway through its
        // destructor deleting its children.
        viewGoneWhileFrameWhole = qobject_cast<CMainFrame*>(static_cast<QObject*>(frame)) != nullptr;
    });
    delete frame;
    EXPECT_TRUE(view.isNull());
    EXPECT_TRUE(viewGoneWhileFrameWhole);
}

TEST_F(FrameTeardown, AFrameWhoseViewIsGoneCallsNoHook) {
    CMainFrame frame;
    auto* view = new CTQ_InterfaceView(&frame, &document);
    frame.setCentralWidget(view);
    view->initialUpdate();
    delete view;
    frame.updateCommands();   // the command updater was the view's
    QCloseEvent close;
    QCoreApplication::sendEvent(&frame, &close);   // so was the close guard
    EXPECT_TRUE(close.isAccepted());
}

}  // namespace
