#include <gtest/gtest.h>

#include "firmware/firmware_file.h"
#include "firmware/intel_hex_file.h"
#include "hex_text.h"

using hextest::TempFile;

namespace {

struct ScanResult {
    bool ok;
    std::uint32_t start, end;
    bool hasConfig;
};

ScanResult scanText(const std::string& text) {
    TempFile file(text);
    IntelHexFile reader;
    reader.open(file.path());
    ScanResult r{};
    r.ok = reader.scan(r.start, r.end, r.hasConfig);
    return r;
}

std::vector<std::uint8_t> bytes(int n, std::uint8_t first = 0) {
    std::vector<std::uint8_t> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(first + i);
    return v;
}

}  // namespace

TEST(HexRecordParse, FieldsChecksumAndTrailingText) {
    HexRecord r;
    EXPECT_TRUE(parseHexRecord(":0400100012345678D8 trailing", r));
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.byteCount, 4u);
    EXPECT_EQ(r.address, 0x0010u);
    EXPECT_EQ(r.recordType, 0u);
    EXPECT_EQ(r.data[0], 0x12);
    EXPECT_EQ(r.data[3], 0x78);
    EXPECT_EQ(r.checksum, 0xD8u);

    EXPECT_TRUE(parseHexRecord(":00000001FF", r));
    EXPECT_EQ(r.recordType, 1u);
}

TEST(HexRecordParse, WrongChecksumIsReadableButInvalid) {
    HexRecord r;
    EXPECT_FALSE(parseHexRecord(":0400100012345678D9", r));
    EXPECT_FALSE(r.valid);
    EXPECT_EQ(r.byteCount, 4u);
    EXPECT_EQ(r.checksum, 0xD9u);
}

TEST(HexRecordParse, LowerCaseDigitsAccepted) {
    HexRecord r;
    EXPECT_TRUE(parseHexRecord(":04001000abcdef0184", r));
    EXPECT_EQ(r.data[0], 0xAB);
    EXPECT_EQ(r.data[3], 0x01);
}

TEST(HexRecordParse, MalformedLinesAreRefused) {
    HexRecord r;
    EXPECT_FALSE(parseHexRecord("", r));
    EXPECT_FALSE(parseHexRecord("0400100012345678E8", r));   // no colon
    EXPECT_FALSE(parseHexRecord(":04001000123456", r));      // data cut short
    EXPECT_FALSE(parseHexRecord(":0400100012345678", r));    // no checksum
    EXPECT_FALSE(parseHexRecord(":0400100012345678D", r));   // half a checksum
    EXPECT_FALSE(parseHexRecord(":04001000123G5678D8", r));  // not a hex digit
    EXPECT_FALSE(r.valid);
    // A byte count of 255 needs 255 data bytes.
    EXPECT_FALSE(parseHexRecord(":FF00000000", r));
}

TEST(IntelHexFileTest, CountsRecordLinesUntilTheFirstOtherLine) {
    TempFile file(hextest::record(0, 0, bytes(4)) + "\r\n" + hextest::endOfFile());
    IntelHexFile reader;
    EXPECT_TRUE(reader.open(file.path()));
    EXPECT_EQ(reader.count(), 1);   // the empty line ends the count
    EXPECT_TRUE(reader.isValid());

    TempFile crlf(":0400100012345678D8\r\n:00000001FF\r\n");
    EXPECT_TRUE(reader.open(crlf.path()));
    EXPECT_EQ(reader.count(), 2);
    std::string line;
    EXPECT_TRUE(reader.readLine(line));
    EXPECT_EQ(line, ":0400100012345678D8");   // rewound after counting, CR removed
    HexRecord r;
    EXPECT_TRUE(reader.readRecord(r));
    EXPECT_EQ(r.recordType, 1u);
    EXPECT_FALSE(reader.readRecord(r));       // end of file
    reader.rewind();
    EXPECT_TRUE(reader.readRecord(r));
    EXPECT_EQ(r.address, 0x10u);
}

TEST(IntelHexFileTest, OverlongLineIsCutNotRefused) {
    // Characters after the checksum are ignored, however many there are.
    TempFile file(":0400100012345678D8" + std::string(200000, 'x') + "\n:00000001FF\n");
    IntelHexFile reader;
    ASSERT_TRUE(reader.open(file.path()));
    EXPECT_EQ(reader.count(), 2);
    std::uint32_t start, end;
    bool config;
    EXPECT_TRUE(reader.scan(start, end, config));
    EXPECT_EQ(end, 0x14u);
}

TEST(IntelHexFileTest, FileThatCannotBeOpenedBehavesAsEmpty) {
    IntelHexFile reader;
    EXPECT_FALSE(reader.open("/nonexistent/dir/firmware.hex"));
    EXPECT_EQ(reader.count(), 0);
    EXPECT_FALSE(reader.isValid());
    std::uint32_t start = 1, end = 1;
    bool config = true;
    EXPECT_FALSE(reader.scan(start, end, config));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    EXPECT_FALSE(config);
}

