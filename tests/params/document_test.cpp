// The document's life cycle: defaults, new, open, save, revert.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "params/calibration_clipboard.h"
#include "params/parameter_fields.h"
#include "params/tq_interface_doc.h"
#include "test_support.h"

namespace {

// Changes every scalar, the notes, every selection and every record.
void changeEverything(ParameterSet& p) {
    p.notes = "bench 4, cold plate";
    int i = 1;
    for (const ParameterField& f : ParameterFields()) {
        if (f.isFloat())
            p.*std::get<float ParameterSet::*>(f.member) = 1000.5f + static_cast<float>(i);
        else
            p.*std::get<std::uint32_t ParameterSet::*>(f.member) = 0xA0000000u + i;
        ++i;
    }
    p.sensor1.select = 31;
    p.sensor2.select = 30;
    p.sensor3.select = 29;
    p.sensor4.select = 28;
    for (int r = 0; r < kSensorRecordCount; ++r) {
        SensorCalibrationEx& a = p.sensor1.records[r];
        a.setName("s1-" + std::to_string(r));
        a.type = 0x100 + r;
        a.potGain = 200 + r;
        a.potOffset = 300 + r;
        a.gain = 1.5f + r;
        a.offset = -2.5f - r;
        for (int k = 0; k < 6; ++k)
            a.d[k] = 10.25f * (k + 1) + r;
        for (auto* slot : {&p.sensor2, &p.sensor3, &p.sensor4}) {
            SensorCalibration& b = slot->records[r];
            b.setName("plain-" + std::to_string(r) + "-" + std::to_string(slot->select));
            b.type = 0x200 + r + slot->select;
            b.gain = 3.5f + r;
            b.offset = 4.5f + slot->select;
            for (int k = 0; k < 6; ++k)
                b.d[k] = -1.125f * (k + 1) - r - slot->select;
        }
    }
}

bool sameParameters(const ParameterSet& a, const ParameterSet& b) {
    if (a.notes != b.notes)
        return false;
    for (const ParameterField& f : ParameterFields()) {
        const bool same = std::visit([&](auto m) { return a.*m == b.*m; }, f.member);
        if (!same)
            return false;
    }
    auto sameSlot = [](const auto& x, const auto& y) {
        return x.select == y.select &&
               std::memcmp(x.records.data(), y.records.data(), sizeof x.records) == 0;
    };
    return sameSlot(a.sensor1, b.sensor1) && sameSlot(a.sensor2, b.sensor2) &&
           sameSlot(a.sensor3, b.sensor3) && sameSlot(a.sensor4, b.sensor4);
}

ParameterSet defaults() {
    ParameterSet p;
    p.ApplyDefaults();
    return p;
}

}  // namespace

TEST(ParameterDefaults, FreshDocument) {
    CTQ_InterfaceDoc doc;
    EXPECT_EQ(doc.st1, 20.0f);
    EXPECT_EQ(doc.regulatorFlags & kRegulatorModeMask, 0u);
    EXPECT_EQ(doc.fan1Mode, 0u);
    EXPECT_EQ(doc.fan2HighVoltage, 48.0f);
    EXPECT_EQ(doc.aux32, 1.0f);
    EXPECT_EQ(doc.iOutUnder, 0.1f);
    EXPECT_EQ(doc.t1Low, -40.0f);
    EXPECT_EQ(doc.alarmEnable1, 351u);
    EXPECT_EQ(doc.alarmEnable2, 67u);
    EXPECT_EQ(doc.aux96, 65532u);
    EXPECT_EQ(doc.loopHighCount, 300u);
    EXPECT_EQ(doc.loopLowCount, 200u);
    EXPECT_EQ(LoopSamplesToSeconds(doc.loopHighCount, doc.ts), 15.0f);
    EXPECT_EQ(doc.sensor1.select, 1u);
    EXPECT_EQ(doc.sensor2.select, 1u);
    EXPECT_EQ(doc.sensor3.select, 1u);
    EXPECT_EQ(doc.sensor4.select, 3u);
    EXPECT_EQ(doc.sensor4.selected().nameText(), "REL-09060");
    EXPECT_EQ(doc.sensor1.records[4].potGain, 10u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "Untitled");
    EXPECT_EQ(ParameterFields().size(), 59u);
}

