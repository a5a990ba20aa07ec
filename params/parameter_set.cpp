#include "params/parameter_set.h"

#include <cmath>

void ParameterSet::ApplyDefaults() {
    notes = "Enter user comment here...";
    st1 = 20.0f;

    kP = 20.0f;
    kI = 2.0f;
    kD = 5.0f;
    kTr = 2.0f;
    kTe = 3.0f;
    maxPower = 100.0f;
    deadBand = 3.0f;
    integralLimit = 100.0f;
    ts = 0.05f;
    coolGain = 1.0f;
    heatGain = 1.0f;
    decay = 0.1f;
    regulatorFlags = 0;
    algoDeadBand = 5.0f;
    algoHysteresis = 5.0f;

    fan1Mode = fan2Mode = 0;
    fan1SetPoint = fan2SetPoint = 20.0f;
    fan1DeadBand = fan2DeadBand = 8.0f;
    fan1LowHyst = fan2LowHyst = 4.0f;
    fan1HighHyst = fan2HighHyst = 2.0f;
    fan1LowVoltage = fan2LowVoltage = 12.0f;
    fan1HighVoltage = fan2HighVoltage = 48.0f;

    aux30 = 0.0f;
    aux31 = 0.0f;
    aux32 = 1.0f;
    aux33 = 0.0f;
    aux34 = 1.0f;

    vInOver = 13.0f;
    vInUnder = 7.0f;
    vIntOver = 30.0f;
    vIntUnder = 10.0f;
    iOutOver = 15.0f;
    iOutUnder = 0.1f;
    fan1IOver = 2.0f;
    fan1IUnder = 0.1f;
    fan2IOver = 2.0f;
    fan2IUnder = 0.1f;
    t1High = 80.0f;
    t1Low = -40.0f;
    t2High = 50.0f;
    t2Low = -10.0f;
    t3High = 50.0f;
    t3Low = -10.0f;
    t4High = 60.0f;
    t4Low = -10.0f;
    alarmEnable1 = 0x15F;
    alarmEnable2 = 0x43;

    aux96 = 0xFFFC;
    st2 = 8.0f;
    loopHighCount = 300;
    loopLowCount = 200;

    sensor1.select = 1;
    sensor1.records = SensorPresetsEx();
    sensor2.select = 1;
    sensor2.records = SensorPresets();
    sensor3.select = 1;
    sensor3.records = SensorPresets();
    sensor4.select = 3;
    sensor4.records = SensorPresets();
}

std::uint32_t LoopSecondsToSamples(float seconds, float ts) {
    const float samples = seconds / ts + 0.005f;
    if (!(samples >= 0.0f))  // negative or not a number
        return 0;
    if (samples >= 4294967295.0f)
        return 4294967295u;
    return static_cast<std::uint32_t>(samples);
}

float LoopSamplesToSeconds(std::uint32_t count, float ts) {
    return static_cast<float>(count) * ts;
}
