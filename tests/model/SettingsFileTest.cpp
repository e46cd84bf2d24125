#include "common/Error.h"
#include "common/Language.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsFile.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tc {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return scratch_.PathOf(name); }

    static void WriteRaw(const std::string& path, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<std::uint8_t> ReadRaw(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::ScratchDir scratch_{"tripconf-file-test-"};
    const fs::path& dir_ = scratch_.Path();
};

TEST(SettingsKey, IsTheFixedTableOfEveryRelease)
{
    // Files written by any build must stay readable: the key never changes.
    const auto& key = SettingsKey();
    unsigned long sum = 0;
    for (auto b : key)
        sum += b;
    EXPECT_EQ(key[0], 0x08);
    EXPECT_EQ(key[1], 0x38);
    EXPECT_EQ(key[4095], SettingsKey()[4095]);
    EXPECT_EQ(sum, 517157ul);
}

TEST_F(SettingsFileTest, RoundTripKeepsModelCodeLengthAndBytes)
{
    SettingsModel model;
    LoadReferenceImage(model, 0x8202);
    for (std::size_t i = 3000; i < model.Image.size(); ++i)
        model.Image[i] = static_cast<std::uint8_t>(i * 13);
    const auto path = PathOf("a.qvetp");
    WriteSettingsFile(model, path, Language::Russian);

    const auto raw = ReadRaw(path);
    ASSERT_EQ(raw.size(), 8130u);
    EXPECT_EQ(raw[0], 0x02);
    EXPECT_EQ(raw[1], 0x82);
    // Image byte 4096 is combined with key byte 0.
    EXPECT_EQ(raw[2 + 4096], model.Image[4096] ^ SettingsKey()[0]);
    EXPECT_EQ(raw[2 + 5], model.Image[5] ^ SettingsKey()[5]);

    SettingsModel other;
    other.Image.clear();
    ReadSettingsFile(other, path, Language::Russian);
    EXPECT_EQ(other.DeviceModelCode, 0x8202);
    EXPECT_EQ(other.Image, model.Image);
}

TEST_F(SettingsFileTest, ALoadReplacesTheWholeImage)
{
    // A shorter file never leaves the old image's tail behind it: that would
    // mix two sets of settings.
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    SettingsModel small;
    LoadReferenceImage(small, 0x4010);
    small.Image.resize(4000);
    small.Image[3500] = 0x5A;
    const auto path = PathOf("small.qvetp");
    WriteRaw(path, EncodeSettingsFile(0x4010, small.Image));

    ReadSettingsFile(model, path, Language::Russian);
    EXPECT_EQ(model.DeviceModelCode, 0x4010);
    EXPECT_EQ(model.Image, small.Image);
    LoadReferenceImage(model, 0xC000);
    ApplySettings(model, LoadSettingsFile(path, Language::Russian), Language::Russian);
    EXPECT_EQ(model.Image, small.Image);
}

// Every way a file is judged, the window's and the command line's one way:
// refused (and why), or taken with the warnings it gets.
TEST_F(SettingsFileTest, OneJudgementRefusesMixedOrForeignDataAndWarnsOfTheUnusual)
{
    SettingsModel reference;
    LoadReferenceImage(reference, 0xC000);
    const auto file = EncodeSettingsFile(0xC000, reference.Image);
    const auto withCode = [&](std::uint16_t code) { auto f = file; f[0] = static_cast<std::uint8_t>(code); f[1] = static_cast<std::uint8_t>(code >> 8); return f; };
    const auto cut = [&](std::size_t n) { return std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)); };
    const auto patched = [&](std::size_t offset, std::uint8_t value) {
        auto image = reference.Image;
        image[offset] = value;
        return EncodeSettingsFile(0xC000, image);
    };
    std::vector<std::uint8_t> noise(5000);
    std::uint32_t x = 12345;
    for (auto& b : noise)
        b = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 16);
    const std::size_t s3 = 4 * 3 + 2; // section 3's length in the directory

    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* refusal; // empty: taken
        std::vector<std::string> warnings;
    };
    const std::vector<Case> cases = {
        {"whole", file, "", {}},
        {"cut at 4000", cut(4000), "", {"4130 of 8128 bytes are missing"}},
        {"cut at 8000", cut(8000), "", {"130 of 8128 bytes are missing"}},
        {"cut at 8129", cut(8129), "", {"1 of 8128 bytes are missing"}},
        {"cut inside the sections", cut(1000), "runs past the end of the image", {}},
        {"too short for the directory", cut(61), "shorter than the section directory", {}},
        {"header only", cut(2), "shorter than the section directory", {}},
        {"section past its record", patched(s3, static_cast<std::uint8_t>(reference.Image[s3] + 2)), "Section 3 is longer than its record", {}},
        {"no sections", patched(0, 0), "Wrong number of sections", {}},
        {"random bytes", noise, "does not look like a settings file", {}},
        {"other format version", patched(1, 9), "", {"format version is 9, the program knows version 7"}},
        {"model 0x0000", withCode(0x0000), "", {"model code 0x0000 is unknown"}},
        {"model 0xC001", withCode(0xC001), "", {"model code 0xC001 is unknown"}},
        {"model 0xFFFF", withCode(0xFFFF), "", {"model code 0xFFFF is unknown"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = PathOf("judged.qvetp");
        WriteRaw(path, c.bytes);
        if (*c.refusal) {
            try {
                LoadSettingsFile(path, Language::English);
                ADD_FAILURE() << "taken";
            } catch (const Error& e) {
                EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
            }
            continue;
        }
        const JudgedSettings judged = LoadSettingsFile(path, Language::English);
        ASSERT_EQ(judged.warnings.size(), c.warnings.size());
        for (std::size_t i = 0; i < c.warnings.size(); ++i)
            EXPECT_NE(judged.warnings[i].find(c.warnings[i]), std::string::npos) << judged.warnings[i];
        EXPECT_EQ(EncodeSettingsFile(judged.modelCode, judged.image), c.bytes);
    }
}

TEST_F(SettingsFileTest, FilesWithoutAWholeHeaderOrTooLargeAreRefusedAndChangeNothing)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    const auto image = model.Image;
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"empty.qvetp", {}},
        {"one.qvetp", {0x42}},
        {"huge.qvetp", std::vector<std::uint8_t>(2 + 8128 + 1, 0x42)},
    };
    for (const auto& c : cases) {
        const auto path = PathOf(c.name);
        WriteRaw(path, c.bytes);
        EXPECT_THROW(ReadSettingsFile(model, path, Language::Russian), Error) << c.name;
        EXPECT_EQ(model.DeviceModelCode, 0xC000) << c.name;
        EXPECT_EQ(model.Image, image) << c.name;
    }
    EXPECT_THROW(ReadSettingsFile(model, PathOf("missing.qvetp"), Language::Russian), Error);
    EXPECT_THROW(ReadSettingsFile(model, dir_.string(), Language::Russian), Error); // a folder
}

