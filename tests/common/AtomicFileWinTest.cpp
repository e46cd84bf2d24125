// The Windows side of crash-safe saves, run under wine: Cyrillic names, a
// replaced file, targets that are refused and kept, temporaries of a killed
// writer removed while a live writer's stays.
#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Language.h"
#include "common/WideText.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <windows.h>

namespace tc {
namespace {

namespace fs = std::filesystem;

class AtomicFileWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = Utf8FromPath(fs::temp_directory_path()) + "\\tripconf-atomic-" + std::to_string(GetCurrentProcessId()) + "-"
               + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-Папка";
        fs::remove_all(PathFromUtf8(dir_));
        fs::create_directories(PathFromUtf8(dir_));
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(PathFromUtf8(dir_), ec);
    }
    std::string PathOf(const std::string& name) const { return dir_ + "\\" + name; }
    static std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(PathFromUtf8(dir_)))
            names.push_back(Utf8FromPath(e.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string dir_;
};

TEST_F(AtomicFileWinTest, CyrillicNamesSaveReplaceAndReadBack)
{
    const std::string path = PathOf("Настройки Ёжика.qvetp");
    WriteFileAtomically(path, Bytes("first"), Language::English);
    EXPECT_EQ(ReadWholeFile(path, 100, Language::English), Bytes("first"));
    WriteFileAtomically(path, Bytes("second, longer"), Language::English);
    EXPECT_EQ(ReadWholeFile(path, 100, Language::English), Bytes("second, longer"));
    WriteFileAtomically(path, {}, Language::English);
    EXPECT_TRUE(ReadWholeFile(path, 100, Language::English).empty());
    EXPECT_EQ(Entries(), std::vector<std::string>{"Настройки Ёжика.qvetp"}); // no temporary file stays
    EXPECT_THROW(ReadWholeFile(path + "x", 100, Language::English), Error);
    WriteFileAtomically(path, Bytes("0123456789"), Language::English);
    try {
        ReadWholeFile(path, 9, Language::English);
        FAIL() << "a file beyond the limit was read";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
}

TEST_F(AtomicFileWinTest, RefusedTargetsKeepWhatTheyHeld)
{
    // A folder, a read-only file, a missing folder: an error naming the file, nothing changed.
    fs::create_directory(PathFromUtf8(PathOf("папка")));
    const std::string readOnly = PathOf("только чтение.qvetp");
    WriteFileAtomically(readOnly, Bytes("kept"), Language::English);
    ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<const wchar_t*>(Utf8ToUtf16(readOnly).c_str()), FILE_ATTRIBUTE_READONLY));
    for (const std::string& target : {PathOf("папка"), readOnly, PathOf("нет такой\\файл.qvetp")}) {
        try {
            WriteFileAtomically(target, Bytes("new"), Language::English);
            FAIL() << target << " was written";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(target), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(ReadWholeFile(readOnly, 100, Language::English), Bytes("kept"));
    EXPECT_THROW(ReadWholeFile(PathOf("папка"), 100, Language::English), Error);
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(Utf8ToUtf16(readOnly).c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"папка", "только чтение.qvetp"}));
}

TEST_F(AtomicFileWinTest, TemporariesOfAKilledWriterGoAndALiveWritersStay)
{
    const std::string path = PathOf("файл.qvetp");
    const std::string stale = PathOf(".файл.qvetp.tmp-abcdef");
    const std::string live = PathOf(".файл.qvetp.tmp-ghijkl");
    const std::string other = PathOf(".другой.qvetp.tmp-abcdef");
    WriteFileAtomically(stale, Bytes("left behind"), Language::English);
    WriteFileAtomically(other, Bytes("another file's"), Language::English);
    WriteFileAtomically(live, Bytes("being written"), Language::English);
    // A live save holds its temporary file open without sharing.
    const HANDLE held = CreateFileW(reinterpret_cast<const wchar_t*>(Utf8ToUtf16(live).c_str()), GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    WriteFileAtomically(path, Bytes("saved"), Language::English);
    CloseHandle(held);
    EXPECT_EQ(Entries(), (std::vector<std::string>{".другой.qvetp.tmp-abcdef", ".файл.qvetp.tmp-ghijkl", "файл.qvetp"}));
    EXPECT_EQ(ReadWholeFile(path, 100, Language::English), Bytes("saved"));
}

} // namespace
} // namespace tc
