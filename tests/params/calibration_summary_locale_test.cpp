// The calibration summary is the same text whatever the process locale,
// and its 14-character cut counts characters, not bytes.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "params/sensor_calibration.h"
#include "params/sensor_presets.h"

namespace {

// Switches LC_ALL for the scope; empty name() when the locale is missing.
class LocaleScope {
public:
    explicit LocaleScope(const char* wanted) {
        const char* old = std::setlocale(LC_ALL, nullptr);
        saved_ = old ? old : "C";
        if (const char* now = std::setlocale(LC_ALL, wanted)) name_ = now;
    }
    ~LocaleScope() { std::setlocale(LC_ALL, saved_.c_str()); }
    const std::string& name() const { return name_; }

private:
    std::string saved_;
    std::string name_;
};

}  // namespace

TEST(CalibrationSummaryLocale, ADecimalCommaLocaleKeepsThePoints) {
    SensorCalibrationEx ntc = SensorPresetsEx()[1];
    ntc.gain = 1.5f;
    ntc.offset = -0.25f;
    SensorCalibration pt = SensorPresets()[5];
    const std::string ntcText = CalibrationSummary(1, ntc);
    const std::string ptText = CalibrationSummary(5, pt);

    LocaleScope comma("de_DE.UTF-8");
    if (comma.name().empty()) GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/setup.sh generates it)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%g", 1.5);
    ASSERT_STREQ(probe, "1,5");  // the locale really writes a comma

    EXPECT_EQ(CalibrationSummary(1, ntc), ntcText);
    EXPECT_EQ(CalibrationSummary(5, pt), ptText);
    EXPECT_NE(ntcText.find("Gain\t1.5\nOffset\t-0.25\n"), std::string::npos) << ntcText;
    EXPECT_NE(ntcText.find("\nA 1.39691844e-03\n"), std::string::npos) << ntcText;
    EXPECT_NE(ptText.find("\nRo 1.00000000e+03"), std::string::npos) << ptText;
    EXPECT_EQ(ntcText.find(','), std::string::npos);
}

TEST(CalibrationSummaryLocale, NameCutCountsCharactersNotBytes) {
    SensorCalibration r = SensorPresets()[7];
    r.setName("Kühlkörper-Fühler");  // 17 characters, 20 bytes
    EXPECT_EQ(CalibrationSummary(7, r).rfind("[7] Kühlkörper-Füh..\n\nGain", 0), 0u);
    r.setName("Kühlkörper-Füh");  // exactly 14 characters in 17 bytes: not cut
    EXPECT_EQ(CalibrationSummary(7, r).rfind("[7] Kühlkörper-Füh\n\nGain", 0), 0u);
    r.setName("Ω");
    EXPECT_EQ(CalibrationSummary(7, r).rfind("[7] Ω\n\nGain", 0), 0u);
}
