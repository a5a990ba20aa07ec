// Test entry: Qt's offscreen platform, a private settings directory and no
// print server, so no test ever reaches a real printer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    qputenv("XDG_CONFIG_HOME", scratch.path().toLocal8Bit());
    qputenv("CUPS_SERVER", (scratch.path() + QStringLiteral("/no-cups.sock")).toLocal8Bit());
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
