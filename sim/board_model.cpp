#include "sim/board_model.h"

#include <algorithm>
#include <cmath>

#include "sim/register_bank.h"
#include "sim/status_word.h"
#include "sim/steinhart_hart.h"

namespace sim {

namespace {

constexpr std::uint32_t kAutostart = 0x80;
constexpr std::uint32_t kNtc = 0x04, kPt = 0x10;
constexpr float kExternalControlVolts = 2.5f;  // the board's control input, idle
constexpr double kPullUp = 10000.0;            // ohm, divider of sensor 1

// 12-bit converter reading of sensor 1 in its divider.
std::int32_t converterReading(const RegisterBank& bank, double celsius)
{
    const std::uint32_t type = bank.word(reg::SensorType1);
    const double kelvin = celsius + 273.15;
    double r = 0;
    if (type & kNtc) {
        SteinhartHart k{bank.value(59), bank.value(60), bank.value(61)};
        r = steinhartHartResistance(k, static_cast<float>(kelvin));
    } else if (type & kPt) {
        const double a = bank.value(59), b = bank.value(60), ro = bank.value(79);
        r = ro * (1 + a * celsius + b * celsius * celsius);
    }
    if (!(r > 0) || !std::isfinite(r))
        return 0;
    return static_cast<std::int32_t>(std::lround(4095.0 * r / (r + kPullUp)));
}

}  // namespace

BoardModel::BoardModel(PlantParams plant) : plant_(plant) {}

void BoardModel::setPlant(const PlantParams& plant)
{
    plant_ = ThermalPlant(plant);
}

void BoardModel::boot(const RegisterBank& bank)
{
    running_ = (bank.word(reg::RegulatorFlags) & kAutostart) != 0;
    sinceBoot_ = 0;
    sampleCount_ = 0;
    regulator_.reset(static_cast<float>(plant_.temperatures().plate));
    fan1_.reset();
    fan2_.reset();
    measure(bank);
    buildRecord(bank);
}

void BoardModel::step(const RegisterBank& bank, double dt)
{
    sinceBoot_ += dt;
    ++sampleCount_;
    const bool delay = sinceBoot_ < kStartupDelaySeconds;
    measure(bank);
    regulator_.step(bank, readings_[0], kExternalControlVolts, running_ && !delay, dt);
    const double out = regulator_.terms().output;
    fan1_.step(bank, readings_[2], out, dt);
    fan2_.step(bank, readings_[2], out, dt);
    plant_.step(out, 0.5 * (fan1_.airflow() + fan2_.airflow()), dt);
    measure(bank);
    buildRecord(bank);
}

void BoardModel::measure(const RegisterBank& bank)
{
    const PlantTemperatures& t = plant_.temperatures();
    const double truth[4] = {plant_.sensedPlate(), t.ambient, t.sink, t.fet};
    for (int n = 0; n < 4; ++n) {
        const std::uint32_t type = bank.word(reg::SensorType1 + n);
        missing_[n] = (type & (kNtc | kPt)) == 0;
        const float gain = finiteOr(bank.value(reg::SensorGain1 + 2 * n), 1.0f);
        const float offset = finiteOr(bank.value(reg::SensorOffset1 + 2 * n), 0.0f);
        const float v = static_cast<float>(truth[n]) * gain + offset;
        // The converter's range bounds what any calibration can report.
        readings_[n] = missing_[n] ? 0.0f : std::isfinite(v) ? std::clamp(v, -300.0f, 1000.0f) : 0.0f;
    }
}

void BoardModel::buildRecord(const RegisterBank& bank)
{
    const RegulatorTerms& rt = regulator_.terms();
    RuntimeRecord& r = record_;
    r.gTsCnt = sampleCount_;
    r.g_pwm_mode = rt.output > 0 ? 1 : rt.output < 0 ? 2 : 0;
    const bool delay = sinceBoot_ < kStartupDelaySeconds;
    r.fgtFLAG = static_cast<std::uint8_t>((running_ ? 1 : 0) | (rt.loopLowPhase ? 2 : 0)
                                          | (delay ? 4 : 0));
    r.fgTc = rt.output;
    r.fgF1Tc = static_cast<float>(fan1_.voltage());
    r.fgF2Tc = static_cast<float>(fan2_.voltage());
    r.fgTa1 = readings_[0];
    r.fgTa2 = readings_[1];
    r.fgTa3 = readings_[2];
    r.fgTa4 = readings_[3];
    r.fgTrExt = kExternalControlVolts;
    r.fgTr = rt.setPoint;
    r.frTa = rt.actual;
    r.frTe = rt.error;
    r.frTp = rt.p;
    r.frTi = rt.i;
    r.frTd = rt.d;
    r.frTLPr = rt.filteredSetPoint;
    r.g_vin = static_cast<float>(plant_.inputVoltage());
    r.g_curr = static_cast<float>(std::fabs(plant_.current()));
    r.F1_curr = static_cast<float>(fan1_.current());
    r.F2_curr = static_cast<float>(fan2_.current());
    r.adTemp1 = converterReading(bank, readings_[0]);
    r.digipotOffset = 128;
    r.internalVoltage = static_cast<float>(12.05 - 0.1 * (fan1_.airflow() + fan2_.airflow()));

    Measurements m;
    m.inputVoltage = r.g_vin;
    m.internalVoltage = r.internalVoltage;
    m.mainCurrent = r.g_curr;
    m.fan1Current = r.F1_curr;
    m.fan2Current = r.F2_curr;
    for (int n = 0; n < 4; ++n) {
        m.temperature[n] = readings_[n];
        m.sensorMissing[n] = missing_[n];
    }
    r.g_error = statusWord(bank, m, delay, rt.overload);
}

}  // namespace sim
