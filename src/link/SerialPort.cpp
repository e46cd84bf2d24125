#include "link/SerialPort.h"

#include "common/Error.h"
#include "common/Language.h"

#include <algorithm>

namespace tc {

const char* const kNoFreePortText = "Can not find free serial port!";

std::string PortInUseText(const std::string& path, Language language)
{
    return Tr(language, "Порт " + path + " занят другой программой.", "Port " + path + " is in use by another program.");
}

std::string CannotOpenText(const std::string& path, const std::string& reason, Language language)
{
    return Tr(language, "Не удаётся открыть порт " + path + ": ", "Cannot open port " + path + ": ") + reason;
}

std::string NoPermissionText(const std::string& path, Language language)
{
    return Tr(language, "Нет прав на " + path + ": добавьте себя в группу dialout (sudo usermod -aG dialout $USER) и войдите в систему заново.",
              "No permission for " + path + ": add yourself to the group dialout (sudo usermod -aG dialout $USER), then log in again.");
}

std::string NotSerialDeviceText(const std::string& path, Language language)
{
    return Tr(language, path + " не является последовательным портом.", path + " is not a serial device.");
}

SerialPort::SerialPort(std::shared_ptr<PortSystem> system) : system_(std::move(system))
{
    ScanPorts();
    if (FreePortCount > 0) {
        PortNumber = static_cast<std::uint32_t>(FirstFreePort());
        SectionName = "RS232Base";
    }
}

SerialPort::~SerialPort() = default;

bool SerialPort::PortExists(int n)
{
    if (n < 1 || n > kMaxPortNumber || paths_[static_cast<std::size_t>(n)].empty())
        return false;
    return system_->Probe(paths_[static_cast<std::size_t>(n)]);
}

std::uint8_t SerialPort::ScanPorts()
{
    // A port this object holds would otherwise be counted as taken.
    channel_.reset();
    Opened = false;
    std::vector<std::string> devices = system_->ListDevices();
    for (const auto& extra : extraDevices_) {
        const std::string c = system_->Canonical(extra);
        const bool known = std::any_of(devices.begin(), devices.end(),
                                       [&](const std::string& d) { return system_->Canonical(d) == c; });
        if (!known)
            devices.push_back(extra);
    }
    FreePortCount = 0;
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        const auto i = static_cast<std::size_t>(n);
        paths_[i] = i <= devices.size() ? devices[i - 1] : std::string();
        FreePorts[i] = PortExists(n);
        if (FreePorts[i])
            ++FreePortCount;
    }
    return static_cast<std::uint8_t>(FreePortCount);
}

int SerialPort::FirstFreePort() const
{
    for (int n = 1; n <= kMaxPortNumber; ++n)
        if (FreePorts[static_cast<std::size_t>(n)])
            return n;
    return 0;
}

void SerialPort::OpenPort(int n, Language language)
{
    OpenFailure.clear();
    if (n <= 0)
        return;
    PortNumber = static_cast<std::uint32_t>(n);
    // A number beyond the 32 ports is treated like a port that is not free.
    if (n > kMaxPortNumber || !FreePorts[static_cast<std::size_t>(n)])
        PortNumber = static_cast<std::uint32_t>(FirstFreePort());
    if (PortNumber == 0) {
        OpenFailure = kNoFreePortText;
        throw Error(kNoFreePortText);
    }
    ClosePort();
    channel_ = system_->OpenOrSayWhy(paths_[PortNumber], language, OpenFailure);
    if (!channel_) {
        if (OpenFailure.empty())
            OpenFailure = PortInUseText(paths_[PortNumber], language);
        Opened = false;
        return;
    }
    SetBaudRate(BaudRate);
    SetByteSize(ByteSize);
    SetParity(Parity);
    SetStopBits(StopBits);
    SetDTR();
    PurgeInput();
    Opened = true;
}

std::string SerialPort::OpenRefusal(int n, Language language)
{
    if (n < 1 || n > kMaxPortNumber || paths_[static_cast<std::size_t>(n)].empty())
        return kNoFreePortText;
    const std::string& path = paths_[static_cast<std::size_t>(n)];
    std::string refusal;
    if (system_->OpenOrSayWhy(path, language, refusal))
        return {};
    return refusal.empty() ? PortInUseText(path, language) : refusal;
}

void SerialPort::ClosePort()
{
    channel_.reset();
    Opened = false;
}

void SerialPort::SetBaudRate(std::uint32_t b)
{
    BaudRate = b;
    if (!channel_)
        return;
    const std::uint32_t accepted = channel_->ApplyLine({BaudRate, ByteSize, Parity, StopBits});
    if (accepted > 0)
        BaudRate = accepted;
}

void SerialPort::SetByteSize(std::uint8_t b)
{
    ByteSize = b;
    if (channel_)
        channel_->ApplyLine({BaudRate, ByteSize, Parity, StopBits});
}

void SerialPort::SetParity(std::uint8_t p)
{
    Parity = p;
    if (channel_)
        channel_->ApplyLine({BaudRate, ByteSize, Parity, StopBits});
}

void SerialPort::SetStopBits(std::uint8_t s)
{
    StopBits = s;
    if (channel_)
        channel_->ApplyLine({BaudRate, ByteSize, Parity, StopBits});
}

void SerialPort::SetDTR()
{
    if (channel_)
        channel_->SetDTR(true);
}

void SerialPort::SetRTS()
{
    if (channel_)
        channel_->SetRTS(true);
}

void SerialPort::ClearRTS()
{
    if (channel_)
        channel_->SetRTS(false);
}

void SerialPort::PurgeInput()
{
    if (channel_)
        channel_->PurgeInput();
}

void SerialPort::PurgeOutput()
{
    if (channel_)
        channel_->PurgeOutput();
}

const std::string& SerialPort::PortPath(int n) const
{
    static const std::string none;
    if (n < 1 || n > kMaxPortNumber)
        return none;
    return paths_[static_cast<std::size_t>(n)];
}

int SerialPort::NumberOfPath(const std::string& path) const
{
    if (path.empty())
        return 0;
    const std::string c = system_->Canonical(path);
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        const auto& p = paths_[static_cast<std::size_t>(n)];
        if (!p.empty() && (p == path || system_->Canonical(p) == c))
            return n;
    }
    return 0;
}

int SerialPort::AddDevicePath(const std::string& path)
{
    if (path.empty() || !system_->Exists(path))
        return 0;
    if (NumberOfPath(path) == 0)
        extraDevices_.push_back(path);
    ScanPorts();
    return NumberOfPath(path);
}

void SerialPort::LoadSettings(IniAccess& ini, Language language)
{
    // The device name wins over the number: it brings the same adapter back
    // even when others were plugged in or removed since.
    const std::string device = ini.ReadString(SectionName, "Device", "");
    int n = NumberOfPath(device);
    if (n == 0 && !device.empty())
        n = AddDevicePath(device);
    if (n == 0)
        n = ini.ReadInteger(SectionName, "Port", static_cast<int>(PortNumber));
    OpenPort(n, language);
}

void SerialPort::SaveSettings(IniAccess& ini)
{
    ini.WriteInteger(SectionName, "Port", static_cast<int>(PortNumber));
    ini.WriteString(SectionName, "Device", PortPath(static_cast<int>(PortNumber)));
}

} // namespace tc
