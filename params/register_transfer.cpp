#include "params/register_transfer.h"

#include <cstdio>

#include "link/serial_manager.h"
#include "params/tq_file.h"

namespace {

constexpr std::uint32_t kSensor1TypeMark = 0x08;   // added to register 55 on writing

constexpr int sensorTypeRegister(int sensor) { return 54 + sensor; }
constexpr int sensorGainRegister(int sensor) { return 35 + 2 * (sensor - 1); }
constexpr int sensorOffsetRegister(int sensor) { return 36 + 2 * (sensor - 1); }
constexpr int calibrationBlockRegister(int sensor) { return 59 + 3 * (sensor - 1); }

// A run of register transfers in order: after the first failure nothing
// more is sent or read, and that failure is the result.
class RegisterSequence {
public:
    RegisterSequence(RegisterIo& io, bool hex) : io_(io), hex_(hex) {}
    void fail(int result) {
        if (result_ == 0)
            result_ = result;
    }
    bool ok() const { return result_ == 0; }
    int result() const { return result_; }
    RegisterIo& io() { return io_; }
    bool hex() const { return hex_; }

protected:
    RegisterIo& io_;
    bool hex_;
    int result_ = 0;
};

class RegisterWriter : public RegisterSequence {
public:
    using RegisterSequence::RegisterSequence;
    void f(int reg, float value) {
        if (result_ == 0)
            result_ = io_.writeRegister(reg, value, hex_);
    }
    void u(int reg, std::uint32_t value) {
        if (result_ == 0)
            result_ = io_.writeRegisterUnsigned(reg, value);
    }
};

class RegisterReader : public RegisterSequence {
public:
    using RegisterSequence::RegisterSequence;
    void f(int reg, float& out) {
        if (result_ == 0)
            result_ = io_.readRegister(reg, out, hex_);
    }
    void u(int reg, std::uint32_t& out) {
        if (result_ == 0)
            result_ = io_.readRegisterUnsigned(reg, out);
    }
};

std::string errorText(const char* format, int code) {
    char text[128];
    std::snprintf(text, sizeof text, format, code, resultText(code));
    return text;
}

template <typename Record>
int writeCalibrationBlock(RegisterIo& io, const Record& record, int k, bool hex) {
    float values[6] = {0, 0, 0, 0, 0, 0};   // K, K+1, K+2, K+20, K+21, K+22
    if (record.type & kSensorTypeNtc) {
        const SteinhartHart sh = SteinhartHartCoefficients(record);
        values[0] = sh.a;
        values[1] = sh.b;
        values[2] = sh.c;
        values[3] = record.d[5];   // R3, the high point
        values[4] = record.d[3];   // R2
        values[5] = record.d[1];   // R1
    } else if (record.type & kSensorTypePt) {
        values[0] = record.d[0];   // A
        values[1] = record.d[1];   // B
        values[3] = record.d[2];   // Ro
    }
    const int regs[6] = {k, k + 1, k + 2, k + 20, k + 21, k + 22};
    for (int i = 0; i < 6; ++i) {
        const int result = io.writeRegister(regs[i], values[i], hex);
        if (result != 0)
            return result;
    }
    return 0;
}

template <typename Record>
int readCalibrationBlock(RegisterIo& io, Record& record, int k, bool hex) {
    RegisterReader r(io, hex);
    if (record.type & kSensorTypeNtc) {
        float a = 0, b = 0, c = 0, r1 = 0, r2 = 0, r3 = 0;
        r.f(k, a);
        r.f(k + 1, b);
        r.f(k + 2, c);
        r.f(k + 20, r3);
        r.f(k + 21, r2);
        r.f(k + 22, r1);
        if (!r.ok())
            return r.result();
        record.d[0] = SteinhartHartTemperature(a, b, c, r1);
        record.d[1] = r1;
        record.d[2] = SteinhartHartTemperature(a, b, c, r2);
        record.d[3] = r2;
        record.d[4] = SteinhartHartTemperature(a, b, c, r3);
        record.d[5] = r3;
    } else if (record.type & kSensorTypePt) {
        float a = 0, b = 0, ro = 0;
        r.f(k, a);
        r.f(k + 1, b);
        r.f(k + 20, ro);
        if (!r.ok())
            return r.result();
        record.d[0] = a;
        record.d[1] = b;
        record.d[2] = ro;
        record.d[3] = record.d[4] = record.d[5] = 0;
    } else {
        for (float& v : record.d)
            v = 0;
    }
    return 0;
}

template <typename Slot>
void writeSensor(RegisterWriter& w, const Slot& slot, int sensor) {
    const auto& rec = slot.selected();
    const std::uint32_t type = sensor == 1 ? rec.type | kSensor1TypeMark : rec.type;
    w.u(sensorTypeRegister(sensor), type);
    w.f(sensorGainRegister(sensor), rec.gain);
    w.f(sensorOffsetRegister(sensor), rec.offset);
    if (w.ok())
        w.fail(WriteSensorCalibration(w.io(), rec, calibrationBlockRegister(sensor), w.hex()));
}

template <typename Slot>
void readSensor(RegisterReader& r, Slot& slot, int sensor) {
    if (!r.ok())
        return;
    slot.select = 0;
    auto& rec = slot.records[0];
    r.f(sensorGainRegister(sensor), rec.gain);
    r.f(sensorOffsetRegister(sensor), rec.offset);
    r.u(sensorTypeRegister(sensor), rec.type);
    if (r.ok())
        r.fail(ReadSensorCalibration(r.io(), rec, calibrationBlockRegister(sensor), r.hex()));
    rec.setName(kUploadRecordName);
}

void writeAll(RegisterWriter& w, const ParameterSet& p, bool serviceMode) {
    w.u(13, p.regulatorFlags | kRegulatorDownloadMark);
    const float regulator[] = {p.st1,      p.kP,       p.kI,      p.kD,
                               p.kTr,      p.kTe,      p.maxPower, p.deadBand,
                               p.integralLimit};
    for (int reg = 0; reg <= 8; ++reg)
        w.f(reg, regulator[reg]);
    w.f(10, p.coolGain);
    w.f(11, p.heatGain);
    w.f(12, p.decay);
    w.f(14, p.algoDeadBand);
    w.f(15, p.algoHysteresis);

    w.u(16, p.fan1Mode);
    const float fan1[] = {p.fan1SetPoint, p.fan1DeadBand,   p.fan1LowHyst,
                          p.fan1HighHyst, p.fan1LowVoltage, p.fan1HighVoltage};
    for (int i = 0; i < 6; ++i)
        w.f(17 + i, fan1[i]);
    w.u(23, p.fan2Mode);
    const float fan2[] = {p.fan2SetPoint, p.fan2DeadBand,   p.fan2LowHyst,
                          p.fan2HighHyst, p.fan2LowVoltage, p.fan2HighVoltage};
    for (int i = 0; i < 6; ++i)
        w.f(24 + i, fan2[i]);
    const float aux[] = {p.aux30, p.aux31, p.aux32, p.aux33, p.aux34};
    for (int i = 0; i < 5; ++i)
        w.f(30 + i, aux[i]);
    const float limits[] = {p.vIntOver,  p.vIntUnder,  p.iOutOver,  p.iOutUnder,
                            p.fan1IOver, p.fan1IUnder, p.fan2IOver, p.fan2IUnder};
    for (int i = 0; i < 8; ++i)
        w.f(45 + i, limits[i]);
    if (serviceMode) {
        w.f(53, p.vInOver);
        w.f(54, p.vInUnder);
    }
    const float temps[] = {p.t1High, p.t1Low, p.t2High, p.t2Low,
                           p.t3High, p.t3Low, p.t4High, p.t4Low};
    for (int i = 0; i < 8; ++i)
        w.f(71 + i, temps[i]);

    writeSensor(w, p.sensor1, 1);
    writeSensor(w, p.sensor2, 2);
    writeSensor(w, p.sensor3, 3);
    writeSensor(w, p.sensor4, 4);

    w.u(91, p.alarmEnable1);
    w.u(92, p.alarmEnable2);
    w.u(96, p.aux96);
    w.f(93, p.st2);
    w.u(94, p.loopHighCount);
    w.u(95, p.loopLowCount);
    w.u(13, p.regulatorFlags);
}

void readAll(RegisterReader& r, ParameterSet& p) {
    float* regulator[] = {&p.st1,      &p.kP,       &p.kI,       &p.kD,
                          &p.kTr,      &p.kTe,      &p.maxPower, &p.deadBand,
                          &p.integralLimit, &p.ts,  &p.coolGain, &p.heatGain,
                          &p.decay};
    for (int reg = 0; reg <= 12; ++reg)
        r.f(reg, *regulator[reg]);
    r.u(13, p.regulatorFlags);
    r.f(14, p.algoDeadBand);
    r.f(15, p.algoHysteresis);
    r.u(16, p.fan1Mode);
    float* fan1[] = {&p.fan1SetPoint, &p.fan1DeadBand,   &p.fan1LowHyst,
                     &p.fan1HighHyst, &p.fan1LowVoltage, &p.fan1HighVoltage};
    for (int i = 0; i < 6; ++i)
        r.f(17 + i, *fan1[i]);
    r.u(23, p.fan2Mode);
    float* fan2[] = {&p.fan2SetPoint, &p.fan2DeadBand,   &p.fan2LowHyst,
                     &p.fan2HighHyst, &p.fan2LowVoltage, &p.fan2HighVoltage};
    for (int i = 0; i < 6; ++i)
        r.f(24 + i, *fan2[i]);
    float* aux[] = {&p.aux30, &p.aux31, &p.aux32, &p.aux33, &p.aux34};
    for (int i = 0; i < 5; ++i)
        r.f(30 + i, *aux[i]);
    float* limits[] = {&p.vIntOver,  &p.vIntUnder,  &p.iOutOver,  &p.iOutUnder,
                       &p.fan1IOver, &p.fan1IUnder, &p.fan2IOver, &p.fan2IUnder,
                       &p.vInOver,   &p.vInUnder};
    for (int i = 0; i < 10; ++i)
        r.f(45 + i, *limits[i]);
    float* temps[] = {&p.t1High, &p.t1Low, &p.t2High, &p.t2Low,
                      &p.t3High, &p.t3Low, &p.t4High, &p.t4Low};
    for (int i = 0; i < 8; ++i)
        r.f(71 + i, *temps[i]);

    readSensor(r, p.sensor1, 1);
    readSensor(r, p.sensor2, 2);
    readSensor(r, p.sensor3, 3);
    readSensor(r, p.sensor4, 4);

    r.u(91, p.alarmEnable1);
    r.u(92, p.alarmEnable2);
    r.u(96, p.aux96);
    r.f(93, p.st2);
    r.u(94, p.loopHighCount);
    r.u(95, p.loopLowCount);
}

}  // namespace

