// The HEX reader given things that are not HEX files: each is refused with a
// reason and "<not a valid intelhex file>", never an exception or a hang.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "firmware/firmware_file.h"
#include "firmware/intel_hex_file.h"
#include "../hostile_files.h"

namespace {

class IntelHexReadErrors : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("hex-errors-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(IntelHexReadErrors, DirectoryDevicesAndPipesAreRefused) {
    struct Case {
        std::filesystem::path path;
        const char* reason;
    };
    const Case cases[] = {
        {dir_, "it is a directory"},
        {hostile::makeFifo(dir_, "pipe.hex"), "not a regular file"},
        {"/dev/zero", "not a regular file"},   // would never end
        {"/dev/null", "not a regular file"},
        {dir_ / "absent.hex", "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string());
        IntelHexFile reader;
        bool opened = true;
        ASSERT_TRUE(hostile::returnsPromptly([&] { opened = reader.open(c.path); }, c.path));
        EXPECT_FALSE(opened);
        EXPECT_EQ(reader.error(), c.reason);
        EXPECT_EQ(reader.count(), 0);
        std::string line = "untouched";
        EXPECT_FALSE(reader.readLine(line));
        EXPECT_EQ(line, "");

        IntelHexFile checked;
        const FirmwareFileCheck check = checkFirmwareFile(checked, c.path);
        EXPECT_FALSE(check.valid);
        EXPECT_EQ(check.recordCount, 0);
        EXPECT_EQ(check.fileInfo, kFirmwareFileNotValid);
    }
}

TEST_F(IntelHexReadErrors, ReopeningAfterARefusalReadsTheNextFile) {
    const auto good = dir_ / "good.hex";
    std::ofstream(good) << ":0400000001020304F2\r\n:00000001FF\r\n";
    IntelHexFile reader;
    EXPECT_FALSE(reader.open(dir_));
    ASSERT_TRUE(reader.open(good));
    EXPECT_EQ(reader.error(), "");
    EXPECT_EQ(reader.count(), 2);
    std::uint32_t start = 0, end = 0;
    bool config = true;
    EXPECT_TRUE(reader.scan(start, end, config));
    EXPECT_EQ(end, 4u);
    EXPECT_FALSE(config);
    // scan rewinds: the records read again from the first.
    std::string line;
    ASSERT_TRUE(reader.readLine(line));
    EXPECT_EQ(line, ":0400000001020304F2");
}

}  // namespace
