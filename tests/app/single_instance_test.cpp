#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QLocalServer>

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
