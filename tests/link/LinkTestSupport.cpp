#include "LinkTestSupport.h"

#include "link/Transfers.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <cerrno>

#ifdef _WIN32
#include <random>

#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;
#endif

namespace tc::test {

#ifdef _WIN32
std::string TempFolder()
{
    std::mt19937 gen{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto folder = std::filesystem::temp_directory_path() / ("tripsim-" + std::to_string(gen()));
        std::error_code ec;
        if (std::filesystem::create_directory(folder, ec))
            return folder.string();
    }
    throw std::runtime_error("cannot create a temporary folder");
}

namespace {
// On Windows the restore points live in %APPDATA%\tripconf\restore-points.
constexpr const char* kDataHome = "APPDATA";
void SetEnv(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }
void UnsetEnv(const char* name) { _putenv_s(name, ""); }
} // namespace
#else
std::string TempFolder()
{
    std::string pattern = (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : std::string("/tmp")) + "/tripsim-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    return pattern;
}

namespace {
constexpr const char* kDataHome = "XDG_DATA_HOME";
void SetEnv(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }
void UnsetEnv(const char* name) { unsetenv(name); }
} // namespace
#endif

void TempRestorePoints::UseAsDataHome()
{
    if (!dataHomeSet_) {
        if (const char* old = std::getenv(kDataHome))
            previousDataHome_ = old;
        dataHomeSet_ = true;
    }
    SetEnv(kDataHome, dataHome);
}

TempRestorePoints::~TempRestorePoints()
{
    if (dataHomeSet_) {
        if (previousDataHome_)
            SetEnv(kDataHome, *previousDataHome_);
        else
            UnsetEnv(kDataHome);
    }
    std::error_code ec;
    std::filesystem::remove_all(dataHome, ec);
}

#ifndef _WIN32 // tripsim and the programs the tests start run on Linux only
namespace {

pid_t Spawn(const std::vector<std::string>& argv, int outFd, int errFd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    if (errFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

std::string ReadAll(int fd)
{
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        text.append(buf, static_cast<std::size_t>(n));
    return text;
}

} // namespace

Tripsim::Tripsim(std::vector<std::string> options, const std::vector<std::uint8_t>& memory)
    : folder_(TempFolder()), link_(folder_ + "/link")
{
    if (!memory.empty()) {
        std::ofstream out(MemoryFile(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(memory.data()), static_cast<std::streamsize>(memory.size()));
    }
    std::vector<std::string> argv{TRIPSIM_PATH, "--link", link_, "--memory", MemoryFile(), "--exit-with-parent"};
    argv.insert(argv.end(), options.begin(), options.end());
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    pid_ = Spawn(argv, fds[1], -1);
    close(fds[1]);
    // The simulator prints its link once the pty is ready: that is the signal to go.
    std::string line;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        line.push_back(c);
    close(fds[0]);
    if (line != link_)
        throw std::runtime_error("tripsim did not start: \"" + line + "\"");
}

PacedLine::PacedLine(sim::SimFaults faults, const std::vector<std::uint8_t>& memory)
    : device(std::make_shared<sim::SimDevice>(memory, 0xC000, std::move(faults)))
{
    ports->AddTimed("/dev/fake0", DeviceResponder(device, device::kCharTime));
    link = std::make_unique<DeviceLink>(ports, ports->clock);
    link->PortNumber = static_cast<std::uint32_t>(link->AddDevicePath("/dev/fake0"));
}

void Tripsim::Stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
}

Tripsim::~Tripsim()
{
    Stop();
    std::remove(MemoryFile().c_str());
    std::remove(link_.c_str());
    rmdir(folder_.c_str());
}

std::vector<std::uint8_t> Tripsim::ReadMemoryFile() const
{
    std::ifstream in(MemoryFile(), std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void ReadDecoded(const Tripsim& sim, DeviceLink& link, SettingsModel& model)
{
    link.PortNumber = static_cast<std::uint32_t>(link.AddDevicePath(sim.Link()));
    TransferObserver observer;
    if (ReadDeviceSettings(link, model, observer) != TransferResult::Done)
        throw std::runtime_error("read cancelled");
    model.DecodeAll(Language::Russian);
}

int RunProgram(const std::vector<std::string>& argv, std::string* errorText, std::string* outputText)
{
    int err[2], out[2];
    if (pipe2(err, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    const pid_t pid = Spawn(argv, out[1], err[1]);
    close(err[1]);
    close(out[1]);
    // Both pipes at once, so that neither can fill up while the other is read.
    std::string texts[2];
    pollfd fds[2] = {{err[0], POLLIN, 0}, {out[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                texts[i].append(buf, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const auto& f : fds)
        if (f.fd >= 0)
            close(f.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    if (errorText)
        *errorText = texts[0];
    if (outputText)
        *outputText = texts[1];
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

RunningProgram::RunningProgram(const std::vector<std::string>& argv, bool stderrOnTerminal)
{
    int readEnd = -1, writeEnd = -1;
    if (stderrOnTerminal) {
        readEnd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (readEnd < 0 || grantpt(readEnd) != 0 || unlockpt(readEnd) != 0)
            throw std::runtime_error("cannot create a pseudo-terminal");
        writeEnd = open(ptsname(readEnd), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (writeEnd < 0)
            throw std::runtime_error("cannot open the pseudo-terminal");
        termios t{};
        tcgetattr(writeEnd, &t);
        cfmakeraw(&t);
        tcsetattr(writeEnd, TCSANOW, &t);
    } else {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        readEnd = fds[0];
        writeEnd = fds[1];
    }
    const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid_ = Spawn(argv, devNull, writeEnd);
    close(writeEnd);
    close(devNull);
    errFd_ = readEnd;
}

RunningProgram::~RunningProgram()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        Wait();
    }
    if (errFd_ >= 0)
        close(errFd_);
}

std::string RunningProgram::ReadLine()
{
    std::string line;
    char c;
    while (read(errFd_, &c, 1) == 1 && c != '\n')
        line.push_back(c);
    return line;
}

std::string RunningProgram::ReadUntil(const std::string& text)
{
    std::string seen;
    char c;
    // A pseudo-terminal whose program has ended reports an error instead of the end.
    while (seen.find(text) == std::string::npos && read(errFd_, &c, 1) == 1)
        seen.push_back(c);
    return seen;
}

void RunningProgram::Signal(int sig)
{
    kill(pid_, sig);
}

int RunningProgram::Wait(std::string* restOfErrors)
{
    const std::string rest = ReadAll(errFd_);
    if (restOfErrors)
        *restOfErrors = rest;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

#endif

} // namespace tc::test
