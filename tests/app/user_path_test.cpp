// The default user path: a folder in the user's documents, created when first
// needed; a stored USER_PATH is used as it is.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/startup_settings.h"

TEST(UserPath, AStoreWithoutItUsesTheDocumentsFolderAndLeavesTheStartDirectoryClean) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_FALSE(documents.isEmpty());
    const QString expected = QDir::cleanPath(documents + "/TQ_Interface");
    QDir(expected).removeRecursively();

    QTemporaryDir configDir, start;
    const QString before = QDir::currentPath();
    QDir::setCurrent(start.path());
    GlobalSetup setup;
    UserSensorTable sensors;
    {
        QSettings s(configDir.filePath("store.conf"), QSettings::IniFormat);
        loadStartupSettings(s, setup, sensors, "tq_interface");
        EXPECT_FALSE(s.contains("APP/USER_PATH")) << "nothing is written at load time";
    }
    EXPECT_EQ(setup.userPath, expected.toStdString());
    EXPECT_TRUE(QDir(expected).exists());
    EXPECT_EQ(QDir::currentPath(), QDir(expected).canonicalPath());
    EXPECT_TRUE(QFile::exists(QDir(expected).filePath("tq_setup.ini")));
    EXPECT_FALSE(QFile::exists(QDir(start.path()).filePath("tq_setup.ini")));
    EXPECT_EQ(setup.targetPath, QDir(start.path()).canonicalPath().toStdString())
        << "TARGET_PATH keeps the start directory";
    QDir::setCurrent(before);
}

TEST(UserPath, AStoredOneIsUsedAsItIsAndNotCreated) {
    QTemporaryDir configDir, start;
    const QString missing = QDir(start.path()).filePath("not/there");
    const QString store = configDir.filePath("store.conf");
    {
        QSettings s(store, QSettings::IniFormat);
        s.setValue("APP/USER_PATH", missing);
    }
    const QString before = QDir::currentPath();
    QDir::setCurrent(start.path());
    GlobalSetup setup;
    UserSensorTable sensors;
    {
        QSettings s(store, QSettings::IniFormat);
        loadStartupSettings(s, setup, sensors, "tq_interface");
    }
    EXPECT_EQ(setup.userPath, missing.toStdString());
    EXPECT_FALSE(QDir(missing).exists());
    EXPECT_EQ(QDir::currentPath(), QDir(start.path()).canonicalPath()) << "a missing directory is not entered";
    QDir::setCurrent(before);
}
