#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <memory>

#include "app/single_instance.h"
#include "test_support.h"

namespace {
QString uniqueName(const char* tag) {
    return QStringLiteral("TQ_INTERFACE_TEST_%1_%2").arg(QLatin1String(tag)).arg(::getpid());
}
}  // namespace

TEST(SingleInstance, LaterStartsExitAndRaiseTheFirst) {
    const QString name = uniqueName("raise");
    SingleInstance first(name);
    ASSERT_FALSE(first.anotherIsRunning());
    ASSERT_TRUE(first.isListening());
    int raised = 0;
    QObject::connect(&first, &SingleInstance::raiseRequested, [&] { ++raised; });

    SingleInstance second(name);
    EXPECT_TRUE(second.anotherIsRunning());
    EXPECT_FALSE(second.isListening());
    EXPECT_TRUE(spinUntil([&] { return raised == 1; }, 5000));

    SingleInstance third(name);
    EXPECT_TRUE(third.anotherIsRunning());
    EXPECT_TRUE(spinUntil([&] { return raised == 2; }, 5000));
}

TEST(SingleInstance, StaleSocketOfACrashedInstanceDoesNotBlock) {
    const QString name = uniqueName("stale");
    // What a crashed instance leaves behind: a bound socket file nobody serves.
    const QString path = QDir::cleanPath(QDir::tempPath() + QLatin1Char('/') + name);
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.toLocal8Bit().constData());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);

    SingleInstance next(name);
    EXPECT_FALSE(next.anotherIsRunning());
    EXPECT_TRUE(next.isListening());
}

TEST(SingleInstance, ALaterStartHandsOverItsFile) {
    const QString name = uniqueName("open");
    SingleInstance first(name);
    ASSERT_FALSE(first.anotherIsRunning());
    QStringList opened;
    int raised = 0;
    QObject::connect(&first, &SingleInstance::openRequested, [&](const QString& path) { opened << path; });
    QObject::connect(&first, &SingleInstance::raiseRequested, [&] { ++raised; });

    const QString awkward = QStringLiteral("/tmp/bench runs/50%\ncooling\u00e9.tq");
    SingleInstance second(name);
    EXPECT_TRUE(second.anotherIsRunning(awkward));
    EXPECT_TRUE(spinUntil([&] { return opened.size() == 1; }, 5000));
    EXPECT_EQ(raised, 1);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), awkward);

    SingleInstance third(name);
    EXPECT_TRUE(third.anotherIsRunning());  // no file: only raised
    EXPECT_TRUE(spinUntil([&] { return raised == 2; }, 5000));
    spinFor(50);
    EXPECT_EQ(opened.size(), 1);
}

// The first instance holds its lock for life; a later start never takes the
// name away from it, and once it has ended the next start takes over.
TEST(SingleInstance, TheLockHolderKeepsItsSocketAndHandsOverWhenItEnds) {
    const QString name = uniqueName("lock");
    auto first = std::make_unique<SingleInstance>(name);
    ASSERT_FALSE(first->anotherIsRunning());
    EXPECT_TRUE(QFile::exists(first->lockFilePath()));
    const QString socketPath = QDir::cleanPath(QDir::tempPath() + QLatin1Char('/') + name);
    for (int i = 0; i < 5; ++i) {
        SingleInstance later(name);
        EXPECT_TRUE(later.anotherIsRunning());
        EXPECT_FALSE(later.isListening());
    }
    EXPECT_TRUE(first->isListening());
    EXPECT_TRUE(QFile::exists(socketPath));

    first.reset();
    SingleInstance next(name);
    EXPECT_FALSE(next.anotherIsRunning());
    EXPECT_TRUE(next.isListening());
}