TEST(ParameterDefaults, LoopDurationInSamples) {
    EXPECT_EQ(LoopSecondsToSamples(14.99f, 0.05f), 299u);
    EXPECT_EQ(LoopSecondsToSamples(15.0f, 0.05f), 300u);
    EXPECT_EQ(LoopSecondsToSamples(10.0f, 0.05f), 200u);
    EXPECT_EQ(LoopSecondsToSamples(-1.0f, 0.05f), 0u);
    EXPECT_EQ(LoopSecondsToSamples(1.0f, 0.0f), 4294967295u);
    EXPECT_EQ(LoopSecondsToSamples(0.0f, 0.0f), 0u);  // 0/0
}

TEST(DocumentFiles, SaveAndOpenRoundTripEveryField) {
    ScratchDir dir;
    const std::string path = dir.file("bench.tq");
    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    changeEverything(doc);
    for (int c = 0; c < kGraphChannelCount; ++c)
        view.table[c] = GraphChannelSetting{c % 3 == 0, -1.0f - c, 2.0f + c};
    doc.SetModifiedFlag(true);
    const int updatesBefore = view.updates;
    ASSERT_TRUE(doc.SaveAs(path).ok);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "bench.tq");
    EXPECT_GT(view.updates, updatesBefore);

    CTQ_InterfaceDoc other;
    TableView otherView;
    other.AddView(&otherView);
    other.SetModifiedFlag(true);
    ASSERT_TRUE(other.OnOpenDocument(path).ok);
    EXPECT_TRUE(sameParameters(other, doc));
    EXPECT_EQ(otherView.table, view.table);
    EXPECT_FALSE(other.IsModified());
    EXPECT_EQ(other.GetPathName(), path);

    // Save writes the same bytes again and leaves no temporary file behind.
    const auto first = readBytes(path);
    ASSERT_TRUE(other.Save().ok);
    EXPECT_EQ(readBytes(path), first);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(DocumentFiles, FailedOpenKeepsTheDocument) {
    ScratchDir dir;
    CTQ_InterfaceDoc doc;
    ASSERT_TRUE(doc.SaveAs(dir.file("kept.tq")).ok);
    doc.st1 = 12.0f;
    doc.SetModifiedFlag(true);

    writeBytes(dir.file("old.tq"), {0x54, 0x51, 0x22, 0x11, 0x05, 0x00, 0});
    DocOutcome out = doc.OnOpenDocument(dir.file("old.tq"));
    EXPECT_EQ(out.message, "Error - Unkown or old file version number");
    EXPECT_EQ(doc.GetPathName(), dir.file("kept.tq"));
    EXPECT_EQ(doc.GetTitle(), "kept.tq");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.st1, 12.0f);

    writeBytes(dir.file("swapped.tq"), {0x51, 0x54, 0x22, 0x11, 0x07, 0x00});
    EXPECT_EQ(doc.OnOpenDocument(dir.file("swapped.tq")).message, "Error - Unkown file format.");
    out = doc.OnOpenDocument(dir.file("missing.tq"));
    EXPECT_FALSE(out.ok);
    EXPECT_NE(out.message.find("missing.tq"), std::string::npos);
    EXPECT_EQ(doc.GetTitle(), "kept.tq");
}

