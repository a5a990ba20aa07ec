// The firmware dialog's logic without widgets: file choice, refusals,
// and the time-left estimate.
#include <gtest/gtest.h>

#include "firmware/serial_boot_loader_link.h"
#include "hex_text.h"
#include "link/serial_manager.h"
#include "sim/virtual_regulator.h"
#include "ui/dialogs/firmware_download_logic.h"

TEST(FirmwareProgressText, CountsAndEstimatesTheTimeLeft) {
    EXPECT_EQ(progressEstimateText(LoaderPhase::Writing, 0, 200, 0), "Record 0 of 200");
    EXPECT_EQ(progressEstimateText(LoaderPhase::Writing, 50, 200, 5000), "Record 50 of 200, about 15 s left");
    EXPECT_EQ(progressEstimateText(LoaderPhase::Writing, 199, 200, 9950), "Record 199 of 200, about 1 s left");
    EXPECT_EQ(progressEstimateText(LoaderPhase::Verifying, 10, 40, 1000),
              "Block 10 of 40 read back, about 3 s left");
    EXPECT_EQ(progressEstimateText(LoaderPhase::Writing, 3, 0, 100), "");
}

TEST(FirmwareDownloadLogic, FileChoiceChecksTheFileAndKeepsItWhenTheChooserIsCancelled) {
    SerialManager unopened;
    SerialBootLoaderLink link(unopened);
    FirmwareDownloadLogic logic(link, false, "old.hex");
    int changes = 0;
    logic.setOnChanged([&] { ++changes; });
    EXPECT_EQ(logic.rememberedName(), "old.hex");
    EXPECT_EQ(logic.pathText(), "<select intelhex file>");
    EXPECT_EQ(logic.fileInfoText(), "Fileinfo");
    EXPECT_EQ(logic.statusText(), "");
    EXPECT_TRUE(logic.verifyAfterWriting());

    hextest::TempFile good(hextest::image({{0x0300, std::vector<std::uint8_t>(32, 0x11)}}), "fw.hex");
    const std::string withoutExtension = good.path().substr(0, good.path().size() - 4);
    EXPECT_TRUE(logic.fileChosen(withoutExtension)) << "\".hex\" is added to a name without a dot";
    EXPECT_EQ(logic.pathText(), good.path());
    EXPECT_EQ(logic.rememberedName(), "fw.hex");
    EXPECT_EQ(logic.fileInfoText(), "Program Data 0x0300 - 0x0320,  no config data");
    EXPECT_TRUE(logic.fileValid());
    EXPECT_GT(changes, 0);

    logic.fileChoiceCancelled();
    EXPECT_EQ(logic.pathText(), "<not selected>");
    EXPECT_TRUE(logic.fileValid()) << "the file chosen before stays in effect";

    hextest::TempFile bad(":020000040000FA\n", "bad.hex");   // no end-of-file record
    EXPECT_FALSE(logic.fileChosen(bad.path()));
    EXPECT_EQ(logic.fileInfoText(), "<not a valid intelhex file>");
    EXPECT_FALSE(logic.fileValid());
}

TEST(FirmwareDownloadLogic, DownloadIsRefusedWithoutBoardThenWithoutFile) {
    sim::VirtualRegulator regulator;
    ASSERT_TRUE(regulator.start());
    SerialManager serial;
    ASSERT_EQ(serial.open(regulator.slavePath(), 115200), Ok);
    SerialBootLoaderLink link(serial);
    FirmwareDownloadLogic logic(link, true, "");
    EXPECT_EQ(logic.downloadRefusal(), "Error - Board ID not valid");
    ASSERT_TRUE(logic.boardId());
    EXPECT_EQ(logic.boardText(), "BL-- with id 2A3 is Unlocked") << "no banner was stored";
    EXPECT_EQ(logic.downloadRefusal(), "Error - File not valid");

    hextest::TempFile good(hextest::image({{0x0300, std::vector<std::uint8_t>(64, 0x42)}}));
    ASSERT_TRUE(logic.fileChosen(good.path()));
    EXPECT_EQ(logic.downloadRefusal(), "");
    logic.setBusy(true);
    EXPECT_EQ(logic.download(), DownloadOutcome::Written);
    logic.setBusy(false);
    EXPECT_TRUE(logic.statusText().rfind("Verify ok", 0) == 0) << logic.statusText();
    EXPECT_EQ(regulator.flashWords().size(), 32u);
    EXPECT_EQ(logic.progressPosition(), 0) << "the bar returns to 0 at the end";
    serial.close();
    regulator.stop();
}
