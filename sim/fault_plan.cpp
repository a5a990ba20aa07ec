#include "sim/fault_plan.h"

#include <cctype>

namespace sim {

void FaultPlan::set(Fault fault, int count)
{
    if (fault == Fault::None) {
        counts_.clear();
        return;
    }
    if (count == 0)
        counts_.erase(fault);
    else
        counts_[fault] = count < 0 ? -1 : count;
}

void FaultPlan::clear()
{
    counts_.clear();
    byRegister_.clear();
}

bool FaultPlan::active(Fault fault) const
{
    return counts_.count(fault) != 0;
}

bool FaultPlan::take(Fault fault)
{
    auto it = counts_.find(fault);
    if (it == counts_.end())
        return false;
    if (it->second > 0 && --it->second == 0)
        counts_.erase(it);
    return true;
}

Fault FaultPlan::forRegister(int reg)
{
    auto it = byRegister_.find(reg);
    if (it == byRegister_.end())
        return Fault::None;
    const Fault f = it->second;
    if (f == Fault::Vanish)
        byRegister_.erase(it);
    return f;
}

int registerOfCommand(const std::string& line)
{
    std::size_t i;
    if (line.rfind("$RN", 0) == 0)
        i = 3;
    else if (line.rfind("$R", 0) == 0)
        i = 2;
    else
        return -1;
    int reg = 0;
    std::size_t digits = 0;
    for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i) {
        if (++digits > 4)
            return -1;
        reg = reg * 10 + (line[i] - '0');
    }
    if (digits == 0 || i >= line.size() || (line[i] != '=' && line[i] != '?'))
        return -1;
    return reg;
}

std::string garble(const std::string& line, unsigned& seed)
{
    static const char kNoise[] = {'\x00', '\x07', '\x1B', '\x7F', '\x80', '\x9C', '\xC3',
                                  '\xA9', '\xFE', '\xFF', '\x15', '\x02', '\xB0', '\x8D'};
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    std::string out;
    for (int k = 0; k < 3; ++k)
        out += kNoise[next() % sizeof kNoise];
    for (char c : line) {
        out += c;
        if (next() % 4 == 0)
            out += kNoise[next() % sizeof kNoise];
    }
    return out;
}

std::string overlongLine()
{
    std::string s;
    s.reserve(1100);
    for (int i = 0; i < 1100; ++i)
        s += static_cast<char>('0' + i % 10);
    return s;
}

}  // namespace sim
