// The POSIX termios serial backend: real ports, USB adapters and
// pseudo-terminals all go through the same file descriptor calls.
#include "link/ByteChannel.h"

#include "common/Language.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tc {

namespace {

speed_t SpeedCode(std::uint32_t baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

std::uint32_t SpeedValue(speed_t code)
{
    for (std::uint32_t b : {1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u, 230400u, 460800u, 921600u})
        if (SpeedCode(b) == code)
            return b;
    return 0;
}

class PosixChannel final : public ByteChannel {
public:
    explicit PosixChannel(int fd) : fd_(fd), epoll_(epoll_create1(EPOLL_CLOEXEC))
    {
        // The line is watched through an epoll instance that stays registered
        // while the port is open: a wait for a reply then sets up no watch
        // each time, as a poll would, and on a pseudo-terminal the replies
        // reach the link sooner and more steadily (link_bench). Without one,
        // a poll does the same job.
        epoll_event watch{};
        watch.events = EPOLLIN;
        watch.data.fd = fd_;
        if (epoll_ >= 0 && epoll_ctl(epoll_, EPOLL_CTL_ADD, fd_, &watch) != 0) {
            close(epoll_);
            epoll_ = -1;
        }
    }
    ~PosixChannel() override
    {
        if (epoll_ >= 0)
            close(epoll_);
        // A pseudo-terminal outlives our descriptor: leave it open to the next user.
        ioctl(fd_, TIOCNXCL);
        close(fd_);
    }
    PosixChannel(const PosixChannel&) = delete;
    PosixChannel& operator=(const PosixChannel&) = delete;

    std::uint32_t ApplyLine(const LineSettings& line) override
    {
        termios t{};
        if (tcgetattr(fd_, &t) != 0)
            return 0;
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
        switch (line.byteSize) {
        case 5: t.c_cflag |= CS5; break;
        case 6: t.c_cflag |= CS6; break;
        case 7: t.c_cflag |= CS7; break;
        default: t.c_cflag |= CS8; break;
        }
        if (line.stopBits != 0) // one and a half stop bits are sent as two, as the UARTs do
            t.c_cflag |= CSTOPB;
        if (line.parity == 1)
            t.c_cflag |= PARENB | PARODD;
        else if (line.parity == 2)
            t.c_cflag |= PARENB;
        t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        if (const speed_t code = SpeedCode(line.baudRate); code != B0)
            cfsetspeed(&t, code);
        tcsetattr(fd_, TCSANOW, &t);
        // USB adapters otherwise hold short replies for their latency timer.
        serial_struct ss{};
        if (ioctl(fd_, TIOCGSERIAL, &ss) == 0 && !(ss.flags & ASYNC_LOW_LATENCY)) {
            ss.flags |= ASYNC_LOW_LATENCY;
            ioctl(fd_, TIOCSSERIAL, &ss);
        }
        termios back{};
        if (tcgetattr(fd_, &back) != 0)
            return 0;
        return SpeedValue(cfgetospeed(&back));
    }

    void Write(std::span<const std::uint8_t> bytes) override
    {
        using Clock = std::chrono::steady_clock;
        std::size_t done = 0;
        auto giveUp = Clock::now() + device::kWriteStall;
        while (done < bytes.size()) {
            const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                giveUp = Clock::now() + device::kWriteStall;
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return; // the count written is not checked by the protocol either
            if (Clock::now() >= giveUp)
                return;
            pollfd p{fd_, POLLOUT, 0};
            poll(&p, 1, static_cast<int>(device::kIdleSlice.count()));
        }
    }

    std::size_t Read(std::span<std::uint8_t> into, std::chrono::microseconds wait) override
    {
        if (into.empty())
            return 0;
        if (aheadFrom_ == aheadTo_ && !Fill(wait))
            return 0;
        const std::size_t n = std::min(into.size(), aheadTo_ - aheadFrom_);
        std::copy_n(ahead_.begin() + static_cast<std::ptrdiff_t>(aheadFrom_), n, into.begin());
        aheadFrom_ += n;
        return n;
    }

    void PurgeInput() override
    {
        tcflush(fd_, TCIFLUSH);
        aheadFrom_ = aheadTo_ = 0;
    }
    void PurgeOutput() override { tcflush(fd_, TCOFLUSH); }
    void SetDTR(bool on) override { SetModemLine(TIOCM_DTR, on); }
    void SetRTS(bool on) override { SetModemLine(TIOCM_RTS, on); }

private:
    // Takes what the line holds, up to a buffer's worth, in one call: a reply
    // that came whole is then one read, not its header and its rest apart. It
    // waits first when asked to (a reply is seldom there the moment its
    // request has gone). When not, it asks the driver how many bytes it holds
    // before reading: a read that finds none waits for the terminal layer to
    // hand over what is in transit, which costs a reply's time on a
    // pseudo-terminal, and a byte in transit is no different from one still
    // on the wire.
    bool Fill(std::chrono::microseconds wait)
    {
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(wait.count() / 1000000);
        ts.tv_nsec = static_cast<long>((wait.count() % 1000000) * 1000);
        if (wait.count() <= 0) {
            int held = 0;
            if (ioctl(fd_, FIONREAD, &held) == 0 && held <= 0)
                return false;
        } else if (!AwaitChange(ts)) {
            return false;
        }
        const ssize_t n = read(fd_, ahead_.data(), ahead_.size());
        if (n <= 0) {
            // Nothing to read although the line changed: hung up (a
            // pseudo-terminal without its master, an unplugged adapter).
            // It is waited on like a silent line instead of spun on.
            if (wait.count() > 0)
                nanosleep(&ts, nullptr);
            return false;
        }
        aheadFrom_ = 0;
        aheadTo_ = static_cast<std::size_t>(n);
        return true;
    }

    // Waits up to `wait` for input or a hang-up: false when neither came.
    bool AwaitChange(const timespec& wait)
    {
        if (epoll_ >= 0) {
            epoll_event ready{};
            const int r = epoll_pwait2(epoll_, &ready, 1, &wait, nullptr);
            if (r >= 0 || errno != ENOSYS)
                return r > 0;
            // A system older than its C library: poll from now on.
            close(epoll_);
            epoll_ = -1;
        }
        pollfd p{fd_, POLLIN, 0};
        return ppoll(&p, 1, &wait, nullptr) > 0;
    }

    void SetModemLine(int bit, bool on)
    {
        ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit); // a pseudo-terminal has no modem lines
    }

    int fd_;
    int epoll_; // watches fd_ for input; -1: the system has none, poll instead
    // Bytes taken off the line; those in [aheadFrom_, aheadTo_) are not yet asked for.
    std::array<std::uint8_t, 256> ahead_{};
    std::size_t aheadFrom_ = 0, aheadTo_ = 0;
};

// Opens without waiting for carrier; refuses what is not a terminal or is
// held by someone else, with the reason in `refusal` (in `language`). The
// lock comes before TIOCEXCL: a second program that reaches the device
// between our open and TIOCEXCL still finds the lock taken and gives up at once.
int OpenExclusive(const std::string& path, Language language, std::string& refusal, bool exclusive, int lockTries = 1)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        refusal = err == EBUSY                   ? PortInUseText(path, language)
                  : err == EACCES || err == EPERM ? NoPermissionText(path, language)
                                                  : CannotOpenText(path, std::strerror(err), language);
        return -1;
    }
    if (!isatty(fd)) {
        close(fd);
        refusal = NotSerialDeviceText(path, language);
        return -1;
    }
    for (int attempt = 1; flock(fd, LOCK_EX | LOCK_NB) != 0; ++attempt) {
        if (attempt >= lockTries) {
            close(fd);
            refusal = PortInUseText(path, language);
            return -1;
        }
        std::this_thread::sleep_for(device::kPortLockPause);
    }
    if (exclusive && ioctl(fd, TIOCEXCL) != 0) {
        const int err = errno;
        close(fd);
        refusal = CannotOpenText(path, std::strerror(err), language);
        return -1;
    }
    return fd;
}

