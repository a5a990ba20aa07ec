// Golden bytes and version rules of the ".tq" parameter file.
#include <gtest/gtest.h>

#include "params/archive.h"
#include "params/tq_interface_doc.h"
#include "test_support.h"

namespace {

std::vector<std::uint8_t> savedBytes(CTQ_InterfaceDoc& doc) {
    Archive ar;
    EXPECT_TRUE(doc.Serialize(ar).ok);
    return ar.bytes();
}

DocOutcome loadBytes(TQFile1& doc, const std::vector<std::uint8_t>& bytes) {
    Archive ar{std::span<const std::uint8_t>(bytes)};
    return doc.Serialize(ar);
}

// Offset of sensor 1's first record name in a default file.
constexpr std::size_t kSensor1Records = 6 + 27 + 232 + 4;

}  // namespace

TEST(TqFileLayout, DefaultDocumentLengthAndHeader) {
    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    const auto withBlock = savedBytes(doc);
    EXPECT_EQ(withBlock.size(), 6559u);
    const std::vector<std::uint8_t> head = {0x54, 0x51, 0x22, 0x11, 0x07, 0x00, 26, 'E'};
    EXPECT_EQ(std::vector<std::uint8_t>(withBlock.begin(), withBlock.begin() + 8), head);
    EXPECT_EQ(std::string(withBlock.begin() + 7, withBlock.begin() + 33),
              "Enter user comment here...");
    // st1 = 20.0f right after the notes.
    EXPECT_EQ(std::vector<std::uint8_t>(withBlock.begin() + 33, withBlock.begin() + 37),
              (std::vector<std::uint8_t>{0x00, 0x00, 0xA0, 0x41}));
    // The block just before aux96 (FC FF 00 00), which is last.
    const std::size_t block = withBlock.size() - 4 - 190;
    EXPECT_EQ(withBlock[block], 14);
    EXPECT_EQ(std::string(withBlock.begin() + block + 1, withBlock.begin() + block + 15),
              "RuntimeData_v1");
    EXPECT_EQ(withBlock[block + 15], 19);
    EXPECT_EQ(withBlock[block + 19 + 8], 1);   // Main enabled
    EXPECT_EQ(withBlock[block + 19 + 17], 0);  // T1 disabled
    EXPECT_EQ(std::vector<std::uint8_t>(withBlock.end() - 4, withBlock.end()),
              (std::vector<std::uint8_t>{0xFC, 0xFF, 0x00, 0x00}));

    view.pagePresent = false;
    EXPECT_EQ(savedBytes(doc).size(), 6369u);
}

TEST(TqFileLayout, RecordNamePrefixes) {
    CTQ_InterfaceDoc doc;
    doc.sensor1.records[0].setName(std::string(254, 'x'));
    auto bytes = savedBytes(doc);
    EXPECT_EQ(bytes[kSensor1Records], 0xFE);
    EXPECT_EQ(bytes.size(), 6369u + 254 - 6);

    doc.sensor1.records[0].setName(std::string(255, 'x'));
    bytes = savedBytes(doc);
    EXPECT_EQ(bytes[kSensor1Records], 0xFF);
    EXPECT_EQ(bytes[kSensor1Records + 1], 0xFF);
    EXPECT_EQ(bytes[kSensor1Records + 2], 0x00);

    CTQ_InterfaceDoc copy;
    ASSERT_TRUE(loadBytes(copy, bytes).ok);
    EXPECT_EQ(copy.sensor1.records[0].nameText(), std::string(255, 'x'));
}

TEST(TqFileLayout, OverlongLoadedNameIsCut) {
    CTQ_InterfaceDoc doc;
    doc.notes = std::string(300, 'n');
    auto bytes = savedBytes(doc);
    // Move the long text from the notes into record 0's name: swap the two
    // strings' encodings in place.
    const std::vector<std::uint8_t> notes(bytes.begin() + 6, bytes.begin() + 6 + 303);
    const std::size_t nameAt = 6 + 303 + 232 + 4;
    ASSERT_EQ(bytes[nameAt], 6);  // "Preset"
    std::vector<std::uint8_t> edited(bytes.begin(), bytes.begin() + 6);
    edited.insert(edited.end(), {1, 'N'});
    edited.insert(edited.end(), bytes.begin() + 6 + 303, bytes.begin() + nameAt);
    edited.insert(edited.end(), notes.begin(), notes.end());
    edited.insert(edited.end(), bytes.begin() + nameAt + 7, bytes.end());

    CTQ_InterfaceDoc copy;
    ASSERT_TRUE(loadBytes(copy, edited).ok);
    EXPECT_EQ(copy.notes, "N");
    EXPECT_EQ(copy.sensor1.records[0].nameText(), std::string(255, 'n'));
    EXPECT_EQ(copy.sensor1.records[1].nameText(), "TC-NTC-1");
}

