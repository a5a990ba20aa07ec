// The virtual regulator: emulates the board (running firmware and boot
// loader) behind a pseudo-terminal, so the program and the tests can run
// end to end without hardware.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/plant_params.h"

namespace sim {

struct SimOptions {
    std::string linkPath;          // symlink to the slave side ("" = none)
    std::uint32_t baud = 0;        // pace output to this rate (0 = no pacing)
    int replyLatencyMs = 0;        // extra delay before each reply
    bool startStreaming = false;   // stream as if "$A7" had been received
    int streamFormat = 7;          // format of startStreaming: 6 or 7
    bool demo = false;             // PID mode, started, fans on, St1 10 deg C (also in FLASH)
    std::string version = "TQ-REG V0.215 virtual";  // data line of "$V"
    std::string transcriptPath;    // every streamed runtime line is appended here ("" = none)
    bool readBackAdvances = true;  // the loader's "d01" moves its address on (else it stays)
    PlantParams plant;             // the thermal load (the bench set-up by default)
    double speed = 1.0;            // regulator seconds per real second (0.1 .. 50)
};

// Counts are per received command, except StreamStops (per runtime line)
// and WrongWriteReply (per "p" command).
enum class Fault {
    None,
    NoEcho,            // swallow commands: no echo, no data, no effect
    EchoWithoutData,   // echo, then no data line
    LateReply,         // data line after 3 s
    Garbage,           // noise and bytes >= 0x80 mixed into the output (the
                       // runtime lines too while armed); CR/LF never added
    OverlongLine,      // one 1100-character line before the reply
    StreamStops,       // the runtime stream falls silent
    WrongWriteReply,   // boot loader answers a wrong address to "p..."
    Vanish,            // slave side closed: the device disappears at the
                       // next command, which gets no answer
    StreamInReply,     // a runtime line between the echo and the data line
    StopsReading,      // the board reads nothing: the client's writes back
                       // up once the line's buffer is full (count ignored)
};

class VirtualRegulator {
public:
    explicit VirtualRegulator(SimOptions options = {});
    ~VirtualRegulator();
    VirtualRegulator(const VirtualRegulator&) = delete;
    VirtualRegulator& operator=(const VirtualRegulator&) = delete;

    bool start(std::string* error = nullptr);   // open the pty and serve
    void stop();
    const std::string& slavePath() const;       // the port to open

    // Fault injection: count = how many commands (or lines) it applies to,
    // -1 = until cleared; setFault(Fault::None) disarms the counted faults.
    // failAtRegister: the fault applies whenever the given register is
    // accessed ("$R"/"$RN"), until clearFaults(); Vanish fires once.
    void setFault(Fault fault, int count = -1);
    void failAtRegister(int reg, Fault fault);
    void clearFaults();
    // The boot loader's flash word at `address` (byte address of the word)
    // stores the inverted bits of every later write while answering as for
    // a good one, so that only reading back finds it; until clearFaults().
    void setBadFlashWord(std::uint32_t address);
    void vanish();                 // close the slave side now
    bool reappear(std::string* error = nullptr);  // serve again on the same link path

    // Observation for tests.
    std::vector<std::string> receivedCommands() const;   // lines received, without CR/LF
    void clearReceived();
    // Time spent answering: from reading a command to writing the last byte
    // of what it caused, summed over commands (pacing included); the rest
    // of a conversation's time is the client's. Zeroed by clearReceived().
    std::chrono::nanoseconds answeringTime() const;
    std::uint32_t registerBits(int reg) const;           // raw 32-bit content
    // The two numbers the next "$S"/"$SC" answers (alarms raised, lines not
    // understood); "$SC" clears them.
    void setStatusNumbers(std::uint32_t first, std::uint32_t second);
    void setRegisterBits(int reg, std::uint32_t bits);
    // Emulated program flash: byte address of each written 16-bit word (the
    // address of "a%06X" plus 2 per word, as in the HEX file) -> the word as
    // sent, first byte in the high half ("p1234" stores 0x1234).
    std::map<std::uint32_t, std::uint16_t> flashWords() const;
    bool inBootLoader() const;
    bool streaming() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sim
