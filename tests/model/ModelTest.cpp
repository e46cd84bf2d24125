#include "common/Bytes.h"
#include "common/Cp1251.h"
#include "common/Language.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsModel.h"

#include <gtest/gtest.h>

#include <numeric>

namespace tc {
namespace {

// An image with a directory that places section k at the given device
// address with the given payload length; every other entry is empty.
std::vector<std::uint8_t> ImageWithSection(int k, std::uint16_t address, std::uint16_t payload, std::size_t imageSize = 8128)
{
    std::vector<std::uint8_t> image(imageSize, 0);
    image[0] = 11;
    image[1] = 3;
    PutU16(image, 4 * k, address);
    PutU16(image, 4 * k + 2, static_cast<std::uint16_t>(payload + 4));
    return image;
}

void FillPattern(std::vector<std::uint8_t>& image, std::uint8_t seed)
{
    for (std::size_t i = 60; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(seed + i * 7);
}

TEST(Colours, PackingFollowsTheDeviceLayout)
{
    EXPECT_EQ(PackColour({31, 31, 31}), 0xFFFF);
    EXPECT_EQ(PackColour({0, 1, 0}), 0x0060);
    EXPECT_EQ(PackColour({0, 2, 0}), 0x0080);
    EXPECT_EQ(PackColour({1, 0, 0}), 0x0800);
    EXPECT_EQ(PackColour({0, 0, 1}), 0x0001);
    for (std::uint8_t r = 0; r < 32; r += 5)
        for (std::uint8_t g = 0; g < 32; g += 3)
            for (std::uint8_t b = 0; b < 32; b += 7)
                EXPECT_EQ(UnpackColour(PackColour({r, g, b})), (Rgb5{r, g, b}));
}

TEST(Colours, DefaultSchemesDependOnTheHybridDrive)
{
    SettingsModel model;
    const auto& day = model.ColourScheme(0);
    const auto& night = model.ColourScheme(1);
    EXPECT_EQ(GetU16(day, 2), PackColour({0, 9, 9}));
    EXPECT_EQ(GetU16(night, 2), PackColour({3, 12, 12}));
    EXPECT_EQ(GetU16(night, 30), PackColour({13, 13, 22}));
    EXPECT_EQ((std::vector<std::uint8_t>(day.begin() + 32, day.begin() + 40)), (std::vector<std::uint8_t>{15, 4, 11, 12, 15, 15, 9, 10}));
    EXPECT_EQ(day[55], 10);
    EXPECT_EQ(night[55], 0);

    model.ResetColourSchemes(true);
    EXPECT_EQ(GetU16(model.ColourScheme(1), 16), PackColour({5, 1, 0}));
    EXPECT_EQ(GetU16(model.ColourScheme(1), 22), PackColour({21, 21, 21}));
    EXPECT_EQ((std::vector<std::uint8_t>(model.ColourScheme(0).begin() + 32, model.ColourScheme(0).begin() + 40)),
              (std::vector<std::uint8_t>{10, 4, 11, 12, 14, 14, 7, 11}));
    EXPECT_EQ((std::vector<std::uint8_t>(model.ColourScheme(1).begin() + 32, model.ColourScheme(1).begin() + 40)),
              (std::vector<std::uint8_t>{7, 0, 11, 0, 0, 15, 1, 12}));
    EXPECT_EQ(model.ColourScheme(0)[55], 10); // unchanged by the hybrid variant
}

TEST(Records, LieOneAfterAnotherWithTheirFixedSizes)
{
    EXPECT_EQ(RecordOffset(1), 0u);
    EXPECT_EQ(RecordOffset(7), 164u + 28 + 64 + 420 + 128 + 88);
    SettingsModel model;
    std::size_t total = 0;
    for (int k = 1; k <= 11; ++k)
        total += model.Record(k).size();
    EXPECT_EQ(total, kRecordsTotalSize);
    EXPECT_EQ(model.Record(11).size(), 664u);
    EXPECT_THROW(model.Record(0), std::out_of_range);
    EXPECT_THROW(model.Record(12), std::out_of_range);
}

TEST(Records, CreationSetsTheDefaults)
{
    SettingsModel model;
    EXPECT_EQ(model.DeviceModelCode, 0xC000);
    EXPECT_EQ(model.FormatVersion(), 0);
    EXPECT_EQ(model.Record(1)[153], 255);
    EXPECT_EQ(model.Record(1)[158], 255);
    const auto r3 = model.Record(3);
    EXPECT_EQ(GetU16(r3, 0), 1000);
    EXPECT_EQ(GetU16(r3, 6), 43);
    EXPECT_EQ(GetU16(r3, 8 + 2 * 6), 600);
    EXPECT_EQ(GetU16(r3, 22 + 2 * 6), 36);
    EXPECT_EQ(r3[36], 7);
    EXPECT_EQ(GetU16(r3, 56), 50);
    const auto r4 = model.Record(4);
    EXPECT_EQ(r4[2], 15);
    EXPECT_EQ(r4[8 + 14], 16 + 42);
    EXPECT_EQ(GetU16(r4, 144 + 28), 700);
    EXPECT_EQ(GetU16(r4, 144 + 30), 0); // only 15 points
    const auto r5 = model.Record(5);
    EXPECT_EQ(r5[1], 45);
    EXPECT_EQ(GetU32(r5, 12), 4392u);
    EXPECT_EQ(Cp1251ToUtf8(std::string(r5.begin() + 68, r5.begin() + 82)), "Замена рем.ГРМ");
    EXPECT_EQ(r5[82], 0);
    EXPECT_EQ(GetU16(r5, 114), 90);
    const auto r6 = model.Record(6);
    EXPECT_EQ(GetU32(r6, 0), 0x400u);
    EXPECT_EQ(GetU16(r6, 22), 20);
    EXPECT_EQ(GetU16(r6, 28), 165);
    EXPECT_EQ(r6[34], 120);
    EXPECT_EQ(GetF32(r6, 64), 1.0f);
    EXPECT_EQ(r6[73], 1);
    EXPECT_EQ(GetU16(model.Record(7), 4), 30);
    const auto r9 = model.Record(9);
    EXPECT_EQ(r9[12], 4);
    EXPECT_EQ(r9[35], 21);
    EXPECT_EQ(r9[36], 12);
    EXPECT_EQ(r9[74], 25);
    EXPECT_EQ(r9[195], 1);
    EXPECT_EQ(GetU32(r9, 288), 0xFFFFFFFFu);
    EXPECT_EQ(GetU16(r9, 304), 8);
    EXPECT_TRUE(std::equal(model.ColourScheme(1).begin(), model.ColourScheme(1).end(), r9.begin() + 136));
    EXPECT_EQ(GetU16(model.Record(10), 4), 0);
}

TEST(Records, MaintenanceNamesFollowTheLanguageOfCreation)
{
    SettingsModel model(Language::English);
    EXPECT_EQ(std::string(model.Record(5).begin() + 84, model.Record(5).begin() + 98), "Spark pl.repl.");
}

TEST(Sections, ShortPayloadDecodesItsBytesAndEncodesOnlyThem)
{
    // Record 6 has 88 bytes; its section carries 80.
    auto image = ImageWithSection(6, 132, 80);
    FillPattern(image, 1);
    SettingsModel model;
    const auto before = std::vector<std::uint8_t>(model.Record(6).begin(), model.Record(6).end());
    model.Image = image;
    EXPECT_EQ(model.DecodeSection(6), SectionStatus::Ok);
    const auto r6 = model.Record(6);
    EXPECT_TRUE(std::equal(r6.begin(), r6.begin() + 80, image.begin() + 100));
    EXPECT_TRUE(std::equal(r6.begin() + 80, r6.end(), before.begin() + 80)); // the rest keeps its values

    for (auto& b : r6)
        b = static_cast<std::uint8_t>(b ^ 0x5A);
    EXPECT_EQ(model.EncodeSection(6), SectionStatus::Ok);
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (i >= 100 && i < 180)
            EXPECT_EQ(model.Image[i], image[i] ^ 0x5A) << i;
        else
            EXPECT_EQ(model.Image[i], image[i]) << "byte outside the section changed at " << i;
    }
}

TEST(Sections, LongPayloadNeverSpillsIntoTheNextRecord)
{
    auto image = ImageWithSection(2, 160, 100); // record 2 holds 28 bytes
    FillPattern(image, 9);
    SettingsModel model;
    const auto record3 = std::vector<std::uint8_t>(model.Record(3).begin(), model.Record(3).end());
    model.Image = image;
    EXPECT_EQ(model.DecodeSection(2), SectionStatus::Truncated);
    EXPECT_TRUE(std::equal(model.Record(2).begin(), model.Record(2).end(), image.begin() + 128));
    EXPECT_TRUE(std::equal(record3.begin(), record3.end(), model.Record(3).begin()));
    // Encoding writes the record's 28 bytes and leaves the rest of the payload as it was.
    model.Record(2)[27] = 0xEE;
    model.EncodeSection(2);
    EXPECT_EQ(model.Image[128 + 27], 0xEE);
    EXPECT_TRUE(std::equal(model.Image.begin() + 128 + 28, model.Image.begin() + 228, image.begin() + 128 + 28));
}

TEST(Sections, UnusableEntriesLeaveRecordAndImageAlone)
{
    struct Case {
        std::uint16_t address;
        std::uint16_t deviceLength;
        const char* why;
    };
    const Case cases[] = {
        {0, 20, "in block 0"},
        {31, 20, "starts in block 0"},
        {4090, 20, "runs into block 128"},
        {4100, 20, "inside block 128"},
        {8180, 20, "runs past the memory"},
        {200, 3, "device length below 4"},
        {200, 0, "empty entry"},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> image(8128, 0x33);
        image[0] = 11;
        PutU16(image, 4 * 3, c.address);
        PutU16(image, 4 * 3 + 2, c.deviceLength);
        SettingsModel model;
        model.Image = image;
        const auto record = std::vector<std::uint8_t>(model.Record(3).begin(), model.Record(3).end());
        EXPECT_EQ(model.DecodeSection(3), SectionStatus::Invalid) << c.why;
        EXPECT_EQ(model.EncodeSection(3), SectionStatus::Invalid) << c.why;
        EXPECT_TRUE(std::equal(record.begin(), record.end(), model.Record(3).begin())) << c.why;
        EXPECT_EQ(model.Image, image) << c.why;
    }
}

TEST(Sections, SecondHalfOfTheMemoryIsAddressedWhereTheReadPutIt)
{
    // Device address 5000 is read into image offset 5000 - 64.
    auto image = ImageWithSection(8, 5000, 40);
    FillPattern(image, 3);
    SettingsModel model;
    model.Image = image;
    EXPECT_EQ(model.DecodeSection(8), SectionStatus::Ok);
    EXPECT_TRUE(std::equal(model.Record(8).begin(), model.Record(8).end(), image.begin() + 4936));
    std::size_t offset = 0;
    EXPECT_TRUE(ImageOffsetOfAddress(4128, offset));
    EXPECT_EQ(offset, 4064u);
    EXPECT_TRUE(ImageOffsetOfAddress(4095, offset));
    EXPECT_EQ(offset, 4063u);
    EXPECT_FALSE(ImageOffsetOfAddress(4127, offset));
    EXPECT_FALSE(ImageOffsetOfAddress(8192, offset));
}

TEST(Sections, ImageEndingInsideASectionDecodesWhatItHolds)
{
    auto image = ImageWithSection(4, 200, 420, 300); // the image ends 132 bytes into the section
    FillPattern(image, 5);
    SettingsModel model;
    const auto before = std::vector<std::uint8_t>(model.Record(4).begin(), model.Record(4).end());
    model.Image = image;
    EXPECT_EQ(model.DecodeSection(4), SectionStatus::Short);
    EXPECT_TRUE(std::equal(image.begin() + 168, image.end(), model.Record(4).begin()));
    EXPECT_TRUE(std::equal(before.begin() + 132, before.end(), model.Record(4).begin() + 132));
    // Encoding extends the image to the end of the section.
    model.EncodeSection(4);
    EXPECT_EQ(model.Image.size(), 168u + 420);
}

TEST(Sections, DecodeAllNamesEverySectionItCouldNotRead)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    EXPECT_TRUE(model.DecodeAll(Language::English).empty());
    PutU16(model.Image, 4 * 5 + 2, 2); // section 5: device length 2
    model.Image.resize(2000);           // sections 9 and up lie (partly) beyond the image
    const auto problems = model.DecodeAll(Language::English);
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_NE(problems[0].find("section 5 is described wrongly"), std::string::npos);
    EXPECT_NE(problems[1].find("section 9 is cut short"), std::string::npos);
}

TEST(Sections, DirectoryProblemNamesTheFirstFault)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    EXPECT_EQ(model.DirectoryProblem(Language::English), "");
    model.Image[0] = 0;
    EXPECT_NE(model.DirectoryProblem(Language::English).find("Wrong number of sections"), std::string::npos);
    model.Image[0] = 15;
    EXPECT_NE(model.DirectoryProblem(Language::English).find("Wrong number of sections"), std::string::npos);
    model.Image[0] = 11;
    PutU16(model.Image, 4 * 7, 4100); // section 7 inside block 128
    EXPECT_NE(model.DirectoryProblem(Language::English).find("Section 7 is described wrongly"), std::string::npos);
    PutU16(model.Image, 4 * 7, 32 + 59); // section 7 over the directory's last byte
    EXPECT_NE(model.DirectoryProblem(Language::English).find("Section 7 is described wrongly"), std::string::npos);
    PutU16(model.Image, 4 * 7, 32 + 60); // right behind it
    EXPECT_EQ(model.DirectoryProblem(Language::English).find("Section 7"), std::string::npos);
    model.Image.resize(59);
    EXPECT_NE(model.DirectoryProblem(Language::English).find("shorter than its section directory"), std::string::npos);
}

