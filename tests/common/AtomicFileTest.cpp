#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Language.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

namespace tc {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    void TearDown() override { UseNamedTemporaryFiles(false); }

    std::string PathOf(const std::string& name) const { return scratch_.PathOf(name); }
    static std::string Text(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(scratch_.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::ScratchDir scratch_{"tripconf-atomic-"};
};

TEST_F(AtomicFileTest, OnlyRegularFilesAreReadAndNothingWaitsForAWriter)
{
    ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0600), 0);
    fs::create_directory(PathOf("folder"));
    fs::create_symlink(PathOf("fifo"), PathOf("link-to-fifo"));
    for (const std::string& path : {PathOf("fifo"), PathOf("link-to-fifo"), PathOf("folder"), std::string("/dev/null")}) {
        try {
            ReadWholeFile(path, 100, Language::English);
            ADD_FAILURE() << path << " was read";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("regular file"), std::string::npos) << e.what();
        }
    }
    std::ofstream(PathOf("plain")) << "abc";
    EXPECT_EQ(ReadWholeFile(PathOf("plain"), 3, Language::English), Bytes("abc"));
    EXPECT_THROW(ReadWholeFile(PathOf("plain"), 2, Language::English), Error);
}

TEST_F(AtomicFileTest, SavesGoThroughSymbolicLinksToTheirTarget)
{
    fs::create_directory(PathOf("real"));
    std::ofstream(PathOf("real/settings")) << "old";
    fs::permissions(PathOf("real/settings"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real/settings", PathOf("relative"));      // relative to the link's folder
    fs::create_symlink(PathOf("relative"), PathOf("chain"));      // a link to a link
    fs::create_symlink("real/not-yet", PathOf("dangling"));       // names a file still to come
    for (const auto& [link, target] : {std::pair{"relative", "real/settings"}, {"chain", "real/settings"},
                                       {"dangling", "real/not-yet"}}) {
        const std::string content = std::string("saved through ") + link;
        WriteFileAtomically(PathOf(link), Bytes(content), Language::English);
        EXPECT_TRUE(fs::is_symlink(PathOf(link))) << link;
        EXPECT_EQ(Text(PathOf(target)), content) << link;
        EXPECT_EQ(CheckSaveTarget(PathOf(link), Language::English), PathOf(target)) << link;
    }
    EXPECT_EQ(fs::status(PathOf("real/settings")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"chain", "dangling", "real", "relative"}));
}

TEST_F(AtomicFileTest, TargetsThatAreNotRegularFilesAreRefusedAndKept)
{
    ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0600), 0);
    fs::create_directory(PathOf("folder"));
    fs::create_symlink("/dev/null", PathOf("null-link"));
    for (const std::string& path : {PathOf("fifo"), PathOf("folder"), PathOf("null-link"), std::string("/dev/null")}) {
        try {
            WriteFileAtomically(path, Bytes("x"), Language::English);
            ADD_FAILURE() << path << " was written";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("not a regular file"), std::string::npos) << e.what();
        }
        EXPECT_THROW(CheckSaveTarget(path, Language::English), Error) << path;
    }
    EXPECT_TRUE(fs::is_fifo(PathOf("fifo")));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_symlink(PathOf("null-link")));
    EXPECT_THROW(CheckSaveTarget(PathOf("missing/file"), Language::English), Error);
    EXPECT_THROW(CheckSaveTarget("", Language::English), Error);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"fifo", "folder", "null-link"}));
}

// A writer killed half way (here by the file-size limit) leaves nothing with
// unnamed temporary files, and a file the next save removes with named ones;
// the temporary file of a save still running is left alone.
TEST_F(AtomicFileTest, TemporaryFilesOfKilledWritersDoNotStay)
{
    for (const bool named : {false, true}) {
        SCOPED_TRACE(named ? "named" : "unnamed");
        UseNamedTemporaryFiles(named);
        const std::string path = PathOf("f");
        WriteFileAtomically(path, Bytes("old"), Language::English);
        const pid_t child = ::fork();
        if (child == 0) {
            const rlimit limit{1000, 1000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            WriteFileAtomically(path, std::vector<std::uint8_t>(8000, 7), Language::English);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
        EXPECT_EQ(Text(path), "old");
        EXPECT_EQ(Entries().size(), named ? 2u : 1u);

        // A live writer's file: created and locked as a save does.
        const std::string live = PathOf(".f.tmp-LIVE01");
        const int fd = ::open(live.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::flock(fd, LOCK_EX), 0);
        std::ofstream(PathOf(".f.tmp-STALE1")) << "left by a kill -9";
        std::ofstream(PathOf(".other.tmp-STALE1")) << "another file's";

        WriteFileAtomically(path, Bytes("new"), Language::English);
        EXPECT_EQ(Text(path), "new");
        EXPECT_EQ(Entries(), (std::vector<std::string>{".f.tmp-LIVE01", ".other.tmp-STALE1", "f"}));
        ::close(fd);
        fs::remove(live);
        fs::remove(PathOf(".other.tmp-STALE1"));
    }
}

} // namespace
} // namespace tc