TEST(DocumentFiles, FailedSaveLeavesThePreviousFile) {
    ScratchDir dir;
    CTQ_InterfaceDoc doc;
    ASSERT_TRUE(doc.SaveAs(dir.file("a.tq")).ok);
    chmod(dir.file("a.tq").c_str(), 0640);
    doc.st1 = 1.0f;
    ASSERT_TRUE(doc.Save().ok);
    struct stat st;
    ASSERT_EQ(stat(dir.file("a.tq").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // permissions survive the replacement

    doc.SetModifiedFlag(true);
    const DocOutcome out = doc.SaveAs(dir.file("no-such-dir/b.tq"));
    EXPECT_FALSE(out.ok);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), dir.file("a.tq"));

    CTQ_InterfaceDoc unnamed;
    EXPECT_FALSE(unnamed.Save().ok);
}

TEST(DocumentCommands, NewResetsValuesAndChannelTable) {
    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    changeEverything(doc);
    view.table[0].enabled = false;
    doc.SetPathName("/tmp/x.tq");
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(doc.OnNewDocument().ok);
    EXPECT_TRUE(sameParameters(doc, defaults()));
    EXPECT_EQ(view.table, ChannelTable());
    EXPECT_EQ(view.resets, 1);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_EQ(doc.GetTitle(), "Untitled");
}

TEST(DocumentCommands, RevertUnnamedGivesDefaultsAndModified) {
    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    changeEverything(doc);
    view.table[2].max = 3.0f;
    ASSERT_TRUE(doc.RevertToDefault().ok);
    EXPECT_TRUE(sameParameters(doc, defaults()));
    EXPECT_EQ(view.table, ChannelTable());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_GE(view.updates, 1);
}

TEST(DocumentCommands, RevertNamedReloadsTheFile) {
    ScratchDir dir;
    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    doc.st1 = 42.0f;
    view.table[4].enabled = true;
    ASSERT_TRUE(doc.SaveAs(dir.file("saved.tq")).ok);

    doc.st1 = 1.0f;
    doc.sensor2.select = 0;
    view.table[4].enabled = false;
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(doc.RevertToDefault().ok);
    EXPECT_EQ(doc.st1, 42.0f);
    EXPECT_EQ(doc.sensor2.select, 1u);
    EXPECT_TRUE(view.table[4].enabled);
    EXPECT_FALSE(doc.IsModified());

    // The file has gone: defaults, and the document counts as modified.
    std::filesystem::remove(dir.file("saved.tq"));
    EXPECT_FALSE(doc.RevertToDefault().ok);
    EXPECT_EQ(doc.st1, 20.0f);
    EXPECT_TRUE(doc.IsModified());
}

TEST(CalibrationClipboard, CopyBetweenSlots) {
    CTQ_InterfaceDoc doc;
    CalibrationClipboard clip;
    EXPECT_EQ(clip.record().nameText(), "Unkown");

    doc.sensor2.select = 4;  // PT100
    doc.sensor1.select = 2;
    EXPECT_EQ(CalibrationClipboard::pasteQuestion(doc, 1),
              "Would you like to replace sensor data 2 with new data?");
    ASSERT_TRUE(clip.copy(doc, 2));
    ASSERT_TRUE(clip.paste(doc, 1));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.sensor1.records[2].nameText(), "PT100");
    EXPECT_EQ(doc.sensor1.records[2].type, kSensorTypePt);
    EXPECT_EQ(doc.sensor1.records[2].potGain, 10u);
    EXPECT_EQ(doc.sensor1.records[2].potOffset, 128u);

    doc.sensor1.records[2].potGain = 99;
    doc.sensor1.records[2].gain = 7.0f;
    doc.sensor3.select = 20;
    ASSERT_TRUE(clip.copy(doc, 1));
    EXPECT_EQ(clip.record().potGain, 99u);
    ASSERT_TRUE(clip.paste(doc, 3));
    EXPECT_EQ(doc.sensor3.records[20].nameText(), "PT100");
    EXPECT_EQ(doc.sensor3.records[20].gain, 7.0f);
    EXPECT_EQ(doc.sensor3.records[19].nameText(), "Unkown 20");

    EXPECT_FALSE(clip.copy(doc, 0));
    EXPECT_FALSE(clip.paste(doc, 5));
}