TEST(Sections, EncodingNeverRewritesTheDirectory)
{
    // An image shorter than its directory reads the missing entries as zero;
    // the first sections encoded grow the image, and the entries then read
    // from their bytes must not place a later section over the directory.
    const std::vector<std::uint8_t> image = {0x03, 0x3F, 0x5B, 0xF7, 0xF6, 0x5F, 0xD7, 0x1C, 0x1C, 0xFB, 0x7D,
                                             0x17, 0x12, 0x77, 0x79, 0x35, 0xBF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x5C, 0x73, 0x4E};
    SettingsModel model;
    model.Image = image;
    model.DecodeAll(Language::Russian);
    for (int k = 1; k <= kRecordCount; ++k) {
        model.EncodeSection(k);
        ASSERT_TRUE(std::equal(image.begin(), image.end(), model.Image.begin())) << k;
    }
}

TEST(Snapshot, RestoreUndoesEveryChangeToRecordsOneToTen)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    const auto image = model.Image;
    const auto snapshot = model.SnapshotRecords();
    std::vector<std::vector<std::uint8_t>> before;
    for (int k = 1; k <= 11; ++k)
        before.emplace_back(model.Record(k).begin(), model.Record(k).end());
    for (int k = 1; k <= 11; ++k)
        for (auto& b : model.Record(k))
            b = static_cast<std::uint8_t>(b + 1);
    model.RestoreRecords(snapshot);
    for (int k = 1; k <= 10; ++k)
        EXPECT_TRUE(std::equal(before[k - 1].begin(), before[k - 1].end(), model.Record(k).begin())) << k;
    EXPECT_FALSE(std::equal(before[10].begin(), before[10].end(), model.Record(11).begin())); // not part of the snapshot
    EXPECT_EQ(model.Image, image);
    // A snapshot that does not fit is refused before anything is restored.
    const auto changed = model.Record(3)[0];
    EXPECT_THROW(model.RestoreRecords(RecordsSnapshot{{3, 9}, std::vector<std::uint8_t>(64 + 2)}), std::invalid_argument);
    EXPECT_THROW(model.RestoreRecords(RecordsSnapshot{{12}, {}}), std::invalid_argument);
    EXPECT_EQ(model.Record(3)[0], changed);
}

