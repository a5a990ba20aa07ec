// A main window on a fresh document for the parameter page tests, and
// typing into its controls as an operator would.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "test_support.h"
#include "ui/tab_strip.h"
#include "ui/tq_interface_view.h"

class PageWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
        view->setCelsius(true);  // the setup is stored between tests
        frame->show();
    }
    void TearDown() override {
        view->setCelsius(true);
        delete frame;
        QDir::setCurrent(previousDir);
    }
    template <typename Page>
    Page* page(CTQ_InterfaceView::Page which) {
        view->tabs()->setCurrentIndex(which);
        return dynamic_cast<Page*>(view->page(which));
    }

    QTemporaryDir workDir;
    QString previousDir;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
};

// Replaces the text of `edit` by typing `text` key by key (the entry rule
// sees every character, and the edit reports each change).
inline void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(edit, &erase);
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

// Runs `answer` on the next modal window that opens (a message box or a
// dialog), polling from the event loop that the modal window runs.
inline void onNextModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start(10);
}
