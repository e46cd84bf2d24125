#include "common/AtomicFile.h"

#include "common/Error.h"
#include "common/Language.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tc {

namespace {

std::string Reason(int err)
{
    return std::strerror(err);
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

} // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::size_t maxSize)
{
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        throw Error(Tr("Не удаётся открыть файл \"" + path + "\": ", "Cannot open file \"" + path + "\": ") + Reason(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw Error(Tr("\"" + path + "\" не является файлом.", "\"" + path + "\" is not a file."));
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error(Tr("Ошибка чтения файла \"" + path + "\": ", "Error reading file \"" + path + "\": ") + Reason(errno));
        }
        if (n == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(n) > maxSize)
            throw Error(Tr("Файл \"" + path + "\" слишком велик.", "File \"" + path + "\" is too large."));
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    const std::string failed = Tr("Не удаётся записать файл \"" + path + "\": ", "Cannot write file \"" + path + "\": ");
    // A file the user may not write stays as it is, as a direct write would
    // leave it; a replaced file keeps its permissions.
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    if (replacing && ::access(path.c_str(), W_OK) != 0)
        throw Error(failed + Reason(errno));
    std::string temp = path + ".XXXXXX";
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0)
        throw Error(failed + Reason(errno));
    auto fail = [&](int err) {
        ::unlink(temp.c_str());
        throw Error(failed + Reason(err));
    };
    // mkstemp creates the file 0600; give it the old file's permissions or the
    // usual ones of a new file.
    mode_t mode = existing.st_mode & 07777;
    if (!replacing) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd.get(), mode);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0)
        fail(errno);
    if (::close(fd.release()) != 0)
        fail(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        fail(errno);
}

} // namespace tc