TEST(Edit, CancelUndoesEveryChangeAndOkEncodesRecordsOneToTen)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    const auto image = model.Image;
    const auto record6 = std::vector<std::uint8_t>(model.Record(6).begin(), model.Record(6).end());
    EXPECT_FALSE(model.Edit([](SettingsModel& m) {
        m.Record(6)[4] = 1;
        m.Record(10)[0] = 2;
        return false;
    }, Language::Russian));
    EXPECT_EQ(model.Image, image);
    EXPECT_TRUE(std::equal(record6.begin(), record6.end(), model.Record(6).begin()));

    // An editor that fails leaves nothing behind either.
    EXPECT_THROW(model.Edit([](SettingsModel& m) -> bool {
        m.Record(6)[4] = 1;
        throw std::runtime_error("editor failed");
    }, Language::Russian), std::runtime_error);
    EXPECT_EQ(model.Record(6)[4], record6[4]);

    EXPECT_TRUE(model.Edit([](SettingsModel& m) {
        m.Record(6)[4] = 55;
        m.Record(11)[0] = 9; // record 11 is not the editor's: never encoded here
        return true;
    }, Language::Russian));
    EXPECT_EQ(model.Image[GetU16(model.Image, 4 * 6) - 32u + 4], 55);
    EXPECT_EQ(model.Image[GetU16(model.Image, 4 * 11) - 32u], image[GetU16(image, 4 * 11) - 32u]);
}

