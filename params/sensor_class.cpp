#include "params/sensor_class.h"

#include "params/archive.h"

bool CSensorClass::Serialize(Archive& ar) {
    if (ar.isStoring()) {
        ar.writeU32(kMagic);
        ar.writeString(name);
        ar.writeU32(mode);
        ar.writeU32(potGain);
        ar.writeU32(potOffset);
        ar.writeU32(kDataCount);
        for (float v : data)
            ar.writeFloat(v);
        return true;
    }
    reset();
    if (ar.readU32() != kMagic)
        return !ar.endOfFile();
    name = ar.readString();
    mode = ar.readU32();
    potGain = ar.readU32();
    potOffset = ar.readU32();
    const std::uint32_t count = ar.readU32();
    for (std::uint32_t i = 0; i < count && !ar.endOfFile(); ++i) {
        const float v = ar.readFloat();
        if (i < data.size())
            data[i] = v;
    }
    return !ar.endOfFile();
}
