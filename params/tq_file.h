// TQFile1: the parameter set document and its ".tq" file form.
#pragma once

#include <cstdint>

#include "params/document.h"
#include "params/parameter_set.h"

inline constexpr std::uint16_t kTqFileMagicWord = 4386;   // bytes 22 11
inline constexpr std::uint16_t kTqFileVersion = 7;        // written
inline constexpr std::uint16_t kTqFileOldestVersion = 6;  // read

inline constexpr char kMsgUnknownFileFormat[] = "Error - Unkown file format.";
inline constexpr char kMsgOldFileVersion[] = "Error - Unkown or old file version number";
inline constexpr char kMsgUnexpectedFileFormat[] = "Unexpected file format.";

class TQFile1 : public Document, public ParameterSet {
public:
    static constexpr const char* kClassName = "TQFile1";

    // Applies the defaults once.
    TQFile1();

    // New document: defaults, then the first view resets the channel table.
    DocOutcome OnNewDocument() override;
    // "Revert to default": an unnamed document gets the defaults and is
    // marked modified; a named one is reloaded from its file.
    DocOutcome RevertToDefault();

    // Stores version 7; loads versions 6 and later into a staging copy and
    // commits it, and the graph block, only after a complete read.
    DocOutcome Serialize(Archive& ar) override;

    // The version of the last file read (7 for a new document).
    std::uint16_t fileVersion() const { return fileVersion_; }

private:
    std::uint16_t fileVersion_ = kTqFileVersion;
};
