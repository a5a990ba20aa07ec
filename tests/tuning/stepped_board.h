// The virtual regulator's board without its pseudo-terminal: registers and
// stream of a sim::BoardModel, advanced one regulator sample per sample
// asked for, so a tuning run takes as long as the computer needs. For the
// tests and the benchmark.
#pragma once

#include <functional>
#include <optional>

#include "params/register_transfer.h"
#include "runtime/runtime_decoder.h"
#include "sim/board_model.h"
#include "sim/register_bank.h"
#include "sim/runtime_record.h"
#include "tuning/tuning_link.h"

namespace tuning::test {

class SteppedBoard : public RegisterIo, public TuningLink {
public:
    explicit SteppedBoard(const sim::PlantParams& plant) : model_(plant) { model_.boot(bank_); }

    sim::RegisterBank& bank() { return bank_; }
    sim::BoardModel& model() { return model_; }
    // Runs the board for `seconds` without anyone watching.
    void advance(double seconds)
    {
        for (double t = 0; t < seconds; t += kTs)
            model_.step(bank_, kTs);
    }

    // RegisterIo
    int writeRegister(int reg, float value, bool) override
    {
        return put(reg, sim::floatBits(value));
    }
    int writeRegisterUnsigned(int reg, std::uint32_t value) override { return put(reg, value); }
    int readRegister(int reg, float& out, bool) override
    {
        if (failing(reg)) return 4;
        out = bank_.value(reg);
        return 0;
    }
    int readRegisterUnsigned(int reg, std::uint32_t& out) override
    {
        if (failing(reg)) return 4;
        out = bank_.word(reg);
        return 0;
    }

    // TuningLink
    bool isOpen() const override { return open_; }
    int startStream() override { streaming_ = open_; return open_ ? 0 : 1; }
    int stopStream() override { streaming_ = false; return open_ ? 0 : 1; }
    int startRegulator() override { model_.start(); return open_ ? 0 : 1; }
    int stopRegulator() override { model_.stop(); return open_ ? 0 : 1; }
    std::optional<RuntimeSample> nextSample(double) override
    {
        if (!streaming_ || !open_ || silentAfter_ == 0)
            return std::nullopt;
        if (silentAfter_ > 0) --silentAfter_;
        model_.step(bank_, kTs);
        RuntimeSample s;
        if (!decodeRuntimeLine(sim::formatRuntimeLine(model_.record(), 7).c_str(), s))
            return std::nullopt;
        if (onSample) onSample(s);
        return s;
    }
    void dropSamples() override {}

    // Faults: the stream falls silent after n samples; the link closes; a
    // register access fails (until cleared with -1).
    void silenceAfter(long samples) { silentAfter_ = samples; }
    void close() { open_ = false; }
    void failRegister(int reg) { failingRegister_ = reg; }
    std::function<void(RuntimeSample&)> onSample;   // may change a sample before it is returned

    static constexpr double kTs = 0.05;

private:
    bool failing(int reg) const { return !open_ || reg == failingRegister_; }
    int put(int reg, std::uint32_t bits)
    {
        if (failing(reg)) return 3;
        if (reg != sim::reg::Ts) bank_.setBits(reg, bits);
        return 0;
    }

    sim::RegisterBank bank_;
    sim::BoardModel model_;
    bool open_ = true;
    bool streaming_ = false;
    long silentAfter_ = -1;
    int failingRegister_ = -1;
};

}  // namespace tuning::test