std::vector<std::pair<std::string, long>> NumberedNames(const std::string& dir, const std::string& prefix)
{
    std::vector<std::pair<std::string, long>> out;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return out;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size());
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) || digits.size() > 6)
            continue;
        out.emplace_back(name, std::stol(digits));
    }
    closedir(d);
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return out;
}

// Legacy /dev/ttySn nodes exist whether or not a UART sits behind them.
bool UartPresent(const std::string& name)
{
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int t = -1;
    if (type >> t)
        return t != 0; // PORT_UNKNOWN
    return true;
}

class PosixPorts final : public ExplainingPortSystem {
public:
    std::vector<std::string> ListDevices() override
    {
        std::vector<std::string> out;
        std::set<std::string> seen;
        auto add = [&](const std::string& path) {
            const std::string c = Canonical(path);
            if (seen.insert(c).second)
                out.push_back(path);
        };
        for (const auto& [name, n] : NumberedNames("/dev", "ttyS"))
            if (UartPresent(name))
                add("/dev/" + name);
        // Adapters by their serial-number names, so that COM numbers and the
        // ini file follow the adapter, not the order it was plugged in.
        std::vector<std::string> byId;
        if (DIR* d = opendir("/dev/serial/by-id")) {
            while (dirent* e = readdir(d))
                if (e->d_name[0] != '.')
                    byId.push_back(std::string("/dev/serial/by-id/") + e->d_name);
            closedir(d);
        }
        std::sort(byId.begin(), byId.end());
        for (const auto& p : byId)
            add(p);
        for (const char* prefix : {"ttyUSB", "ttyACM", "ttyAMA"})
            for (const auto& [name, n] : NumberedNames("/dev", prefix))
                add("/dev/" + name);
        return out;
    }

    bool Exists(const std::string& path) override
    {
        struct stat st{};
        return stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
    }

    // Another program's probe holds the lock for a moment only: a few
    // tries keep two programs that scan at once from both seeing "in use".
    bool Probe(const std::string& path) override
    {
        std::string refusal; // not kept: any language does
        const int fd = OpenExclusive(path, Language::English, refusal, false, 4);
        if (fd < 0)
            return false;
        close(fd);
        return true;
    }

    std::unique_ptr<ByteChannel> OpenOrSayWhy(const std::string& path, Language language, std::string& refusal) override
    {
        const int fd = OpenExclusive(path, language, refusal, true, 4);
        if (fd < 0)
            return nullptr;
        return std::make_unique<PosixChannel>(fd);
    }

    std::string Canonical(const std::string& path) override
    {
        char buf[PATH_MAX];
        if (realpath(path.c_str(), buf))
            return buf;
        return path;
    }
};

} // namespace

std::shared_ptr<PortSystem> DefaultPortSystem()
{
    static auto system = std::make_shared<PosixPorts>();
    return system;
}

} // namespace tc
