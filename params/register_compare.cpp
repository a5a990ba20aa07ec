#include "params/register_compare.h"

#include <bit>
#include <cstdio>
#include <map>

#include "link/serial_manager.h"
#include "params/parameter_assign.h"
#include "params/tq_file.h"

namespace {

// One register value in the form it travels in.
struct RegisterValue {
    bool isFloat = false;
    float f = 0;
    std::uint32_t u = 0;
};

// Notes what a download would send: the last value of every register.
class RecordingIo : public RegisterIo {
public:
    int writeRegister(int reg, float value, bool) override {
        sent[reg] = {true, value, 0};
        return 0;
    }
    int writeRegisterUnsigned(int reg, std::uint32_t value) override {
        sent[reg] = {false, 0, value};
        return 0;
    }
    int readRegister(int, float& out, bool) override {
        out = 0;
        return PortInvalid;
    }
    int readRegisterUnsigned(int, std::uint32_t& out) override {
        out = 0;
        return PortInvalid;
    }

    std::map<int, RegisterValue> sent;
};

// Reads through to the link once per register and remembers the answer, so
// the get path and the compare share one read of each register.
class CachingIo : public RegisterIo {
public:
    explicit CachingIo(RegisterIo& link) : link_(link) {}
    int writeRegister(int, float, bool) override { return PortInvalid; }
    int writeRegisterUnsigned(int, std::uint32_t) override { return PortInvalid; }
    int readRegister(int reg, float& out, bool hex) override {
        out = 0;
        if (const auto it = read_.find(reg); it != read_.end() && it->second.isFloat) {
            out = it->second.f;
            return 0;
        }
        const int result = link_.readRegister(reg, out, hex);
        if (result == 0)
            read_[reg] = {true, out, 0};
        return result;
    }
    int readRegisterUnsigned(int reg, std::uint32_t& out) override {
        out = 0;
        if (const auto it = read_.find(reg); it != read_.end() && !it->second.isFloat) {
            out = it->second.u;
            return 0;
        }
        const int result = link_.readRegisterUnsigned(reg, out);
        if (result == 0)
            read_[reg] = {false, 0, out};
        return result;
    }

private:
    RegisterIo& link_;
    std::map<int, RegisterValue> read_;
};

// The link is already suspended by the compare itself.
class QuietHost : public TransferHost {
public:
    bool isLinkOpen() const override { return true; }
    int setConnectionMode(int mode) override { return mode; }
    void showMessage(const std::string&) override {}
};

// The value text of "$R%d=..." as the download sends it with IEEE off.
std::string decimalText(float value) {
    const std::string command = SerialManager::registerWriteFloatCommand(0, value);
    return command.substr(3, command.size() - 4);   // between "$R0=" and the CR
}

std::string bitsText(float value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", std::bit_cast<std::uint32_t>(value));
    return text;
}

bool sameFloat(float document, float regulator, bool ieee) {
    if (ieee)
        return std::bit_cast<std::uint32_t>(document) == std::bit_cast<std::uint32_t>(regulator);
    return decimalText(document) == decimalText(regulator);
}

// Both values as text; with IEEE on, values that print alike get their bit
// patterns too, so the difference is visible.
void describe(RegisterDifference& d, float document, float regulator, bool ieee) {
    d.documentValue = FloatText(document);
    d.regulatorValue = FloatText(regulator);
    if (d.documentValue == d.regulatorValue) {
        d.documentValue += " (" + (ieee ? bitsText(document) : decimalText(document)) + ")";
        d.regulatorValue += " (" + (ieee ? bitsText(regulator) : decimalText(regulator)) + ")";
    }
}

}  // namespace

std::string differenceCountText(std::string_view prefix, std::size_t count) {
    return std::string(prefix) + " " + std::to_string(count) +
           (count == 1 ? " difference" : " differences");
}

RegisterComparison CompareWithRegulator(RegisterIo& io, TransferHost& host, const ParameterSet& doc,
                                        const TransferSettings& settings) {
    RegisterComparison out;
    if (!host.isLinkOpen()) {
        out.result = PortInvalid;
        return out;
    }
    const int old = host.setConnectionMode(kConnectionModeTransfer);
    host.showMessage(kMsgCompareParameters);

    QuietHost quiet;
    RecordingIo recording;
    ParameterSet toSend = doc;   // a download may clear the loop bit: on a copy
    DownloadParameters(recording, quiet, toSend, settings);

    CachingIo cache(io);
    TQFile1 staging;
    static_cast<ParameterSet&>(staging) = doc;
    out.result = GetParameters(cache, quiet, staging, settings);

    for (auto it = recording.sent.begin(); out.result == 0 && it != recording.sent.end(); ++it) {
        const int reg = it->first;
        const RegisterValue& sent = it->second;
        RegisterDifference d;
        d.reg = reg;
        bool same = true;
        if (sent.isFloat) {
            float held = 0;
            out.result = cache.readRegister(reg, held, settings.ieee);
            same = out.result != 0 || sameFloat(sent.f, held, settings.ieee);
            if (!same)
                describe(d, sent.f, held, settings.ieee);
        } else {
            std::uint32_t held = 0;
            out.result = cache.readRegisterUnsigned(reg, held);
            same = out.result != 0 || held == sent.u;
            d.documentValue = std::to_string(sent.u);
            d.regulatorValue = std::to_string(held);
        }
        if (!same) {
            d.field = registerFieldName(reg, doc);
            d.label = fieldPageLabel(d.field);
            out.differences.push_back(std::move(d));
        }
    }
    out.regulator = static_cast<const ParameterSet&>(staging);

    host.setConnectionMode(old);
    if (out.result != 0)
        host.showMessage(readErrorText(out.result));
    else if (out.differences.empty())
        host.showMessage(kMsgCompareEqual);
    else
        host.showMessage(differenceCountText("Compare with regulator --", out.differences.size()));
    return out;
}
