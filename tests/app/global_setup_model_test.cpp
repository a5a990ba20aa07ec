// The global setup dialog's rules without widgets.
#include <gtest/gtest.h>

#include <map>

#include "app/global_setup.h"
#include "ui/dialogs/global_setup_model.h"

using namespace global_setup;

TEST(GlobalSetupModel, ValuesComeFromTheSetupAndGoBackWithoutThePaths) {
    GlobalSetup setup;
    setup.portName = "/dev/ttyUSB1";
    setup.baudRate = 57600;
    setup.bootBaudRate = 9600;
    setup.celsius = false;
    setup.ieeeFormat = false;
    setup.penSize = 4;
    setup.sampleRate = 2;
    setup.logLimitSize = true;
    setup.colorBackground = 0x00102030;
    setup.colorGrid = 0x00405060;
    setup.channelColors[18] = 0x00ABCDEF;
    setup.userPath = "/home/op";

    GlobalSetupValues v = GlobalSetupValues::fromSetup(setup, true);
    EXPECT_EQ(v.portName, "/dev/ttyUSB1");
    EXPECT_EQ(v.baudRate, 57600);
    EXPECT_EQ(v.bootBaudRate, 9600);
    EXPECT_TRUE(v.fahrenheit);
    EXPECT_FALSE(v.ieee);
    EXPECT_EQ(v.penWidth, 4);
    EXPECT_TRUE(v.showBootBaudRate);
    EXPECT_EQ(v.sampleRateIndex, 2);
    EXPECT_TRUE(v.stopAt65000);
    EXPECT_EQ(v.colours[0], 0x00102030u);
    EXPECT_EQ(v.colours[1], 0x00405060u);
    EXPECT_EQ(v.colours[20], 0x00ABCDEFu);

    v.fahrenheit = false;
    v.colours[2] = 0x00010203;
    v.penWidth = 0;
    GlobalSetup back;
    back.userPath = "/kept";
    v.applyTo(back);
    EXPECT_TRUE(back.celsius);
    EXPECT_EQ(back.channelColors[0], 0x00010203u);
    EXPECT_EQ(back.channelColors[18], 0x00ABCDEFu);
    EXPECT_EQ(back.colorBackground, 0x00102030u);
    EXPECT_EQ(back.penSize, 0);
    EXPECT_EQ(back.portName, "/dev/ttyUSB1");
    EXPECT_EQ(back.bootBaudRate, 9600);
    EXPECT_EQ(back.userPath, "/kept");
}

TEST(GlobalSetupModel, UnfilledValuesAreTheDialogsOwnInitialOnes) {
    const GlobalSetupValues v;
    EXPECT_EQ(v.portName, "COM1");
    EXPECT_EQ(v.baudRate, 115200);
    EXPECT_EQ(v.penWidth, 0);
    EXPECT_TRUE(v.ieee);
    EXPECT_FALSE(v.showBootBaudRate);
    EXPECT_EQ(v.colours[0], 0x005E1E1Eu);
    EXPECT_EQ(v.colours[1], 0x00FFC0C0u);
    for (std::size_t i = 0; i < GlobalSetup::kDefaultChannelColors.size(); ++i)
        EXPECT_EQ(v.colours[i + 2], GlobalSetup::kDefaultChannelColors[i]);
}

TEST(GlobalSetupModel, ColourRowsAndTheirTestCells) {
    EXPECT_EQ(colourRowLabel(0), "--Background--");
    EXPECT_EQ(colourRowLabel(1), "--grid--");
    EXPECT_EQ(colourRowLabel(2), "  Main ");
    EXPECT_EQ(colourRowLabel(9), "  Uext.ctrl ");
    EXPECT_EQ(colourRowLabel(20), "  F2_curr ");
    EXPECT_EQ(colourRowLabel(21), "");

    auto colours = GlobalSetupValues::defaultColours();
    colours[0] = 0x00111111;
    colours[1] = 0x00222222;
    colours[7] = 0x00777777;
    const ColourTestCell background = colourTestCell(colours, 0);
    EXPECT_EQ(background.text, 0x00FFFFFFu) << "the background row writes white";
    EXPECT_EQ(background.fill, 0x00111111u);
    EXPECT_EQ(colourTestCell(colours, 1).text, 0x00222222u);
    EXPECT_EQ(colourTestCell(colours, 1).fill, 0x00111111u);
    EXPECT_EQ(colourTestCell(colours, 7).text, 0x00777777u);
    EXPECT_EQ(colourTestCell(colours, 7).fill, 0x00111111u) << "every sample stands on the background";
}

TEST(GlobalSetupModel, SampleRateTextsAsTheOperatorKnowsThem) {
    const auto& texts = sampleRateTexts();
    EXPECT_STREQ(texts[0], "20 samples/sec");
    EXPECT_STREQ(texts[1], "10 samples/sec");
    EXPECT_STREQ(texts[2], "1 sampe/sec");
    EXPECT_STREQ(texts[3], "1 sample/10 sec");
}

