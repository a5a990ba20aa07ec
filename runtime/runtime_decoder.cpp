#include "runtime/runtime_decoder.h"

#include <bit>
#include <cstdint>

#include "runtime/number_reader.h"

namespace {

// Reads the values of one line in order, checking the separator after each.
class ValueCursor {
public:
    ValueCursor(const char* p, int count) : p_(p), remaining_(count) {}

    bool ok() const { return ok_; }

    // True when the last read found a number (stored even if the
    // separator after it is wrong).
    bool converted() const { return converted_; }

    std::uint32_t hex()
    {
        converted_ = false;
        if (!ok_) return 0;
        const char* end = nullptr;
        const std::uint32_t value = readHex32(p_, &end);
        advance(end);
        return value;
    }

    double real()
    {
        converted_ = false;
        if (!ok_) return 0;
        const char* end = nullptr;
        const double value = readReal(p_, &end);
        advance(end);
        return value;
    }

private:
    // A value without digits is as malformed as a missing separator.
    void advance(const char* end)
    {
        --remaining_;
        const char expected = remaining_ > 0 ? ' ' : ']';
        converted_ = end != p_;
        if (!converted_ || *end != expected) {
            ok_ = false;
            return;
        }
        p_ = end + 1;
    }

    const char* p_;
    int remaining_;
    bool ok_ = true;
    bool converted_ = false;
};

// Each value is stored as soon as it has been read, before its separator
// decides whether the line goes on.
template <class T>
void store(const ValueCursor& cursor, T& field, T value)
{
    if (cursor.converted()) field = value;
}

void readCommonIntegers(ValueCursor& c, RuntimeSample& s)
{
    store(c, s.gTsCnt, c.hex());
    store(c, s.g_error, c.hex());
    store(c, s.g_pwm_mode, static_cast<std::uint8_t>(c.hex() & 0xFFu));
    store(c, s.fgtFLAG, static_cast<std::uint8_t>(c.hex() & 0xFFu));
}

float* realFields(RuntimeSample& s, int index)
{
    // Fields 5..23 in line order.
    float* const fields[] = {&s.fgTc,   &s.fgF1Tc, &s.fgF2Tc, &s.fgTa1, &s.fgTa2,
                             &s.fgTa3,  &s.fgTa4,  &s.fgTrExt, &s.fgTr, &s.frTa,
                             &s.frTe,   &s.frTp,   &s.frTi,   &s.frTd,  &s.frTLPr,
                             &s.g_vin,  &s.g_curr, &s.F1_curr, &s.F2_curr};
    return fields[index];
}

bool decodeIeee(const char* values, RuntimeSample& s)
{
    ValueCursor c(values, 25);
    readCommonIntegers(c, s);
    for (int i = 0; i < 19; ++i) {
        const std::uint32_t bits = c.hex();
        store(c, *realFields(s, i), std::bit_cast<float>(bits));
    }
    store(c, s.adTemp1, static_cast<std::int32_t>(c.hex()));
    store(c, s.digipotOffset, static_cast<std::int32_t>(c.hex()));
    return c.ok();
}

bool decodeDecimal(const char* values, RuntimeSample& s)
{
    ValueCursor c(values, 22);
    readCommonIntegers(c, s);
    for (int i = 0; i < 17; ++i) {  // fgTc .. g_curr
        const double value = c.real();
        store(c, *realFields(s, i), static_cast<float>(value));
    }
    c.real();  // a further number the regulator sends; not used
    if (!c.ok()) return false;
    s.adTemp1 = 0;
    s.digipotOffset = 0;
    return true;
}

}  // namespace

std::optional<RuntimeFormat> decodeRuntimeLine(const char* text, RuntimeSample& sample)
{
    if (text == nullptr || text[0] != '[' || text[1] == '\0' || text[2] != ' ')
        return std::nullopt;
    switch (text[1]) {
    case '7':
        if (decodeIeee(text + 3, sample)) return RuntimeFormat::Ieee;
        return std::nullopt;
    case '6':
        if (decodeDecimal(text + 3, sample)) return RuntimeFormat::Decimal;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}