TEST(Journals, OkEncodesJournalsAndTotalsCancelKeepsTheImage)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    const auto image = model.Image;
    const auto record11 = std::vector<std::uint8_t>(model.Record(11).begin(), model.Record(11).end());
    model.ViewJournals([](SettingsModel& m) {
        m.Record(7)[16] = 0xAB;
        m.Record(11)[20] = 0xCD;
        return false;
    });
    EXPECT_EQ(model.Image, image);
    // Regression: a cancelled clear stayed in the records and a later write to
    // the device, which encodes every record, erased the device's journals.
    EXPECT_EQ(model.Record(7)[16], 0);
    EXPECT_TRUE(std::equal(record11.begin(), record11.end(), model.Record(11).begin()));
    EXPECT_THROW(model.ViewJournals([](SettingsModel& m) -> bool {
        m.Record(1)[0] = 0x77;
        throw std::runtime_error("viewer failed");
    }), std::runtime_error);
    EXPECT_NE(model.Record(1)[0], 0x77);

    model.ViewJournals([](SettingsModel& m) {
        EXPECT_EQ(m.Record(7)[16], 0); // decoded afresh
        m.Record(1)[0] = 0x11;
        m.Record(11)[0] = 0x22;
        return true;
    });
    const std::size_t s1 = GetU16(model.Image, 4) - 32u, s11 = GetU16(model.Image, 44) - 32u;
    EXPECT_EQ(model.Image[s1], 0x11);
    EXPECT_EQ(model.Image[s11], 0x22);
}

