// Reading lines of unknown length: a line longer than the limit costs no more
// than the limit, is reported as overlong, and the next line reads normally.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "runtime/bounded_line.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File withText(const std::string& text) {
    File f(std::tmpfile());
    std::fwrite(text.data(), 1, text.size(), f.get());
    std::rewind(f.get());
    return f;
}

TEST(BoundedLine, LinesUpToTheLimitOverlongLinesAndTheEnd) {
    const std::string atLimit(8, 'a');
    File f = withText(atLimit + "\n" + std::string(9, 'b') + "\n\nlast");
    std::string line;
    EXPECT_EQ(readBoundedLine(f.get(), line, 8), LineRead::Line);
    EXPECT_EQ(line, atLimit);
    EXPECT_EQ(readBoundedLine(f.get(), line, 8), LineRead::Overlong);
    EXPECT_EQ(line, std::string(8, 'b'));
    EXPECT_EQ(readBoundedLine(f.get(), line, 8), LineRead::Line);   // the empty line
    EXPECT_EQ(line, "");
    EXPECT_EQ(readBoundedLine(f.get(), line, 8), LineRead::Line);   // no line feed at the end
    EXPECT_EQ(line, "last");
    EXPECT_EQ(readBoundedLine(f.get(), line, 8), LineRead::End);
    EXPECT_EQ(line, "");
}

TEST(BoundedLine, AHugeLineDoesNotGrowTheBuffer) {
    // 32 MB without a line feed, then a normal line.
    File f(std::tmpfile());
    const std::string block(1 << 20, 'x');
    for (int i = 0; i < 32; ++i)
        std::fwrite(block.data(), 1, block.size(), f.get());
    std::fputs("\n[7 ok]\n", f.get());
    std::rewind(f.get());

    std::string line;
    EXPECT_EQ(readBoundedLine(f.get(), line, 1024), LineRead::Overlong);
    EXPECT_EQ(line.size(), 1024u);
    EXPECT_LT(line.capacity(), 4096u) << "the skipped rest must not be stored";
    EXPECT_EQ(readBoundedLine(f.get(), line, 1024), LineRead::Line);
    EXPECT_EQ(line, "[7 ok]");
}

}  // namespace
