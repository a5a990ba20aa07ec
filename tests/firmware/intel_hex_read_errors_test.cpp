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

TEST_F(IntelHexReadErrors, ARefusedFileNamesTheLineAndTheReason) {
    const std::string data = ":0400100012345678D8\r\n";   // a good record, CR LF
    const std::string end = ":00000001FF\n";
    struct Case {
        std::string text;
        std::string problem;
    };
    const Case cases[] = {
        {data + ":0400100012345678D9\n" + end, "line 2: checksum 0xD9, expected 0xD8"},
        {data + data + "0400100012345678D8\n" + end, "line 3: does not begin with ':'"},
        {data + "\n" + end, "line 2: empty line where a record was expected"},
        {":04001000123456\n" + end, "line 1: short record: 15 characters where its byte count needs 19"},
        {":0\n" + end, "line 1: short record: 2 characters, a record has at least 11"},
        {":04001000123G5678D8\n" + end, "line 1: 'G' in column 13 is not a hexadecimal digit"},
        {data + ":0400000300000000F9\n" + end,
         "line 2: record type 3 (start segment address) is not supported"},
        {data + ":0400000700000000F5\n" + end, "line 2: unknown record type 0x07"},
        {data + data, "no end-of-file record (:00000001FF) after line 2"},
        {"", "the file is empty"},
    };
    const std::string refused = std::string(kFirmwareFileError) + ": ";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto path = dir_ / "case.hex";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.text;
        IntelHexFile reader;
        const FirmwareFileCheck check = checkFirmwareFile(reader, path);
        EXPECT_FALSE(check.valid);
        EXPECT_EQ(check.problem, c.problem);
        EXPECT_EQ(reader.scanError(), c.problem);
        EXPECT_EQ(firmwareFileErrorText(check), refused + c.problem);
    }
    // A file that cannot be opened says why it could not.
    IntelHexFile reader;
    const FirmwareFileCheck absent = checkFirmwareFile(reader, dir_ / "absent.hex");
    EXPECT_EQ(firmwareFileErrorText(absent), refused + "No such file or directory");
    // A good file has nothing to say.
    std::ofstream(dir_ / "good.hex") << data << end;
    const FirmwareFileCheck good = checkFirmwareFile(reader, dir_ / "good.hex");
    EXPECT_TRUE(good.valid);
    EXPECT_EQ(good.problem, "");
    EXPECT_EQ(reader.scanError(), "");
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
