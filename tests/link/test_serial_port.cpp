// The serial engine over a real pseudo-terminal: line assembly, sending,
// open failures and the end of the worker.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "link/serial_port.h"
#include "pty_peer.h"

namespace {

// Records every notification; releases each line at once.
class EngineLog {
public:
    explicit EngineLog(SerialPort& port) {
        port.setNotify([this](SerialPort& p, int code) {
            std::lock_guard<std::mutex> lock(mutex_);
            codes_.push_back(code);
            if (code == SerialPort::LineReceived) {
                lines_.emplace_back(p.currentLine(), static_cast<std::size_t>(p.currentLineLength()));
                p.releaseLine();
            }
            changed_.notify_all();
        });
    }
    bool waitForLines(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5),
                                 [&] { return lines_.size() >= count; });
    }
    bool waitForCode(int code) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] {
            return std::find(codes_.begin(), codes_.end(), code) != codes_.end();
        });
    }
    std::vector<std::string> lines() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    int count(int code) {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<int>(std::count(codes_.begin(), codes_.end(), code));
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<int> codes_;
    std::vector<std::string> lines_;
};

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.ok());
        ASSERT_EQ(port.open(peer.slavePath().c_str(), 115200), 0);
        ASSERT_TRUE(log.waitForCode(SerialPort::PortOpened));
    }
    void TearDown() override { port.close(); }   // before the log goes
    // Sends `bytes` from the far side, followed by a marker line, and returns
    // the lines delivered before the marker.
    std::vector<std::string> linesFor(const std::string& bytes) {
        peer.write(bytes + "END\r");
        std::vector<std::string> lines;
        for (std::size_t n = 1; log.waitForLines(n); ++n) {
            lines = log.lines();
            if (lines.back() == "END") {
                lines.pop_back();
                return lines;
            }
        }
        ADD_FAILURE() << "marker line never arrived";
        return lines;
    }

    PtyPeer peer;
    SerialPort port;
    EngineLog log{port};
};

TEST_F(SerialPortTest, CarriageReturnEndsLinesAndLineFeedsAreDropped) {
    // An empty line, CR LF and LF CR each give exactly one line.
    const std::vector<std::string> expected{"", "AB", "CD", "EF"};
    EXPECT_EQ(linesFor("\rAB\r\nCD\n\rEF\r"), expected);
}

TEST_F(SerialPortTest, ControlCharactersAndHighBytesDisappear) {
    const std::vector<std::string> expected{"A B\x7f" "C"};
    EXPECT_EQ(linesFor(std::string("A\x80 B\x01\x7f\xff\tC\x1b\r")), expected);
}

TEST_F(SerialPortTest, LineSplitAcrossWritesIsAssembled) {
    peer.write("$R1");
    ASSERT_TRUE(port.isRunning());
    const std::vector<std::string> expected{"$R12=1.5"};
    EXPECT_EQ(linesFor("2=1.5\r"), expected);
}

TEST_F(SerialPortTest, OverlongLineIsCutAt1023Characters) {
    const std::vector<std::string> lines = linesFor(std::string(1100, 'x') + "\r");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(1023, 'x'));
    EXPECT_EQ(lines[1], std::string(77, 'x'));
}

TEST_F(SerialPortTest, ManyLinesInOneBurstAllArrive) {
    std::string burst;
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        expected.push_back("[7 line " + std::to_string(i) + "]");
        burst += expected.back() + "\r\n";
    }
    EXPECT_EQ(linesFor(burst), expected);
}

TEST_F(SerialPortTest, SentBlockArrivesUnchanged) {
    const std::string block = "$RN3=3FC00000\r\n\x01\x7f";
    port.send(block.data(), static_cast<int>(block.size()));
    EXPECT_EQ(peer.readUntil("\x7f"), block);
    EXPECT_TRUE(log.waitForCode(SerialPort::WriteDone));
}

TEST_F(SerialPortTest, BlocksThatCannotBeSentAreDropped) {
    const std::string tooLong(1024, 'L');
    port.send(tooLong.data(), static_cast<int>(tooLong.size()));
    port.send(nullptr, 5);
    EXPECT_FALSE(port.isWritePending());
    port.send("ok\r", 3);
    EXPECT_EQ(peer.readUntil("ok\r"), "ok\r");
}

