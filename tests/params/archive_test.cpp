#include <gtest/gtest.h>

#include "params/archive.h"

namespace {

std::vector<std::uint8_t> stored(const std::string& s) {
    Archive ar;
    ar.writeString(s);
    return ar.bytes();
}

std::string loaded(const std::vector<std::uint8_t>& bytes, bool* eof = nullptr) {
    Archive ar{std::span<const std::uint8_t>(bytes)};
    std::string s = ar.readString();
    if (eof)
        *eof = ar.endOfFile();
    return s;
}

}  // namespace

TEST(ArchiveStrings, PrefixFormsByLength) {
    EXPECT_EQ(stored("").size(), 1u);
    EXPECT_EQ(stored(std::string(254, 'a'))[0], 0xFE);
    EXPECT_EQ(stored(std::string(254, 'a')).size(), 255u);

    const auto b255 = stored(std::string(255, 'a'));
    ASSERT_EQ(b255.size(), 3u + 255u);
    EXPECT_EQ(b255[0], 0xFF);
    EXPECT_EQ(b255[1], 0xFF);
    EXPECT_EQ(b255[2], 0x00);

    const auto b65534 = stored(std::string(65534, 'a'));
    ASSERT_EQ(b65534.size(), 7u + 65534u);
    EXPECT_EQ((std::vector<std::uint8_t>(b65534.begin(), b65534.begin() + 7)),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));

    for (std::size_t n : {0u, 1u, 254u, 255u, 65533u, 65534u, 70000u})
        EXPECT_EQ(loaded(stored(std::string(n, 'x'))), std::string(n, 'x')) << n;
}

TEST(ArchiveStrings, ReadsWideAnd64BitForms) {
    // FF FFFE marks UTF-16; "Aé€" then a surrogate pair (U+1F600).
    const std::vector<std::uint8_t> wide = {0xFF, 0xFE, 0xFF, 5,    0x41, 0x00, 0xE9,
                                            0x00, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE};
    bool eof = true;
    EXPECT_EQ(loaded(wide, &eof), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_FALSE(eof);

    const std::vector<std::uint8_t> long64 = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2,  0,
                                              0,    0,    0,    0,    0,    0,    'o',  'k'};
    EXPECT_EQ(loaded(long64), "ok");
}

TEST(ArchiveStrings, LengthBeyondTheDataIsEndOfFile) {
    bool eof = false;
    EXPECT_EQ(loaded({5, 'a', 'b'}, &eof), "");
    EXPECT_TRUE(eof);

    // A 64-bit length near 2^64 must not be allocated or overflow.
    const std::vector<std::uint8_t> huge = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'};
    eof = false;
    EXPECT_EQ(loaded(huge, &eof), "");
    EXPECT_TRUE(eof);

    // A wide length whose byte count wraps around 2^64 to 2.
    const std::vector<std::uint8_t> wideHuge = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                0xFF, 0xFF, 0xFF, 0x01, 0,    0,    0,
                                                0,    0,    0,    0x80, 'a',  0};
    eof = false;
    EXPECT_EQ(loaded(wideHuge, &eof), "");
    EXPECT_TRUE(eof);
}

TEST(ArchiveNumbers, LittleEndianAndStickyEnd) {
    Archive out;
    out.writeU16(0x1122);
    out.writeU32(0xFFFC);
    out.writeFloat(0.1f);
    EXPECT_EQ(out.bytes(),
              (std::vector<std::uint8_t>{0x22, 0x11, 0xFC, 0xFF, 0, 0, 0xCD, 0xCC, 0xCC, 0x3D}));

    Archive in{std::span<const std::uint8_t>(out.bytes())};
    EXPECT_EQ(in.readU16(), 0x1122);
    EXPECT_EQ(in.readU32(), 0xFFFCu);
    EXPECT_EQ(in.readFloat(), 0.1f);
    EXPECT_FALSE(in.endOfFile());
    EXPECT_EQ(in.readU8(), 0);
    EXPECT_TRUE(in.endOfFile());
}