std::string writeErrorText(int code) {
    return errorText("Error when writing data - error %d [%s]", code);
}

std::string readErrorText(int code) {
    return errorText("Error when reading data - error %d [%s]", code);
}

int WriteSensorCalibration(RegisterIo& io, const SensorCalibrationEx& record, int firstRegister,
                           bool hex) {
    return writeCalibrationBlock(io, record, firstRegister, hex);
}

int WriteSensorCalibration(RegisterIo& io, const SensorCalibration& record, int firstRegister,
                           bool hex) {
    return writeCalibrationBlock(io, record, firstRegister, hex);
}

int ReadSensorCalibration(RegisterIo& io, SensorCalibrationEx& record, int firstRegister,
                          bool hex) {
    return readCalibrationBlock(io, record, firstRegister, hex);
}

int ReadSensorCalibration(RegisterIo& io, SensorCalibration& record, int firstRegister,
                          bool hex) {
    return readCalibrationBlock(io, record, firstRegister, hex);
}

int DownloadParameters(RegisterIo& io, TransferHost& host, ParameterSet& doc,
                       const TransferSettings& settings) {
    if (!host.isLinkOpen())
        return 0;
    const int old = host.setConnectionMode(kConnectionModeTransfer);
    host.showMessage(kMsgDownloadParameters);
    // Loop mode is a service feature: outside service mode it is switched
    // off in the document itself.
    if (!settings.serviceMode)
        doc.regulatorFlags &= ~kRegulatorLoopMode;

    RegisterWriter w(io, settings.ieee);
    writeAll(w, doc, settings.serviceMode);

    host.setConnectionMode(old);
    host.showMessage(w.ok() ? std::string(kMsgDownloadDone) : writeErrorText(w.result()));
    return w.result();
}

int GetParameters(RegisterIo& io, TransferHost& host, TQFile1& doc,
                  const TransferSettings& settings) {
    if (!host.isLinkOpen())
        return 0;
    const int old = host.setConnectionMode(kConnectionModeTransfer);
    host.showMessage(kMsgGetParameters);

    ParameterSet staging = static_cast<const ParameterSet&>(doc);
    RegisterReader r(io, settings.ieee);
    readAll(r, staging);
    if (r.ok()) {
        static_cast<ParameterSet&>(doc) = std::move(staging);
        doc.UpdateAllViews();
        doc.SetModifiedFlag(true);
    }

    host.setConnectionMode(old);
    host.showMessage(r.ok() ? std::string(kMsgGetDone) : readErrorText(r.result()));
    return r.result();
}
