// "tq_setup.ini" that is not a plain small file: a directory, a named pipe,
// an endless line, very many names.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "../hostile_files.h"
#include "app/ini_file.h"
#include "app/user_sensor_setup.h"

namespace {

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(SetupIniHostile, DirectoryOrPipeIsReportedAndLeftAloneWithTheDefaults) {
    QTemporaryDir dir;
    const std::filesystem::path asDirectory = dir.filePath("dir.ini").toStdString();
    std::filesystem::create_directory(asDirectory);
    const std::filesystem::path asPipe =
        hostile::makeFifo(dir.path().toStdString(), "pipe.ini");

    for (const auto& [where, why] : {std::pair{asDirectory, "it is a directory"},
                                     std::pair{asPipe, "not a regular file"}}) {
        const std::filesystem::path path = where;
        const std::string reason = why;
        SCOPED_TRACE(path.string());
        IniFile ini(path);
        bool read = true;
        ASSERT_TRUE(hostile::returnsPromptly([&] { read = ini.readFile(); }, path));
        EXPECT_FALSE(read);
        EXPECT_EQ(ini.error(), "Unable to open ini file.");
        EXPECT_EQ(ini.openProblem(), reason);

        UserSensorRecord record;
        record.name = "kept";
        testing::internal::CaptureStderr();
        ASSERT_TRUE(hostile::returnsPromptly(
            [&] { loadOrCreateSetupIni(path, record, "tq_interface"); }, path));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(path.string() + ": " + reason), std::string::npos) << err;
        EXPECT_EQ(record.name, "kept");
        // Nothing was written over it.
        EXPECT_EQ(std::filesystem::is_directory(path), path == asDirectory);
        EXPECT_EQ(std::filesystem::is_fifo(path), path == asPipe);
    }
}

TEST(SetupIniHostile, AnEndlessLineEndsTheReadingWithoutBeingStored) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("long.ini").toStdString();
    {
        std::ofstream out(path);
        out << "[Sensor0]\nName=before\n";
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 64; ++i) out << block;   // 64 MB, one line
        out << "\nPotGain=5\n";
    }
    const long before = peakResidentKiB();
    IniFile ini(path);
    ASSERT_TRUE(ini.readFile());
    EXPECT_LT(peakResidentKiB() - before, 16 * 1024) << "the long line must not be held";
    EXPECT_EQ(ini.getValue("Sensor0", "Name"), "before");
    EXPECT_EQ(ini.getValue("Sensor0", "PotGain"), "") << "reading ends at the overlong line";

    // The limit itself: 2047 characters is a line, 2048 ends the reading.
    for (const std::size_t length : {IniFile::kMaxLine, IniFile::kMaxLine + 1}) {
        std::ofstream(path) << "[K]\nN=" << std::string(length - 2, 'v') << "\nM=1\n";
        IniFile limit(path);
        ASSERT_TRUE(limit.readFile());
        EXPECT_EQ(limit.getValue("K", "N").size(), length <= IniFile::kMaxLine ? length - 2 : 0u);
        EXPECT_EQ(limit.getValue("K", "M"), length <= IniFile::kMaxLine ? "1" : "");
    }
}

TEST(SetupIniHostile, ManyNamesKeepTheirOrderAndTheLastValue) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("many.ini").toStdString();
    constexpr int kNames = 100000;
    {
        std::ofstream out(path);
        out << "[Sensor0]\n";
        for (int i = 0; i < kNames; ++i) out << "N" << i << '=' << i << '\n';
        out << "N7=again\n[Other]\nN7=other\n";
    }
    IniFile ini(path);
    ASSERT_TRUE(ini.readFile());
    EXPECT_EQ(ini.getValue("Sensor0", "N0"), "0");
    EXPECT_EQ(ini.getValue("Sensor0", "N99999"), "99999");
    EXPECT_EQ(ini.getValue("Sensor0", "N7"), "again");
    EXPECT_EQ(ini.getValue("Other", "N7"), "other");
    // Written back in the order of first appearance, the repeat in place.
    const std::string text = ini.text();
    EXPECT_EQ(text.rfind("[Sensor0]\nN0=0\nN1=1\n", 0), 0u);
    EXPECT_NE(text.find("\nN6=6\nN7=again\nN8=8\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 32), "N99999=99999\n\n[Other]\nN7=other\n\n");
}

}  // namespace