TEST_F(SerialPortTest, SecondSendWhileWritePendingIsNotSent) {
    // Nobody reads the far side: the terminal's buffer fills until a write
    // stays pending.
    const std::string block(1000, 'a');
    for (int i = 0; i < 2000 && !port.isWritePending(); ++i) {
        port.send(block.data(), static_cast<int>(block.size()));
        for (int spin = 0; spin < 200 && port.isWritePending(); ++spin)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(port.isWritePending());
    port.send("SECOND", 6);

    // Drain: the pending block completes, the second one never appears.
    std::string drained;
    for (int i = 0; i < 5000 && port.isWritePending(); ++i) {
        drained += peer.readAvailable();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(port.isWritePending());
    port.send("TAIL", 4);
    drained += peer.readUntil("TAIL");
    ASSERT_GE(drained.size(), 4u);
    drained.resize(drained.size() - 4);
    EXPECT_EQ(drained.find("SECOND"), std::string::npos);
    EXPECT_EQ(drained.find_first_not_of('a'), std::string::npos);
}

TEST_F(SerialPortTest, CloseEndsTheWorkerEvenWithAWritePending) {
    const std::string block(1000, 'b');
    for (int i = 0; i < 2000 && !port.isWritePending(); ++i) {
        port.send(block.data(), static_cast<int>(block.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    port.close();
    EXPECT_FALSE(port.isRunning());
    EXPECT_EQ(log.count(SerialPort::PortClosed), 1);
    // A closed port takes no block.
    port.send("x", 1);
    EXPECT_FALSE(port.isWritePending());
}

TEST_F(SerialPortTest, FarSideVanishingEndsTheWorker) {
    peer.closeMaster();
    EXPECT_TRUE(log.waitForCode(SerialPort::PortClosed));
    EXPECT_FALSE(port.isRunning());
}

TEST_F(SerialPortTest, PortCanBeReopenedAfterClose) {
    port.close();
    ASSERT_EQ(port.open(peer.slavePath().c_str(), 9600), 0);
    EXPECT_TRUE(port.isRunning());
    EXPECT_EQ(port.baudRate(), 9600u);
    const std::vector<std::string> expected{"again"};
    EXPECT_EQ(linesFor("again\r"), expected);
}

TEST_F(SerialPortTest, CloseLeavesNoExclusiveLockBehind) {
    // A pseudo-terminal keeps its exclusive flag after the last close; a
    // user without privileges could then never open the port again.
    port.close();
    const int fd = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    int exclusive = -1;
    ASSERT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    ::close(fd);
}

TEST(SerialPortOpen, FailuresLeaveThePortClosed) {
    SerialPort port;
    EXPECT_EQ(port.open(nullptr, 115200), SerialPort::OpenNoName);
    EXPECT_EQ(port.open("/dev/tq-no-such-port", 115200), SerialPort::OpenDeviceFailed);
    EXPECT_NE(port.open("/dev/null", 115200), 0);   // not a terminal
    EXPECT_FALSE(port.isRunning());
}

TEST(SerialPortOpen, APortIsNotShared) {
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    SerialPort first;
    SerialPort second;
    ASSERT_EQ(first.open(peer.slavePath().c_str(), 115200), 0);
    EXPECT_NE(second.open(peer.slavePath().c_str(), 115200), 0);
    first.close();
    EXPECT_EQ(second.open(peer.slavePath().c_str(), 115200), 0);
}

TEST(PortDevicePath, NamesMapOntoDevicePaths) {
    EXPECT_EQ(portDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(portDevicePath("COM12"), "/dev/ttyS11");
    EXPECT_EQ(portDevicePath("ttyUSB0"), "/dev/ttyUSB0");
    // Long paths are kept whole.
    EXPECT_EQ(portDevicePath("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0"),
              "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0");
    EXPECT_EQ(portDevicePath("COM0"), "/dev/COM0");
    EXPECT_EQ(portDevicePath("COMX"), "/dev/COMX");
    EXPECT_EQ(portDevicePath(""), "");
}

}  // namespace
