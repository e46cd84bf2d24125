#include "common/Error.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tc {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("tripconf-file-test-" + std::to_string(::getpid()) + "-"
                                            + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    static void WriteRaw(const std::string& path, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<std::uint8_t> ReadRaw(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
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
    WriteSettingsFile(model, path);

    const auto raw = ReadRaw(path);
    ASSERT_EQ(raw.size(), 8130u);
    EXPECT_EQ(raw[0], 0x02);
    EXPECT_EQ(raw[1], 0x82);
    // Image byte 4096 is combined with key byte 0.
    EXPECT_EQ(raw[2 + 4096], model.Image[4096] ^ SettingsKey()[0]);
    EXPECT_EQ(raw[2 + 5], model.Image[5] ^ SettingsKey()[5]);

    SettingsModel other;
    other.Image.clear();
    ReadSettingsFile(other, path);
    EXPECT_EQ(other.DeviceModelCode, 0x8202);
    EXPECT_EQ(other.Image, model.Image);
}

TEST_F(SettingsFileTest, ShortFileReplacesOnlyTheBytesItHolds)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    const auto before = model.Image;
    std::vector<std::uint8_t> small(100);
    for (std::size_t i = 0; i < small.size(); ++i)
        small[i] = static_cast<std::uint8_t>(200 - i);
    const auto path = PathOf("small.qvetp");
    WriteRaw(path, EncodeSettingsFile(0x4010, small));

    ReadSettingsFile(model, path);
    EXPECT_EQ(model.DeviceModelCode, 0x4010);
    ASSERT_EQ(model.Image.size(), 8128u);
    EXPECT_TRUE(std::equal(small.begin(), small.end(), model.Image.begin()));
    EXPECT_TRUE(std::equal(before.begin() + 100, before.end(), model.Image.begin() + 100));
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
        EXPECT_THROW(ReadSettingsFile(model, path), Error) << c.name;
        EXPECT_EQ(model.DeviceModelCode, 0xC000) << c.name;
        EXPECT_EQ(model.Image, image) << c.name;
    }
    EXPECT_THROW(ReadSettingsFile(model, PathOf("missing.qvetp")), Error);
    EXPECT_THROW(ReadSettingsFile(model, dir_.string()), Error); // a folder
}

TEST_F(SettingsFileTest, SavingOverAFileKeepsItsPermissions)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    const auto path = PathOf("perm.qvetp");
    WriteSettingsFile(model, path);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteSettingsFile(model, path);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    if (::geteuid() != 0) {
        // A read-only file is refused, not replaced behind the user's back.
        fs::permissions(path, fs::perms::owner_read);
        EXPECT_THROW(WriteSettingsFile(model, path), Error);
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    }
}

TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileWhole)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    const auto path = PathOf("keep.qvetp");
    WriteSettingsFile(model, path);
    const auto old = ReadRaw(path);

    // A file name inside a missing folder cannot be written; nothing appears.
    EXPECT_THROW(WriteSettingsFile(model, PathOf("no/such/dir.qvetp")), Error);
    // A read-only folder refuses the temporary file; the old file stays.
    if (::geteuid() != 0) {
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        model.DeviceModelCode = 0x1234;
        EXPECT_THROW(WriteSettingsFile(model, path), Error);
        fs::permissions(dir_, fs::perms::owner_all);
    }
    EXPECT_EQ(ReadRaw(path), old);
    // No temporary files are left behind.
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename(), "keep.qvetp");
}

} // namespace
} // namespace tc
