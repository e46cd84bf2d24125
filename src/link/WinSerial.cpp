// The Win32 serial backend: COM1..COM32 through the communications
// functions of the Windows API (CreateFile on the port's device name,
// GetCommState/SetCommState, SetupComm, SetCommTimeouts, EscapeCommFunction,
// PurgeComm, ReadFile/WriteFile, CloseHandle). The waits are measured with
// the standard steady clock, with the same guarantees as the POSIX backend.
#include "link/ByteChannel.h"

#include "common/Language.h"
#include "common/WinSystem.h"

#include <algorithm>
#include <cctype>
#include <thread>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace tc {

namespace {

// The driver's queues and the read and write timeouts the port is opened
// with: a read that finds nothing returns after about 1 ms, so every wait of
// the protocol is built on top of it without sleeping past the first byte.
constexpr DWORD kQueueSize = 1048576;
constexpr DWORD kReadInterval = 1;
constexpr DWORD kReadTotalConstant = 1;
constexpr DWORD kWriteTotalConstant = 1;

using win::SystemReason;
using win::Wide;

// "COMn" (any case, with or without the "\\.\" or "\\?\" prefix) → n; 0 for
// any other name.
int ComNumber(const std::string& path)
{
    std::string name = path;
    for (const char* prefix : {"\\\\.\\", "\\\\?\\", "//./", "//?/"})
        if (name.rfind(prefix, 0) == 0) {
            name = name.substr(4);
            break;
        }
    if (name.size() < 4 || name.size() > 6)
        return 0;
    for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i])
            return 0;
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

// The name CreateFile takes for COMn: the documented "\\.\COMn", which
// reaches COM10 and above too (the plain "COMn" only reaches COM1..COM9).
std::wstring DeviceName(const std::string& path)
{
    const int n = ComNumber(path);
    return Wide(n > 0 ? "\\\\.\\COM" + std::to_string(n) : path);
}

// Held while one of our programs has COMn open. The Windows serial driver
// refuses a second open by itself; wine's does not, so without this two of
// our programs could share a port there.
std::wstring HolderName(const std::string& path)
{
    return Wide("tripconf-port-COM" + std::to_string(ComNumber(path)));
}

bool HeldByUs(const std::string& path)
{
    const HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, HolderName(path).c_str());
    if (m == nullptr)
        return false;
    CloseHandle(m);
    return true;
}

class WinChannel final : public ByteChannel {
public:
    WinChannel(HANDLE handle, HANDLE holder) : handle_(handle), holder_(holder) {}
    ~WinChannel() override
    {
        CloseHandle(handle_);
        CloseHandle(holder_);
    }

    std::uint32_t ApplyLine(const LineSettings& line) override
    {
        // Only these four fields change; flow control and the rest of the
        // device-control block stay as the driver reports them.
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(handle_, &dcb))
            return 0;
        dcb.BaudRate = line.baudRate;
        dcb.ByteSize = line.byteSize;
        dcb.Parity = line.parity == 1 ? ODDPARITY : line.parity == 2 ? EVENPARITY : NOPARITY;
        dcb.StopBits = line.stopBits == 0 ? ONESTOPBIT : line.stopBits == 1 ? ONE5STOPBITS : TWOSTOPBITS;
        dcb.fBinary = TRUE;
        SetCommState(handle_, &dcb);
        DCB back{};
        back.DCBlength = sizeof back;
        if (!GetCommState(handle_, &back))
            return 0;
        return back.BaudRate;
    }

    void Write(std::span<const std::uint8_t> bytes) override
    {
        using Clock = std::chrono::steady_clock;
        std::size_t done = 0;
        auto giveUp = Clock::now() + device::kWriteStall;
        while (done < bytes.size()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 65536));
            const BOOL ok = WriteFile(handle_, bytes.data() + done, chunk, &written, nullptr);
            if (written > 0) {
                done += written;
                giveUp = Clock::now() + device::kWriteStall;
                continue;
            }
            if (!ok)
                ClearErrors();
            if (Clock::now() >= giveUp)
                return; // the count written is not checked by the protocol either
            if (!ok)
                std::this_thread::sleep_for(device::kIdleSlice); // a port that fails at once does not spin
        }
    }

    std::size_t Read(std::span<std::uint8_t> into, std::chrono::microseconds wait) override
    {
        if (into.empty())
            return 0;
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::max(wait, std::chrono::microseconds::zero());
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(into.size(), 65536));
        for (;;) {
            // Each read returns after about 1 ms without input, or as soon as
            // a reply pauses for 1 ms: the first byte is taken within a
            // millisecond of its arrival.
            DWORD got = 0;
            if (ReadFile(handle_, into.data(), size, &got, nullptr)) {
                if (got > 0)
                    return got;
            } else {
                // An unplugged adapter or a line error: behave like a silent
                // line for the rest of the wait, as the POSIX backend does.
                ClearErrors();
                std::this_thread::sleep_until(deadline);
                return 0;
            }
            if (Clock::now() >= deadline)
                return 0;
        }
    }

    void PurgeInput() override { PurgeComm(handle_, PURGE_RXCLEAR); }
    void PurgeOutput() override { PurgeComm(handle_, PURGE_TXCLEAR); }
    void SetDTR(bool on) override { EscapeCommFunction(handle_, on ? SETDTR : CLRDTR); }
    void SetRTS(bool on) override { EscapeCommFunction(handle_, on ? SETRTS : CLRRTS); }