TEST(TqFileVersions, RefusedHeadersChangeNothing) {
    CTQ_InterfaceDoc source;
    auto bytes = savedBytes(source);

    CTQ_InterfaceDoc doc;
    doc.st1 = 33.0f;
    bytes[4] = 5;
    DocOutcome out = loadBytes(doc, bytes);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.message, "Error - Unkown or old file version number");
    EXPECT_EQ(out.icon, MessageIcon::Exclamation);
    EXPECT_EQ(doc.st1, 33.0f);

    bytes[4] = 7;
    std::swap(bytes[0], bytes[1]);
    out = loadBytes(doc, bytes);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.message, "Error - Unkown file format.");
    EXPECT_EQ(out.icon, MessageIcon::Stop);
    EXPECT_EQ(doc.st1, 33.0f);

    std::swap(bytes[0], bytes[1]);
    bytes[2] = 0x23;
    EXPECT_EQ(loadBytes(doc, bytes).message, "Error - Unkown file format.");
}

TEST(TqFileVersions, Version6HasNoAux96AndLaterVersionsReadAs7) {
    CTQ_InterfaceDoc source;
    source.aux96 = 0x12345678;
    source.st2 = 9.5f;
    auto bytes = savedBytes(source);
    bytes[4] = 6;
    bytes.resize(bytes.size() - 4);  // a version-6 file ends after the sensors

    CTQ_InterfaceDoc doc;
    doc.aux96 = 77;
    ASSERT_TRUE(loadBytes(doc, bytes).ok);
    EXPECT_EQ(doc.aux96, 77u);
    EXPECT_EQ(doc.st2, 9.5f);
    EXPECT_EQ(doc.fileVersion(), 6);

    bytes = savedBytes(source);
    bytes[4] = 9;
    ASSERT_TRUE(loadBytes(doc, bytes).ok);
    EXPECT_EQ(doc.aux96, 0x12345678u);
    EXPECT_EQ(doc.fileVersion(), 9);
}

TEST(TqFileBlock, CountRulesAndMissingBlock) {
    CTQ_InterfaceDoc source;
    TableView sourceView;
    source.AddView(&sourceView);
    sourceView.table[3].max = 55.0f;
    sourceView.table[3].enabled = true;
    const auto bytes = savedBytes(source);

    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    ASSERT_TRUE(loadBytes(doc, bytes).ok);
    EXPECT_EQ(view.table, sourceView.table);

    // 25 entries: read over, table unchanged, aux96 still found.
    const std::size_t block = bytes.size() - 4 - 190;
    std::vector<std::uint8_t> big(bytes.begin(), bytes.begin() + block + 15);
    big.insert(big.end(), {25, 0, 0, 0});
    for (int i = 0; i < 25; ++i)
        big.insert(big.end(), {0, 0, 0x20, 0x41, 0, 0, 0x20, 0x41, 1});  // 10, 10, on
    big.insert(big.end(), {0x01, 0x02, 0x03, 0x04});
    view.table.reset();
    ASSERT_TRUE(loadBytes(doc, big).ok);
    EXPECT_EQ(view.table, ChannelTable());
    EXPECT_EQ(doc.aux96, 0x04030201u);

    // 2 entries: channels 0 and 1 change, the rest keep their values.
    std::vector<std::uint8_t> small(bytes.begin(), bytes.begin() + block + 15);
    small.insert(small.end(), {2, 0, 0, 0});
    small.insert(small.end(), {0, 0, 0x20, 0x41, 0, 0, 0xA0, 0x41, 0});  // 10, 20, off
    small.insert(small.end(), {0, 0, 0x20, 0x41, 0, 0, 0xA0, 0x41, 7});  // 10, 20, on
    small.insert(small.end(), {0xFC, 0xFF, 0, 0});
    view.table[5].min = -3.0f;
    ASSERT_TRUE(loadBytes(doc, small).ok);
    EXPECT_FALSE(view.table[0].enabled);
    EXPECT_EQ(view.table[0].max, 20.0f);
    EXPECT_TRUE(view.table[1].enabled);
    EXPECT_EQ(view.table[1].min, 10.0f);
    EXPECT_EQ(view.table[5].min, -3.0f);

    // A file saved without the block keeps the table and reads aux96.
    CTQ_InterfaceDoc plain;
    plain.aux96 = 5;
    const auto noBlock = savedBytes(plain);
    ASSERT_EQ(noBlock.size(), 6369u);
    const ChannelTable before = view.table;
    ASSERT_TRUE(loadBytes(doc, noBlock).ok);
    EXPECT_EQ(view.table, before);
    EXPECT_EQ(doc.aux96, 5u);

    // Without a Runtime page the block is read over, not taken for aux96.
    CTQ_InterfaceDoc headless;
    ASSERT_TRUE(loadBytes(headless, bytes).ok);
    EXPECT_EQ(headless.aux96, 0xFFFCu);
}

