#include "params/tq_file.h"

#include "params/archive.h"
#include "params/parameter_fields.h"
#include "params/runtime_block.h"

namespace {

// Every scalar in file order: as held, except aux96, which goes last.
void ioScalars(Archive& ar, ParameterSet& p) {
    for (const ParameterField& f : ParameterFields()) {
        if (f.name == std::string_view("aux96"))
            continue;
        std::visit([&](auto member) { ar.io(p.*member); }, f.member);
    }
}

template <typename Record>
void ioName(Archive& ar, Record& r) {
    if (ar.isStoring()) {
        ar.writeString(std::string(r.nameText()));
    } else {
        r.setName(ar.readString());
    }
}

void ioRecord(Archive& ar, SensorCalibrationEx& r) {
    ioName(ar, r);
    ar.io(r.type);
    ar.io(r.potGain);
    ar.io(r.potOffset);
    ar.io(r.gain);
    ar.io(r.offset);
    for (float& v : r.d)
        ar.io(v);
}

void ioRecord(Archive& ar, SensorCalibration& r) {
    ioName(ar, r);
    ar.io(r.type);
    ar.io(r.gain);
    ar.io(r.offset);
    for (float& v : r.d)
        ar.io(v);
}

// Returns false when a loaded selection lies outside the 32 records.
template <typename Record>
bool ioSlot(Archive& ar, SensorSlot<Record>& slot) {
    ar.io(slot.select);
    for (Record& r : slot.records)
        ioRecord(ar, r);
    return slot.select < slot.records.size();
}

RuntimeBlockOwner* blockOwner(const Document& doc) {
    DocumentView* view = doc.firstView();
    return view ? view->runtimeBlockOwner() : nullptr;
}

}  // namespace

TQFile1::TQFile1() {
    ApplyDefaults();
}

DocOutcome TQFile1::OnNewDocument() {
    DocOutcome outcome = Document::OnNewDocument();
    if (!outcome)
        return outcome;
    ApplyDefaults();
    fileVersion_ = kTqFileVersion;
    if (DocumentView* view = firstView())
        view->resetChannelTable();
    UpdateAllViews();
    return outcome;
}

DocOutcome TQFile1::RevertToDefault() {
    if (DocumentView* view = firstView())
        view->resetChannelTable();
    DocOutcome outcome = DocOutcome::success();
    if (GetPathName().empty()) {
        ApplyDefaults();
        SetModifiedFlag(true);
    } else {
        ApplyDefaults();
        SetModifiedFlag(false);
        outcome = OnOpenDocument(GetPathName());
        // The defaults now differ from the file that could not be read.
        SetModifiedFlag(!outcome.ok);
    }
    UpdateAllViews();
    return outcome;
}

DocOutcome TQFile1::Serialize(Archive& ar) {
    if (ar.isStoring()) {
        ar.writeU8(0x54);
        ar.writeU8(0x51);
        ar.writeU16(kTqFileMagicWord);
        ar.writeU16(kTqFileVersion);
        ar.writeString(notes);
        ioScalars(ar, *this);
        ioSlot(ar, sensor1);
        ioSlot(ar, sensor2);
        ioSlot(ar, sensor3);
        ioSlot(ar, sensor4);
        if (RuntimeBlockOwner* owner = blockOwner(*this))
            WriteRuntimeBlock(ar, owner->runtimeBlockEntries());
        ar.writeU32(aux96);
        return DocOutcome::success();
    }

    const std::uint8_t m0 = ar.readU8();
    const std::uint8_t m1 = ar.readU8();
    const std::uint16_t word = ar.readU16();
    if (ar.endOfFile())
        return DocOutcome::failure(kMsgUnexpectedFileFormat, MessageIcon::Exclamation);
    if (m0 != 0x54 || m1 != 0x51 || word != kTqFileMagicWord)
        return DocOutcome::failure(kMsgUnknownFileFormat, MessageIcon::Stop);
    const std::uint16_t version = ar.readU16();
    if (ar.endOfFile())
        return DocOutcome::failure(kMsgUnexpectedFileFormat, MessageIcon::Exclamation);
    if (version < kTqFileOldestVersion)
        return DocOutcome::failure(kMsgOldFileVersion, MessageIcon::Exclamation);

    // Everything goes into a copy first: a file that ends early changes
    // nothing.
    ParameterSet staged = *this;
    staged.notes = ar.readString();
    ioScalars(ar, staged);
    bool selectionsValid = ioSlot(ar, staged.sensor1);
    selectionsValid = ioSlot(ar, staged.sensor2) && selectionsValid;
    selectionsValid = ioSlot(ar, staged.sensor3) && selectionsValid;
    selectionsValid = ioSlot(ar, staged.sensor4) && selectionsValid;

    // The graph block sits between the sensors and aux96. A file saved
    // without it ends right after the sensors (plus aux96 from version 7);
    // a block is read over even when nothing here can hold it, so that aux96
    // is found in its place.
    const std::size_t tail = version >= 7 ? 4 : 0;
    RuntimeBlock block;
    if (!ar.endOfFile() && ar.remaining() != tail)
        block = ReadRuntimeBlock(ar);
    if (version >= 7)
        staged.aux96 = ar.readU32();

    if (ar.endOfFile() || !selectionsValid)
        return DocOutcome::failure(kMsgUnexpectedFileFormat, MessageIcon::Exclamation);

    static_cast<ParameterSet&>(*this) = std::move(staged);
    fileVersion_ = version;
    if (block.tagMatched)
        if (RuntimeBlockOwner* owner = blockOwner(*this))
            owner->applyRuntimeBlock(block);
    return DocOutcome::success();
}
