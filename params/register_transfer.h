// Moves the whole parameter set between the document and the regulator's
// registers: DownloadParameters (document -> regulator) and GetParameters
// (regulator -> document). The register accesses and the connection mode
// come through small interfaces so the window, tqctl and the tests drive
// the same code.
#pragma once

#include <cstdint>
#include <string>

#include "params/parameter_set.h"

class TQFile1;

inline constexpr int kConnectionModeTransfer = 2;

inline constexpr char kMsgDownloadParameters[] = "Download parameters to regulator";
inline constexpr char kMsgDownloadDone[] = "Write parameter -- done";
inline constexpr char kMsgGetParameters[] = "Get parameters from regulator";
inline constexpr char kMsgGetDone[] = "Reading parameters -- done.";
inline constexpr char kUploadRecordName[] = "New upload";

// The four register accessors; each returns a link result code (0 = success).
class RegisterIo {
public:
    virtual ~RegisterIo() = default;
    // hex: the IEEE-754 bit pattern in hexadecimal instead of decimal text.
    virtual int writeRegister(int reg, float value, bool hex) = 0;
    virtual int writeRegisterUnsigned(int reg, std::uint32_t value) = 0;
    virtual int readRegister(int reg, float& out, bool hex) = 0;
    virtual int readRegisterUnsigned(int reg, std::uint32_t& out) = 0;
};

// The connection around a transfer.
class TransferHost {
public:
    virtual ~TransferHost() = default;
    virtual bool isLinkOpen() const = 0;
    // Switches the connection mode; returns the previous one.
    virtual int setConnectionMode(int mode) = 0;
    // The message line (the window adds the leading space).
    virtual void showMessage(const std::string& text) = 0;
};

struct TransferSettings {
    bool ieee = true;          // setup key IEEE
    bool serviceMode = false;
};

// "Error when writing data - error %d [%s]" / "Error when reading data - ...".
std::string writeErrorText(int code);
std::string readErrorText(int code);

// Return 0, or the result code of the first register access that failed.
// Both restore the previous connection mode, also after a failure, and leave
// an error on the message line. A closed link returns 0 without a message.
int DownloadParameters(RegisterIo& io, TransferHost& host, ParameterSet& doc,
                       const TransferSettings& settings);
// Reads into a copy and replaces the document, marks it modified and tells
// its views only when every register was read; otherwise the document is
// left as it was.
int GetParameters(RegisterIo& io, TransferHost& host, TQFile1& doc,
                  const TransferSettings& settings);

// The calibration block of one sensor (first register K = 59 + 3 x (S-1)):
// K, K+1, K+2, K+20, K+21, K+22 by the record's type.
int WriteSensorCalibration(RegisterIo& io, const SensorCalibrationEx& record, int firstRegister,
                           bool hex);
int WriteSensorCalibration(RegisterIo& io, const SensorCalibration& record, int firstRegister,
                           bool hex);
int ReadSensorCalibration(RegisterIo& io, SensorCalibrationEx& record, int firstRegister,
                          bool hex);
int ReadSensorCalibration(RegisterIo& io, SensorCalibration& record, int firstRegister, bool hex);
