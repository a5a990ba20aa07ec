// The board's temperature regulator: set point selection (St1, loop mode
// St1/St2, external control voltage), the set point and error filters, and
// the output by mode: Off, Power, Algo (on/off with hysteresis), P, PI, PD,
// PID, with dead-band, gains and power limit.
#pragma once

#include <cstdint>

namespace sim {

class RegisterBank;

struct RegulatorTerms {
    float setPoint = 0;       // fgTr
    float filteredSetPoint = 0;  // frTLPr
    float actual = 0;         // frTa
    float error = 0;          // frTe
    float p = 0, i = 0, d = 0;
    float output = 0;         // %, > 0 heats
    bool loopLowPhase = false;
    bool overload = false;    // output held at its limit for a long time
};

class Regulator {
public:
    void reset(float actual);
    // One regulator sample of dt seconds. running: the regulator was started
    // ("$W" or autostart) and the start-up delay has passed.
    void step(const RegisterBank& bank, float actual, float externalVoltage, bool running,
              double dt);
    const RegulatorTerms& terms() const { return t_; }

private:
    RegulatorTerms t_;
    float previousError_ = 0;
    bool algoOn_ = false;
    std::uint32_t loopCount_ = 0;
    double saturatedFor_ = 0;
    bool primed_ = false;
};

}  // namespace sim
