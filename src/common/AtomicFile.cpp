#include "common/AtomicFile.h"
#include "common/AtomicFileTexts.h"

#include "common/Error.h"
#include "common/Language.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tc {

namespace {

std::atomic<bool> g_namedTemporaries{false};

std::string Reason(int err)
{
    return std::strerror(err);
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void Reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

using namespace detail;

} // namespace

std::string detail::FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string detail::NameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// The file a chain of symbolic links ends at (which may not exist yet).
std::string FollowLinks(const std::string& path, Language language)
{
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(p.c_str(), buf, sizeof buf - 1);
        if (n <= 0)
            return p;
        std::string target(buf, static_cast<std::size_t>(n));
        p = target[0] == '/' ? target : FolderOf(p) + "/" + target;
    }
    throw Error(FailedText(path, language) + Reason(ELOOP));
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

// Named temporary files of `name` whose writer is gone: nobody holds their lock.
void detail::RemoveStaleTemporaries(const std::string& folder, const std::string& name)
{
    const std::string prefix = TemporaryPrefix(name);
    DIR* d = ::opendir(folder.c_str());
    if (!d)
        return;
    std::vector<std::string> candidates;
    while (dirent* e = ::readdir(d)) {
        const std::string entry = e->d_name;
        if (entry.size() == prefix.size() + 6 && entry.compare(0, prefix.size(), prefix) == 0)
            candidates.push_back(folder + "/" + entry);
    }
    ::closedir(d);
    for (const auto& path : candidates) {
        Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (fd.get() < 0)
            fd.Reset(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat open {}, named {};
        if (fd.get() < 0 || ::fstat(fd.get(), &open) != 0 || !S_ISREG(open.st_mode))
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue; // a live save is writing it
        if (::lstat(path.c_str(), &named) == 0 && SameFile(open, named))
            ::unlink(path.c_str());
    }
}

namespace {

// A temporary file beside the target, locked by this writer; `name` stays
// empty while the file has no name.
struct Temporary {
    Fd fd;
    std::string name;
};

bool CreateUnnamed(const std::string& folder, Temporary& temp)
{
#ifdef O_TMPFILE
    temp.fd.Reset(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (temp.fd.get() < 0)
        return false;
    ::flock(temp.fd.get(), LOCK_EX);
    return true;
#else
    (void)folder;
    (void)temp;
    return false;
#endif
}

void CreateNamed(const std::string& folder, const std::string& name, Temporary& temp, const std::string& failed)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = folder + "/" + TemporaryPrefix(name) + "XXXXXX";
        Fd fd(::mkostemp(path.data(), O_CLOEXEC));
        if (fd.get() < 0)
            throw Error(failed + Reason(errno));
        ::flock(fd.get(), LOCK_EX);
        // Between mkstemp and flock another save may have taken the file for
        // a stale one and removed it: then start over with a fresh name.
        struct stat open {}, named {};
        if (::fstat(fd.get(), &open) == 0 && ::lstat(path.c_str(), &named) == 0 && SameFile(open, named)) {
            temp.fd.Reset(fd.release());
            temp.name = path;
            return;
        }
    }
    throw Error(failed + Reason(EEXIST));
}

// Gives an unnamed temporary file a name beside the target; false when the
// system cannot.
bool NameUnnamed(const std::string& folder, const std::string& name, Temporary& temp)
{
    const std::string self = "/proc/self/fd/" + std::to_string(temp.fd.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = folder + "/" + TemporaryPrefix(name) + RandomSuffix();
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp.name = path;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes, int& err)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        err = errno;
        return false;
    }
    return true;
}

} // namespace

void UseNamedTemporaryFiles(bool named)
{
    g_namedTemporaries = named;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t maxSize, Language language)
{
    // Without O_NONBLOCK opening a pipe waits for its writer.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        throw Error(OpenFailedText(path, language) + Reason(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw Error(NotAFileText(path, language));
    return ReadAllChunks(path, maxSize, language, [&](std::uint8_t* into, std::size_t size) -> std::size_t {
        for (;;) {
            const ssize_t n = ::read(fd.get(), into, size);
            if (n >= 0)
                return static_cast<std::size_t>(n);
            if (errno != EINTR)
                throw Error(ReadFailedText(path, language) + Reason(errno));
        }
    });
}

std::string CheckSaveTarget(const std::string& path, Language language)
{
    const std::string failed = FailedText(path, language);
    if (path.empty())
        throw Error(failed + Reason(ENOENT));
    const std::string target = FollowLinks(path, language);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            throw Error(NotRegularText(path, language));
        // A file the user may not write stays as it is, as a direct write would leave it.
        if (::access(target.c_str(), W_OK) != 0)
            throw Error(failed + Reason(errno));
    } else if (errno != ENOENT) {
        throw Error(failed + Reason(errno));
    }
    const std::string folder = FolderOf(target);
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0)
        throw Error(failed + Reason(errno));
    if (!S_ISDIR(dir.st_mode))
        throw Error(failed + Reason(ENOTDIR));
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        throw Error(failed + Reason(errno));
    return target;
}

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, Language language)
{
    const SaveTarget save = StartSave(path, language);
    const std::string &failed = save.failed, &target = save.target, &folder = save.folder, &name = save.name;

    // A replaced file keeps its permissions; a new one gets the usual ones.
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    RemoveStaleTemporaries(folder, name);

    Temporary temp;
    bool unnamed = !g_namedTemporaries && CreateUnnamed(folder, temp);
    auto fail = [&](int err) {
        if (!temp.name.empty())
            ::unlink(temp.name.c_str());
        throw Error(failed + Reason(err));
    };
    for (;;) {
        if (!unnamed)
            CreateNamed(folder, name, temp, failed);
        ::fchmod(temp.fd.get(), mode);
        int err = 0;
        if (!WriteAll(temp.fd.get(), bytes, err))
            fail(err);
        if (!unnamed || NameUnnamed(folder, name, temp))
            break;
        // Linking needs /proc; without it the content goes to a named file.
        unnamed = false;
    }
    // The lock is held until the rename is done, so the named file is never
    // taken for a stale one.
    if (::rename(temp.name.c_str(), target.c_str()) != 0)
        fail(errno);
    temp.name.clear();
    temp.fd.Reset();
    // The rename itself reaches the disk with the folder.
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

} // namespace tc
