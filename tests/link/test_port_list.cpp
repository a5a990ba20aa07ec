// The port list from a fake sysfs tree, the chosen name and the rates.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "link/port_detail.h"
#include "link/port_list.h"

namespace fs = std::filesystem;

namespace {

class PortListTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tq-ports-" + std::to_string(::getpid()));
        fs::remove_all(root);
        roots.sysfs = (root / "sys").string();
        roots.dev = (root / "dev").string();
        const fs::path devices = root / "sys" / "devices";
        // On-board: a real UART, a phantom one (type 0), and a platform one.
        tty("ttyS0", devices / "pnp0" / "00:01");
        file(root / "sys/class/tty/ttyS0/type", "4\n");
        tty("ttyS1", devices / "platform" / "serial8250");
        file(root / "sys/class/tty/ttyS1/type", "0\n");
        tty("ttyS2", devices / "platform" / "serial8250b");
        fs::create_directories(root / "sys/bus/platform");
        fs::create_directory_symlink(root / "sys/bus/platform",
                                     devices / "platform" / "serial8250b" / "subsystem");
        // USB adapters: product text two levels up, manufacturer only, none.
        tty("ttyUSB0", devices / "usb1/1-1/1-1:1.0/ttyUSB0");
        file(devices / "usb1/1-1/product", "FT232R USB UART\n");
        file(devices / "usb1/1-1/manufacturer", "FTDI\n");
        tty("ttyACM0", devices / "usb1/1-2/1-2:1.0");
        file(devices / "usb1/1-2/manufacturer", "Acme\n");
        tty("ttyUSB10", devices / "usb1/1-3/1-3:1.0/ttyUSB10");
        tty("ttyUSB2", devices / "usb1/1-4/1-4:1.0/ttyUSB2");
        // A virtual terminal has no device.
        fs::create_directories(root / "sys/class/tty/tty0");
        fs::create_directories(root / "dev/serial/by-id");
        file(root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A900-if00-port0", "");
    }
    void TearDown() override { fs::remove_all(root); }

    void tty(const std::string& name, const fs::path& device) {
        const fs::path dir = root / "sys/class/tty" / name;
        fs::create_directories(dir);
        fs::create_directories(device);
        fs::create_directory_symlink(device, dir / "device");
    }
    static void file(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    std::string dev(const std::string& rest) const { return (root / "dev").string() + "/" + rest; }

    fs::path root;
    PortListRoots roots;
};

TEST_F(PortListTest, PresentPortsInStableOrderWithDescriptions) {
    const std::vector<std::string> expected{
        dev("ttyS0"),
        dev("ttyACM0 * Acme"),
        dev("ttyUSB0 * FT232R USB UART"),
        dev("ttyUSB2"),
        dev("ttyUSB10"),
        dev("serial/by-id/usb-FTDI_FT232R_USB_UART_A900-if00-port0"),
    };
    EXPECT_EQ(listPorts(roots), expected);
}

TEST_F(PortListTest, EnumerationByIndex) {
    char buffer[256];
    ASSERT_EQ(enumeratePort(2, buffer, sizeof buffer, roots), 0);
    EXPECT_EQ(chosenPortName(buffer), dev("ttyUSB0"));
    EXPECT_EQ(enumeratePort(6, buffer, sizeof buffer, roots), -1);
    EXPECT_EQ(enumeratePort(-1, buffer, sizeof buffer, roots), -1);
    // An entry that does not fit ends the enumeration.
    char tiny[8];
    EXPECT_EQ(enumeratePort(0, tiny, sizeof tiny, roots), -1);
}

// Driver and latency timer from sysfs, for the device and its by-id name.
TEST_F(PortListTest, DetailNamesTheDriverAndTheAdaptersLatencyTimer) {
    const fs::path usb0 = root / "sys/devices/usb1/1-1/1-1:1.0/ttyUSB0";
    fs::create_directories(root / "sys/bus/usb-serial/drivers/ftdi_sio");
    fs::create_directory_symlink(root / "sys/bus/usb-serial/drivers/ftdi_sio", usb0 / "driver");
    file(usb0 / "latency_timer", "16\n");
    fs::create_directories(root / "dev");
    file(root / "dev/ttyUSB0", "");
    const fs::path byId = root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A900-if00-port0";
    fs::remove(byId);
    fs::create_symlink("../../ttyUSB0", byId);

    for (const std::string& name : {dev("ttyUSB0") + " * FT232R USB UART", byId.string()}) {
        const PortDetail d = portDetail(name, roots);
        EXPECT_EQ(d.device, "ttyUSB0") << name;
        EXPECT_EQ(d.driver, "ftdi_sio");
        EXPECT_EQ(d.latencyTimerMs, 16);
        EXPECT_EQ(portDetailText(d),
                  "driver ftdi_sio, latency timer 16 ms (low latency asked for on open)");
    }
    const PortDetail acm = portDetail(dev("ttyACM0"), roots);
    EXPECT_EQ(acm.device, "ttyACM0");
    EXPECT_EQ(acm.driver, "");
    EXPECT_FALSE(acm.latencyTimerMs);
    EXPECT_EQ(portDetailText(portDetail(dev("ttyS9"), roots)), "no serial device behind this name");
}

TEST(PortList, MissingTreeGivesAnEmptyList) {
    PortListRoots roots{"/nonexistent/sys", "/nonexistent/dev"};
    EXPECT_TRUE(listPorts(roots).empty());
    char buffer[64];
    EXPECT_EQ(enumeratePort(0, buffer, sizeof buffer, roots), -1);
}

TEST(PortList, ChosenNameIsCutAtBlankOrAsterisk) {
    EXPECT_EQ(chosenPortName("COM4 *"), "COM4");
    EXPECT_EQ(chosenPortName("/dev/ttyUSB0 * FT232R USB UART"), "/dev/ttyUSB0");
    EXPECT_EQ(chosenPortName("COM3*"), "COM3");
    EXPECT_EQ(chosenPortName("/dev/ttyS0"), "/dev/ttyS0");
    EXPECT_EQ(chosenPortName(""), "");
}

TEST(BaudRates, FifteenRatesInOrder) {
    ASSERT_EQ(kBaudRates.size(), 15u);
    EXPECT_EQ(kBaudRates.front(), 110u);
    EXPECT_EQ(kBaudRates.back(), 256000u);
    EXPECT_EQ(baudRateIndex(115200), 12);   // the thirteenth entry
    EXPECT_EQ(baudRateIndex(14400), 7);
    EXPECT_EQ(baudRateIndex(12345), -1);
}

}  // namespace
