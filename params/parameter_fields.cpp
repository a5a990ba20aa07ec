#include "params/parameter_fields.h"

namespace {

#define TQ_FIELD(name)             \
    ParameterField {               \
#name, &ParameterSet::name \
    }

const ParameterField kFields[] = {
    TQ_FIELD(st1),
    TQ_FIELD(kP),
    TQ_FIELD(kI),
    TQ_FIELD(kD),
    TQ_FIELD(kTr),
    TQ_FIELD(kTe),
    TQ_FIELD(maxPower),
    TQ_FIELD(deadBand),
    TQ_FIELD(integralLimit),
    TQ_FIELD(ts),
    TQ_FIELD(coolGain),
    TQ_FIELD(heatGain),
    TQ_FIELD(decay),
    TQ_FIELD(regulatorFlags),
    TQ_FIELD(algoDeadBand),
    TQ_FIELD(algoHysteresis),
    TQ_FIELD(fan1Mode),
    TQ_FIELD(fan1SetPoint),
    TQ_FIELD(fan1DeadBand),
    TQ_FIELD(fan1LowHyst),
    TQ_FIELD(fan1HighHyst),
    TQ_FIELD(fan1LowVoltage),
    TQ_FIELD(fan1HighVoltage),
    TQ_FIELD(fan2Mode),
    TQ_FIELD(fan2SetPoint),
    TQ_FIELD(fan2DeadBand),
    TQ_FIELD(fan2LowHyst),
    TQ_FIELD(fan2HighHyst),
    TQ_FIELD(fan2LowVoltage),
    TQ_FIELD(fan2HighVoltage),
    TQ_FIELD(aux30),
    TQ_FIELD(aux31),
    TQ_FIELD(aux32),
    TQ_FIELD(aux33),
    TQ_FIELD(aux34),
    TQ_FIELD(vInOver),
    TQ_FIELD(vInUnder),
    TQ_FIELD(vIntOver),
    TQ_FIELD(vIntUnder),
    TQ_FIELD(iOutOver),
    TQ_FIELD(iOutUnder),
    TQ_FIELD(fan1IOver),
    TQ_FIELD(fan1IUnder),
    TQ_FIELD(fan2IOver),
    TQ_FIELD(fan2IUnder),
    TQ_FIELD(t1High),
    TQ_FIELD(t1Low),
    TQ_FIELD(t2High),
    TQ_FIELD(t2Low),
    TQ_FIELD(t3High),
    TQ_FIELD(t3Low),
    TQ_FIELD(t4High),
    TQ_FIELD(t4Low),
    TQ_FIELD(alarmEnable1),
    TQ_FIELD(alarmEnable2),
    TQ_FIELD(aux96),
    TQ_FIELD(st2),
    TQ_FIELD(loopHighCount),
    TQ_FIELD(loopLowCount),
};

#undef TQ_FIELD

}  // namespace

std::span<const ParameterField> ParameterFields() {
    return kFields;
}

const ParameterField* FindParameterField(std::string_view name) {
    for (const ParameterField& f : kFields)
        if (name == f.name)
            return &f;
    return nullptr;
}
