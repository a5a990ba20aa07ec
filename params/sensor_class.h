// One record of the user sensor table (not part of the parameter set).
#pragma once

#include <array>
#include <cstdint>
#include <string>

class Archive;

class CSensorClass {
public:
    static constexpr const char* kClassName = "CSensorClass";
    static constexpr int kSchema = 1;
    static constexpr std::uint32_t kMagic = 4386;
    static constexpr int kDataCount = 11;

    std::string name = "empty";
    std::uint32_t mode = 0;
    std::uint32_t potGain = 0;
    std::uint32_t potOffset = 0;
    std::array<float, kDataCount> data{};

    void reset() { *this = CSensorClass(); }

    // Stores u32 4386, name, mode, potGain, potOffset, u32 11 and the floats.
    // Loading resets the record first; a first value other than 4386 ends
    // the load there, floats beyond the eleventh are read and dropped.
    // Returns false when the archive ran out of data.
    bool Serialize(Archive& ar);
};
