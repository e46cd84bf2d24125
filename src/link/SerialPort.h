#pragma once
// SerialPort: one serial port of the machine, numbered COM1..COM32, opened
// only for a transfer with the fixed line format of the trip computer.
#include "common/Device.h"
#include "link/ByteChannel.h"
#include "link/IniAccess.h"

#include <functional>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace tc {

constexpr int kMaxPortNumber = 32;
extern const char* const kNoFreePortText; // "Can not find free serial port!"

class SerialPort {
public:
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    std::string SectionName;
    std::string Caption;

    // The window installs these; a headless user leaves them empty.
    std::function<bool(const std::string&)> AskYesNo;    // Yes = true; none installed counts as No
    std::function<void()> WhileWaiting;                  // keeps the windows alive inside waits

    // Scans the ports; with none free, PortNumber stays 0 (FreePortCount tells).
    explicit SerialPort(std::shared_ptr<PortSystem> system = DefaultPortSystem());
    virtual ~SerialPort();

    std::uint32_t FreePortCount = 0;
    std::array<bool, kMaxPortNumber + 1> FreePorts{}; // index 1..32
    bool Opened = false;
    std::string OpenFailure; // why the last OpenPort could not open its port ("" when it did)
    std::uint32_t PortNumber = 0;
    std::uint32_t BaudRate = device::kBaudRate;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 2;

    bool PortExists(int n);
    std::uint8_t ScanPorts();
    int FirstFreePort() const;
    // Why port n cannot be opened now (in use, not a serial device, ...), in
    // `language`; "" when it can. Tries an open and closes again at once.
    std::string OpenRefusal(int n, Language language);
    bool IsOpen() const { return channel_ != nullptr; }
    // Throws tc::Error(kNoFreePortText) when no port is free; a port the
    // system refuses leaves the port closed without a word (the next
    // exchange reports no link); OpenFailure says why, in `language`.
    void OpenPort(int n, Language language);
    virtual void ClosePort();
    void SetBaudRate(std::uint32_t b);
    void SetByteSize(std::uint8_t b);
    void SetParity(std::uint8_t p);
    void SetStopBits(std::uint8_t s);
    void SetDTR();
    void SetRTS();
    void ClearRTS();
    virtual void PurgeInput();
    virtual void PurgeOutput();

    // The device behind COMn after the last scan ("" when none).
    const std::string& PortPath(int n) const;
    // Makes an explicit device (a pseudo-terminal, a by-id name) reachable as
    // a COM number from now on; rescans and returns its number, 0 when the
    // device does not exist or all 32 numbers are taken.
    int AddDevicePath(const std::string& path);
    // The COM number of a device path after the last scan, 0 when absent.
    int NumberOfPath(const std::string& path) const;

    // "Port" and "Device" of SectionName; tries the port (OpenPort).
    virtual void LoadSettings(IniAccess& ini, Language language);
    virtual void SaveSettings(IniAccess& ini);

protected:
    bool Ask(const std::string& text) { return AskYesNo ? AskYesNo(text) : false; }
    void Idle()
    {
        if (WhileWaiting)
            WhileWaiting();
    }
    ByteChannel* Channel() { return channel_.get(); }

private:
    std::shared_ptr<PortSystem> system_;
    std::unique_ptr<ByteChannel> channel_;
    std::array<std::string, kMaxPortNumber + 1> paths_{};
    std::vector<std::string> extraDevices_;
};

} // namespace tc
