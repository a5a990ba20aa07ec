// Opening a parameter file that is not a regular file: refused at once with
// the reason, never a wait on a named pipe or an endless read.
#include <gtest/gtest.h>

#include <filesystem>

#include "../hostile_files.h"
#include "params/file_io.h"
#include "params/tq_interface_doc.h"

namespace {

TEST(FileIoHostile, PipesDirectoriesAndDevicesAreRefused) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("tq-hostile-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto fifo = hostile::makeFifo(dir, "pipe.tq");
    struct Case {
        std::filesystem::path path;
        const char* reason;
    };
    for (const Case& c : {Case{fifo, "not a regular file"}, Case{dir, "it is a directory"},
                          Case{"/dev/zero", "not a regular file"}}) {
        SCOPED_TRACE(c.path.string());
        std::vector<std::uint8_t> bytes{1, 2, 3};
        std::string error;
        bool read = true;
        ASSERT_TRUE(hostile::returnsPromptly(
            [&] { read = ReadWholeFile(c.path, bytes, error); }, c.path));
        EXPECT_FALSE(read);
        EXPECT_EQ(error, c.reason);

        // The document says so and keeps what it had.
        CTQ_InterfaceDoc document;
        document.OnNewDocument();
        DocOutcome outcome;
        ASSERT_TRUE(hostile::returnsPromptly(
            [&] { outcome = document.OnOpenDocument(c.path); }, c.path));
        EXPECT_FALSE(outcome.ok);
        EXPECT_NE(outcome.message.find(c.reason), std::string::npos) << outcome.message;
        EXPECT_EQ(document.GetPathName(), "");
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