private:
    // After a framing or overrun error the driver may refuse reads until
    // the error is collected.
    void ClearErrors()
    {
        DWORD errors = 0;
        ClearCommError(handle_, &errors, nullptr);
    }

    HANDLE handle_;
    HANDLE holder_;
};

class WinPorts final : public ExplainingPortSystem {
public:
    // The numbers are the ports' own: COMn is entry n.
    std::vector<std::string> ListDevices() override
    {
        std::vector<std::string> out;
        for (int n = 1; n <= 32; ++n)
            out.push_back("COM" + std::to_string(n));
        return out;
    }

    bool Exists(const std::string& path) override
    {
        const int n = ComNumber(path);
        if (n <= 0)
            return false;
        wchar_t target[512];
        return QueryDosDeviceW(Wide("COM" + std::to_string(n)).c_str(), target, 512) != 0;
    }

    // Free means that an open without access rights and without sharing
    // works: a port that this or another program holds refuses it.
    bool Probe(const std::string& path) override
    {
        if (ComNumber(path) <= 0 || HeldByUs(path))
            return false;
        const HANDLE h = CreateFileW(DeviceName(path).c_str(), 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE || h == nullptr)
            return false;
        CloseHandle(h);
        return true;
    }

    std::unique_ptr<ByteChannel> OpenOrSayWhy(const std::string& path, Language language, std::string& refusal) override
    {
        if (ComNumber(path) <= 0) {
            refusal = NotSerialDeviceText(path, language);
            return nullptr;
        }
        const HANDLE holder = CreateMutexW(nullptr, FALSE, HolderName(path).c_str());
        if (holder == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
            if (holder != nullptr)
                CloseHandle(holder);
            refusal = PortInUseText(path, language);
            return nullptr;
        }
        const HANDLE h = CreateFileW(DeviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE || h == nullptr) {
            const DWORD err = GetLastError();
            CloseHandle(holder);
            refusal = err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION
                          ? PortInUseText(path, language)
                          : CannotOpenText(path, SystemReason(err), language);
            return nullptr;
        }
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(h, &dcb)) { // a file or a device that is no serial port
            CloseHandle(h);
            CloseHandle(holder);
            refusal = NotSerialDeviceText(path, language);
            return nullptr;
        }
        SetupComm(h, kQueueSize, kQueueSize);
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = kReadInterval;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = kReadTotalConstant;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = kWriteTotalConstant;
        SetCommTimeouts(h, &timeouts);
        return std::make_unique<WinChannel>(h, holder);
    }

    std::string Canonical(const std::string& path) override
    {
        const int n = ComNumber(path);
        return n > 0 ? "COM" + std::to_string(n) : path;
    }
};

} // namespace

std::shared_ptr<PortSystem> DefaultPortSystem()
{
    static auto system = std::make_shared<WinPorts>();
    return system;
}

} // namespace tc