TEST(GlobalSetupModel, PenWidthIsAnIntegerFromZeroToSix) {
    EXPECT_EQ(parsePenWidth("0"), 0);
    EXPECT_EQ(parsePenWidth("6"), 6);
    EXPECT_EQ(parsePenWidth(" 3 "), 3);
    EXPECT_EQ(parsePenWidth("+2"), 2);
    for (const char* bad : {"7", "-1", "", "  ", "abc", "2.5", "3x", "99999999999"})
        EXPECT_FALSE(parsePenWidth(bad).has_value()) << bad;
    EXPECT_EQ(penWidthMessage(), "Please enter an integer between 0 and 6.");
}

TEST(GlobalSetupModel, BaudChoicesAndAnUnlistedRatePassingThrough) {
    EXPECT_EQ(baudChoiceIndex(115200), 12) << "the thirteenth entry";
    EXPECT_EQ(baudChoiceIndex(110), 0);
    EXPECT_EQ(baudChoiceIndex(256000), 14);
    EXPECT_EQ(baudChoiceIndex(230400), -1);
    EXPECT_EQ(baudChoiceIndex(-5), -1);
    EXPECT_EQ(baudFromChoice(12, 9600), 115200);
    EXPECT_EQ(baudFromChoice(-1, 230400), 230400) << "nothing chosen keeps the rate";
    EXPECT_EQ(baudFromChoice(15, 230400), 230400);
}

TEST(GlobalSetupModel, PortTextIsCutAtItsFirstSeparator) {
    EXPECT_EQ(portFromText("COM4 *", "COM1"), "COM4");
    EXPECT_EQ(portFromText("COM4*", "COM1"), "COM4");
    EXPECT_EQ(portFromText("/dev/ttyUSB0 * FT232R USB UART", "COM1"), "/dev/ttyUSB0");
    EXPECT_EQ(portFromText("  /dev/ttyACM0", "COM1"), "/dev/ttyACM0");
    EXPECT_EQ(portFromText("/dev/serial/by-id/usb-FTDI_A900-if00-port0 * stable name of /dev/ttyUSB0, "
                           "survives re-plugging", "COM1"),
              "/dev/serial/by-id/usb-FTDI_A900-if00-port0");
    EXPECT_EQ(portFromText("", "COM3"), "COM3") << "an empty text never replaces the port";
    EXPECT_EQ(portFromText("   ", "COM3"), "COM3");
    EXPECT_EQ(portFromText("* x", "COM3"), "COM3");
    EXPECT_EQ(portFromText(std::string(300, 'a'), "COM3").size(), 256u);
}

TEST(GlobalSetupModel, StableNamesStandBeforeTheirDevices) {
    const std::vector<std::string> listed = {
        "/dev/ttyS0",
        "/dev/ttyUSB0 * FT232R USB UART",
        "/dev/ttyUSB1 * CP2102",
        "/dev/serial/by-id/usb-FTDI_FT232R_A900-if00-port0",
        "/dev/serial/by-id/usb-Gone_Adapter-if00",
        "/dev/serial/by-id/usb-Silabs_CP2102_0001-if00-port0",
    };
    const std::map<std::string, std::string> links = {
        {"/dev/serial/by-id/usb-FTDI_FT232R_A900-if00-port0", "/dev/ttyUSB0"},
        {"/dev/serial/by-id/usb-Silabs_CP2102_0001-if00-port0", "/dev/ttyUSB1"},
    };
    const auto resolve = [&](const std::string& path) {
        const auto it = links.find(path);
        return it == links.end() ? std::string() : it->second;
    };
    const std::vector<std::string> choices = portChoices(listed, resolve);
    const std::vector<std::string> expected = {
        "/dev/ttyS0",
        "/dev/serial/by-id/usb-FTDI_FT232R_A900-if00-port0 * stable name of /dev/ttyUSB0, survives re-plugging",
        "/dev/ttyUSB0 * FT232R USB UART",
        "/dev/serial/by-id/usb-Silabs_CP2102_0001-if00-port0 * stable name of /dev/ttyUSB1, survives re-plugging",
        "/dev/ttyUSB1 * CP2102",
        "/dev/serial/by-id/usb-Gone_Adapter-if00 * stable name, survives re-plugging",
    };
    EXPECT_EQ(choices, expected);

    // Preselection compares the chosen name of each entry with PORT.
    EXPECT_EQ(portChoiceIndex(choices, "/dev/ttyUSB0"), 2);
    EXPECT_EQ(portChoiceIndex(choices, "/dev/serial/by-id/usb-FTDI_FT232R_A900-if00-port0"), 1);
    EXPECT_EQ(portChoiceIndex(choices, "/dev/ttyS0"), 0);
    EXPECT_EQ(portChoiceIndex(choices, "COM1"), -1) << "a port not present is shown as typed";
    EXPECT_EQ(portChoiceIndex(choices, "/dev/ttyUSB"), -1) << "the whole name must match";
    EXPECT_EQ(portChoiceIndex(choices, ""), -1);
    EXPECT_TRUE(portChoices({}, resolve).empty());
}