TEST(ReferenceLayout, SectionsFollowOneAnotherFromAddress96)
{
    const auto memory = ReferenceMemory();
    ASSERT_EQ(memory.size(), 8192u);
    EXPECT_EQ(memory[32], 11);
    EXPECT_EQ(memory[33], kReferenceFormatVersion);
    std::uint32_t address = 96;
    for (int k = 1; k <= 11; ++k) {
        EXPECT_EQ(GetU16(memory, 32 + 4 * k), address) << k;
        EXPECT_EQ(GetU16(memory, 32 + 4 * k + 2), kRecordSizes[k - 1] + 4) << k;
        address += static_cast<std::uint32_t>(kRecordSizes[k - 1] + 4);
    }
    EXPECT_LT(address, 4096u);
    EXPECT_EQ(GetU16(memory, 32 + 48), 0); // entry 12 is empty
    // Record 3 defaults are in the memory at section 3's address.
    const std::uint32_t s3 = GetU16(memory, 32 + 12);
    EXPECT_EQ(GetU16(memory, s3), 1000);
}

TEST(ReferenceLayout, MemoryAndImageConvertBothWays)
{
    std::vector<std::uint8_t> memory(8192);
    std::iota(memory.begin(), memory.end(), std::uint8_t{0});
    const auto image = ImageFromMemory(memory);
    ASSERT_EQ(image.size(), 8128u);
    EXPECT_EQ(image[0], memory[32]);
    EXPECT_EQ(image[4063], memory[4095]);
    EXPECT_EQ(image[4064], memory[4128]);
    auto back = MemoryFromImage(image, memory);
    EXPECT_EQ(back, memory);
    back = MemoryFromImage(image);
    EXPECT_EQ(back[0], 0);
    EXPECT_EQ(back[4100], 0);
    EXPECT_EQ(back[8191], memory[8191]);
    EXPECT_THROW(ImageFromMemory(std::vector<std::uint8_t>(100)), std::invalid_argument);
}

} // namespace
} // namespace tc