TEST(IntelHexScan, RangeFromZeroWithoutConfig) {
    const auto r = scanText(hextest::extendedLinear(0) + hextest::record(0, 0, bytes(16)) +
                            hextest::record(0, 0x10, bytes(16)) +
                            hextest::record(0, 0x20, bytes(8)) + hextest::endOfFile());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.start, 0u);
    EXPECT_EQ(r.end, 0x28u);
    EXPECT_FALSE(r.hasConfig);
    EXPECT_EQ(programDataText(r.start, r.end, r.hasConfig),
              "Program Data 0x0000 - 0x0028,  no config data");
}

TEST(IntelHexScan, ConfigDataStopsMovingTheEnd) {
    const auto r = scanText(hextest::record(0, 0x0300, bytes(16)) + hextest::extendedLinear(0x30) +
                            hextest::record(0, 0x0000, bytes(14)) +
                            hextest::record(0, 0x8000, bytes(2)) + hextest::endOfFile());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.start, 0x0300u);
    EXPECT_EQ(r.end, 0x0310u);
    EXPECT_TRUE(r.hasConfig);
    EXPECT_EQ(programDataText(r.start, r.end, r.hasConfig),
              "Program Data 0x0300 - 0x0310,  with config data");
}

TEST(IntelHexScan, UpperAddressAndLastDataRecordDecideTheRange) {
    // Type 2 counts like type 4; the last data record sets the end even when
    // it lies below an earlier one.
    const auto r = scanText(hextest::record(2, 0, {0x00, 0x01}) +
                            hextest::record(0, 0x1000, bytes(16)) +
                            hextest::extendedLinear(0x0002) + hextest::record(0, 0x4000, bytes(4)) +
                            hextest::record(0, 0x0100, bytes(4)) + hextest::endOfFile());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.start, 0x011000u);
    EXPECT_EQ(r.end, 0x020104u);
    EXPECT_FALSE(r.hasConfig);
}

TEST(IntelHexScan, InvalidFiles) {
    const std::string data = hextest::record(0, 0x300, bytes(16));
    std::string bad = hextest::record(0, 0x310, bytes(16));
    bad[bad.size() - 2] = bad[bad.size() - 2] == '0' ? '1' : '0';   // break the checksum
    EXPECT_FALSE(scanText(data + bad + hextest::endOfFile()).ok) << "bad checksum";
    EXPECT_FALSE(scanText(data).ok) << "no end-of-file record";
    EXPECT_FALSE(scanText(data + hextest::record(3, 0, {0, 0, 0, 0}) + hextest::endOfFile()).ok)
        << "type 3";
    EXPECT_FALSE(scanText(data + hextest::record(5, 0, {0, 0, 0, 0}) + hextest::endOfFile()).ok)
        << "type 5";
    EXPECT_FALSE(scanText(data + "garbage\n" + hextest::endOfFile()).ok) << "text line";
    EXPECT_FALSE(scanText("").ok) << "empty file";
    // Anything after the end-of-file record is not read.
    EXPECT_TRUE(scanText(data + hextest::endOfFile() + bad).ok);
}

TEST(IntelHexScan, LowerCaseFile) {
    const auto r = scanText(hextest::record(0, 0xABC0, bytes(16, 0xF0), true) +
                            hextest::endOfFile());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.start, 0xABC0u);
    EXPECT_EQ(r.end, 0xABD0u);
}

TEST(IntelHexScan, ScanRewindsForTheDownload) {
    TempFile file(hextest::record(0, 0x300, bytes(4)) + hextest::endOfFile());
    IntelHexFile reader;
    reader.open(file.path());
    std::uint32_t start, end;
    bool config;
    ASSERT_TRUE(reader.scan(start, end, config));
    HexRecord r;
    ASSERT_TRUE(reader.readRecord(r));
    EXPECT_EQ(r.address, 0x300u);
}

TEST(FirmwareFileTest, CheckAndExtension) {
    EXPECT_EQ(withHexExtension("/a.b/firmware"), "/a.b/firmware.hex");
    EXPECT_EQ(withHexExtension("/a/firmware.ihx"), "/a/firmware.ihx");
    EXPECT_EQ(withHexExtension("firmware"), "firmware.hex");

    TempFile file(hextest::record(0, 0x300, bytes(16)) + hextest::endOfFile());
    IntelHexFile reader;
    FirmwareFileCheck check = checkFirmwareFile(reader, file.path());
    EXPECT_TRUE(check.valid);
    EXPECT_EQ(check.recordCount, 2);
    EXPECT_EQ(check.fileInfo, "Program Data 0x0300 - 0x0310,  no config data");

    check = checkFirmwareFile(reader, file.dir() + "/missing.hex");
    EXPECT_FALSE(check.valid);
    EXPECT_EQ(check.fileInfo, "<not a valid intelhex file>");
}