#ifndef _WIN32 // file modes are POSIX; the Windows saves have tests of their own (AtomicFileWinTest)
TEST_F(SettingsFileTest, SavingOverAFileKeepsItsPermissions)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    const auto path = PathOf("perm.qvetp");
    WriteSettingsFile(model, path, Language::Russian);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteSettingsFile(model, path, Language::Russian);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    if (::geteuid() != 0) {
        // A read-only file is refused, not replaced behind the user's back.
        fs::permissions(path, fs::perms::owner_read);
        EXPECT_THROW(WriteSettingsFile(model, path, Language::Russian), Error);
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    }
}
#endif

TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileWhole)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    const auto path = PathOf("keep.qvetp");
    WriteSettingsFile(model, path, Language::Russian);
    const auto old = ReadRaw(path);

    // A file name inside a missing folder cannot be written; nothing appears.
    EXPECT_THROW(WriteSettingsFile(model, PathOf("no/such/dir.qvetp"), Language::Russian), Error);
    // A read-only folder refuses the temporary file; the old file stays.
#ifndef _WIN32
    if (::geteuid() != 0) {
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        model.DeviceModelCode = 0x1234;
        EXPECT_THROW(WriteSettingsFile(model, path, Language::Russian), Error);
        fs::permissions(dir_, fs::perms::owner_all);
    }
#endif
    EXPECT_EQ(ReadRaw(path), old);
    // No temporary files are left behind.
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename(), "keep.qvetp");
}

} // namespace
} // namespace tc