TEST(TqFileLoad, TruncatedFilesChangeNothing) {
    CTQ_InterfaceDoc source;
    TableView sourceView;
    source.AddView(&sourceView);
    source.st1 = 31.0f;
    source.sensor4.select = 9;
    sourceView.table[0].min = -7.0f;
    const auto bytes = savedBytes(source);

    // (A cut at 6369 leaves exactly what a file without the block holds.)
    for (std::size_t cut :
         {0u, 3u, 5u, 6u, 20u, 40u, 300u, 2000u, 6364u, 6370u, 6500u, 6555u, 6558u}) {
        CTQ_InterfaceDoc doc;
        TableView view;
        doc.AddView(&view);
        const std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + cut);
        const DocOutcome out = loadBytes(doc, part);
        EXPECT_FALSE(out.ok) << cut;
        EXPECT_EQ(out.message, "Unexpected file format.") << cut;
        EXPECT_EQ(doc.st1, 20.0f) << cut;
        EXPECT_EQ(doc.sensor4.select, 3u) << cut;
        EXPECT_EQ(view.table, ChannelTable()) << cut;
    }
}

TEST(TqFileLoad, SelectionOutsideTheLibraryIsRefused) {
    CTQ_InterfaceDoc source;
    source.sensor3.select = 32;
    const auto bytes = savedBytes(source);
    CTQ_InterfaceDoc doc;
    EXPECT_EQ(loadBytes(doc, bytes).message, "Unexpected file format.");
    EXPECT_EQ(doc.sensor3.select, 1u);
}

TEST(TqFileLoad, DamagedFilesLoadCompletelyOrNotAtAll) {
    CTQ_InterfaceDoc source;
    TableView sourceView;
    source.AddView(&sourceView);
    const auto bytes = savedBytes(source);

    // Deterministic damage: single bytes set to values that upset prefixes
    // and counts, at positions spread over the whole file.
    const std::uint8_t values[] = {0x00, 0x7F, 0xFE, 0xFF};
    for (std::size_t at = 6; at < bytes.size(); at += 37) {
        for (std::uint8_t v : values) {
            std::vector<std::uint8_t> damaged = bytes;
            damaged[at] = v;
            CTQ_InterfaceDoc doc;
            TableView view;
            doc.AddView(&view);
            doc.st1 = -1.0f;
            const DocOutcome out = loadBytes(doc, damaged);
            if (out.ok) {
                EXPECT_LT(doc.sensor1.select, 32u);
            } else {
                EXPECT_EQ(out.message, "Unexpected file format.") << at;
                EXPECT_EQ(doc.st1, -1.0f) << at;
                EXPECT_EQ(view.table, ChannelTable()) << at;
            }
        }
    }
}

TEST(DocumentNames, DefaultExtension) {
    EXPECT_EQ(WithDefaultExtension("/data/bench"), "/data/bench.tq");
    EXPECT_EQ(WithDefaultExtension("/data/bench.tq"), "/data/bench.tq");
    EXPECT_EQ(WithDefaultExtension("/data.v2/bench"), "/data.v2/bench.tq");
    EXPECT_EQ(WithDefaultExtension("/data/.hidden"), "/data/.hidden.tq");
}
