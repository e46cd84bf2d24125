// Restore points: names, the folder they live in, saving without replacing,
// and the listing that the command line shows.
#include "model/ReferenceLayout.h"
#include "model/RestorePoints.h"
#include "model/SettingsFile.h"
#include "common/WideText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>

namespace tc {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

// Sets an environment variable for one scope (unset with nullopt).
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        Set(value);
    }
    ~ScopedEnv()
    {
        Set(old_);
    }

private:
    void Set(const std::optional<std::string>& v)
    {
#ifdef _WIN32
        // Wide, as the program reads it: a UTF-8 value stays what it is.
        const auto wide = [](const std::string& t) {
            const std::u16string u = Utf8ToUtf16(t);
            return std::wstring(u.begin(), u.end());
        };
        _wputenv_s(wide(name_).c_str(), wide(v.value_or("")).c_str()); // an empty value removes it
        _tzset();
#else
        if (v)
            setenv(name_, v->c_str(), 1);
        else
            unsetenv(name_);
        tzset();
#endif
    }
    const char* name_;
    std::optional<std::string> old_;
};

Clock::time_point Utc(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
#ifdef _WIN32
    return Clock::from_time_t(_mkgmtime(&t));
#else
    return Clock::from_time_t(timegm(&t));
#endif
}

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("restore-points-test-" + std::to_string(::getpid()));
    TempDir() { fs::remove_all(path); }
    ~TempDir() { fs::remove_all(path); }
};

TEST(RestorePoints, NamesCarryTheModelCodeAndTheLocalTime)
{
    ScopedEnv tz("TZ", "UTC");
    struct Row {
        std::uint16_t code;
        Clock::time_point when;
        int counter;
        const char* name;
    };
    const Row rows[] = {
        {0xC000, Utc(2025, 1, 31, 12, 0, 5), 1, "C000_2025-01-31_12-00-05.qvetp"},
        {0x0a1f, Utc(1999, 12, 31, 23, 59, 59), 2, "0A1F_1999-12-31_23-59-59_2.qvetp"},
        {0xFFFF, Utc(2030, 6, 1, 0, 0, 0), 12, "FFFF_2030-06-01_00-00-00_12.qvetp"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(RestorePoints::FileName(r.code, r.when, r.counter), r.name);
    ScopedEnv moscow("TZ", "MSK-3");
    EXPECT_EQ(RestorePoints::FileName(0xC000, Utc(2025, 1, 31, 22, 30, 0)), "C000_2025-02-01_01-30-00.qvetp");
}

#ifdef _WIN32
TEST(RestorePoints, FolderIsInTheUsersAppData)
{
    ScopedEnv appData("APPDATA", "C:\\Users\\Водитель\\AppData\\Roaming");
    EXPECT_EQ(RestorePoints::DefaultFolder(), "C:\\Users\\Водитель\\AppData\\Roaming\\tripconf\\restore-points");
}
#else
TEST(RestorePoints, FolderFollowsXdgDataHome)
{
    ScopedEnv home("HOME", "/home/driver");
    struct Row {
        std::optional<std::string> xdg;
        const char* folder;
    };
    const Row rows[] = {
        {"/srv/data", "/srv/data/tripconf/restore-points"},
        {"/srv/data/", "/srv/data/tripconf/restore-points"},
        {"", "/home/driver/.local/share/tripconf/restore-points"},
        {"relative/data", "/home/driver/.local/share/tripconf/restore-points"}, // only absolute paths count
        {std::nullopt, "/home/driver/.local/share/tripconf/restore-points"},
    };
    for (const auto& r : rows) {
        ScopedEnv xdg("XDG_DATA_HOME", r.xdg);
        EXPECT_EQ(RestorePoints::DefaultFolder(), r.folder) << r.xdg.value_or("(unset)");
    }
}
#endif

TEST(RestorePoints, SavedPointsAreNeverReplacedAndListOldestFirst)
{
    ScopedEnv tz("TZ", "UTC");
    TempDir dir;
    const RestorePoints store((dir.path / "a" / "b").string() + "/");
    EXPECT_TRUE(store.List().empty()); // no folder yet
    const auto noon = Utc(2025, 1, 31, 12, 0, 5);
    SettingsModel reference;
    LoadReferenceImage(reference, 0xC000);

    // Three within one second, each its own file holding its own image.
    std::vector<std::string> paths;
    for (std::uint8_t i = 0; i < 3; ++i) {
        auto image = reference.Image;
        image[100] = i;
        paths.push_back(store.Save(0xC000, image, noon));
        SettingsModel back;
        ReadSettingsFile(back, paths.back(), Language::Russian);
        EXPECT_EQ(back.Image, image);
        EXPECT_EQ(back.DeviceModelCode, 0xC000);
    }
    const std::string earlier = store.Save(0x4010, reference.Image, Utc(2024, 12, 1, 8, 0, 0));
#ifndef _WIN32 // the new folders are the user's own (file modes are POSIX)
    EXPECT_EQ(fs::status(dir.path / "a").permissions() & fs::perms::all, fs::perms::owner_all);
#endif

    // Files that are not restore points are left out.
    for (const char* other : {"notes.txt", "C000_2025-01-31.qvetp", "c000_2025-01-31_12-00-05.qvetp", "C000_2025-01-31_12-00-05.qvetp~"})
        std::ofstream(dir.path / "a" / "b" / other) << "x";
    fs::create_directory(dir.path / "a" / "b" / "C000_2025-02-01_00-00-00.qvetp");

    const auto points = store.List();
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].path, earlier);
    EXPECT_EQ(points[0].modelCode, 0x4010);
    EXPECT_EQ(points[0].time, "2024-12-01 08:00:00");
    const char* names[] = {"C000_2025-01-31_12-00-05.qvetp", "C000_2025-01-31_12-00-05_2.qvetp", "C000_2025-01-31_12-00-05_3.qvetp"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(points[static_cast<std::size_t>(i + 1)].path, paths[static_cast<std::size_t>(i)]);
        EXPECT_EQ(fs::path(paths[static_cast<std::size_t>(i)]).filename(), names[i]);
        EXPECT_EQ(points[static_cast<std::size_t>(i + 1)].time, "2025-01-31 12:00:05");
    }
}

