// Compares the regulator's registers with a parameter set, register by
// register, in the form a download would send them. The regulator is read
// through the get path into a staging copy; the document is never touched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "params/parameter_set.h"
#include "params/register_transfer.h"

inline constexpr char kMsgCompareParameters[] = "Compare parameters with regulator";
inline constexpr char kMsgCompareEqual[] = "Compare with regulator -- no differences";
inline constexpr char kMsgDownloadVerified[] = "Write parameter -- done, verified";

struct RegisterDifference {
    int reg = 0;
    std::string field;           // "kP", "sensor2.gain", "sensor1.A"
    std::string label;           // the page's label of the field ("" when it has none)
    std::string documentValue;   // as the download would send it
    std::string regulatorValue;  // as the regulator holds it
};

struct RegisterComparison {
    int result = 0;   // 0, or the link result code of the first read that failed
    std::vector<RegisterDifference> differences;   // by register number
    // The regulator's values as "Get parameters" would store them (complete
    // only when result is 0).
    ParameterSet regulator;

    bool equal() const { return result == 0 && differences.empty(); }
};

// Registers written by a download (the last value of each), compared with
// what the regulator holds: floats by bit pattern with IEEE on, by the
// decimal text's value with it off; unsigned registers exactly. Register 9
// and registers a download leaves alone are not compared; 53 and 54 only in
// service mode. Suspends the link through `host` and restores its mode;
// messages go to the host's message line. A closed link returns PortInvalid.
RegisterComparison CompareWithRegulator(RegisterIo& io, TransferHost& host, const ParameterSet& doc,
                                        const TransferSettings& settings);

// "Compare with regulator -- 3 differences" / "Write parameter -- done, 1 difference".
std::string differenceCountText(std::string_view prefix, std::size_t count);

// The field a download writes into `reg`, as named in the compare (sensor
// registers by slot and role); "" for a register no download writes.
std::string registerFieldName(int reg, const ParameterSet& doc);
// The label the parameter pages show for a field ("" when none).
std::string fieldPageLabel(std::string_view field);