TEST(RestorePoints, OnlyTheNewestPointsOfEachModelAreKeptAndTheUnitIsNoted)
{
    ScopedEnv tz("TZ", "UTC");
    TempDir dir;
    const RestorePoints store(dir.path.string(), "/dev/ttyUSB0");
    const RestorePoints unnamed(dir.path.string());
    const std::vector<std::uint8_t> image(64, 0x5A);
    const auto start = Utc(2025, 3, 1, 9, 0, 0);
    const std::size_t limit = RestorePoints::kKeptPerModel;

    // Another model's points are never counted nor removed.
    const std::string other = unnamed.Save(0x4010, image, start - std::chrono::hours(24));
    std::vector<std::string> saved;
    for (std::size_t i = 0; i < limit + 3; ++i)
        saved.push_back(store.Save(0xC000, image, start + std::chrono::minutes(i)));

    auto points = store.List();
    ASSERT_EQ(points.size(), limit + 1);
    EXPECT_EQ(points.front().path, other);
    EXPECT_EQ(points.front().unit, "");
    EXPECT_EQ(points[1].path, saved[3]); // the three oldest are gone, with their notes
    EXPECT_EQ(points.back().path, saved.back());
    EXPECT_EQ(points.back().unit, "/dev/ttyUSB0");
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(fs::exists(saved[i]));
        EXPECT_FALSE(fs::exists(saved[i] + ".unit"));
    }

    // A clock set back makes the new point the oldest: it is kept all the same.
    const std::string backwards = store.Save(0xC000, image, start - std::chrono::hours(1));
    points = store.List();
    ASSERT_EQ(points.size(), limit + 1);
    EXPECT_EQ(points[1].path, backwards);
    EXPECT_FALSE(fs::exists(saved[3]));

    // A smaller limit passes over the point to keep and anything not removable.
    fs::create_directory(dir.path / "C000_2000-01-01_00-00-00.qvetp"); // not a point: never listed nor removed
    const auto removed = store.Prune(0xC000, saved.back(), 1);
    EXPECT_EQ(removed.size(), limit - 1);
    points = store.List();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[1].path, saved.back());
    EXPECT_TRUE(fs::is_directory(dir.path / "C000_2000-01-01_00-00-00.qvetp"));

    // A note that is not one line shows up to its first control character; a
    // missing folder prunes nothing and throws nothing.
    std::ofstream(saved.back() + ".unit") << "/dev/ttyS1\n\x01junk";
    EXPECT_EQ(store.List().back().unit, "/dev/ttyS1");
    EXPECT_TRUE(RestorePoints((dir.path / "absent").string()).Prune(0xC000, "", 0).empty());
}

// A write in progress is noted per unit, read back whole, and gone once
// cleared; a point marked as taken of a mixed unit lists so, with the point
// of the last whole settings, and its mark goes with it when pruned.
TEST(RestorePoints, WriteNotesArePerUnitAndMixedPointsListSo)
{
    TempDir dir;
    const RestorePoints usb(dir.path.string(), "/dev/ttyUSB0"), other(dir.path.string(), "/dev/ttyS1");
    EXPECT_FALSE(usb.CutOffWrite());
    const std::vector<std::uint8_t> image(64, 0x5A);
    const std::string first = usb.Save(0xC000, image, Utc(2025, 3, 1, 9, 0, 0));
    usb.NoteWriteStarted({"/dev/ttyUSB0", 0xC000, "2025-03-01 09:00:00", first, first});
    EXPECT_FALSE(other.CutOffWrite()); // another unit's note is not this one's
    const auto cut = usb.CutOffWrite();
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->port, "/dev/ttyUSB0");
    EXPECT_EQ(cut->modelCode, 0xC000);
    EXPECT_EQ(cut->started, "2025-03-01 09:00:00");
    EXPECT_EQ(cut->restorePoint, first);
    EXPECT_EQ(cut->lastWhole, first);
    EXPECT_EQ(usb.List().size(), 1u); // the note is no point

    const std::string second = usb.Save(0xC000, image, Utc(2025, 3, 1, 9, 5, 0));
    usb.MarkMixed(second, first);
    auto points = usb.List();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_FALSE(points[0].mixed);
    EXPECT_TRUE(points[1].mixed);
    EXPECT_EQ(points[1].lastWhole, first);

    usb.ClearWriteNote();
    EXPECT_FALSE(usb.CutOffWrite());
    usb.ClearWriteNote(); // nothing to clear: no harm

    usb.Prune(0xC000, first, 1);
    EXPECT_FALSE(fs::exists(second + ".mixed"));
    EXPECT_EQ(usb.List().size(), 1u);
}

} // namespace
} // namespace tc
