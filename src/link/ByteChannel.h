#pragma once
// The byte channel under the device protocol: one open serial line (a real
// port, a pseudo-terminal or an in-process fake) that moves raw bytes.
#include "common/Device.h"
#include "common/Language.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tc {

// Line format: parity 0 none (1 odd, 2 even); stop bits 0 one, 1 one and a
// half, 2 two. The device talks 115200 baud, 8 data bits, no parity, 2 stop
// bits.
struct LineSettings {
    std::uint32_t baudRate = device::kBaudRate;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 2;
};

class ByteChannel {
public:
    virtual ~ByteChannel() = default;

    // Applies the line format; returns the speed the driver accepted (0 when
    // it cannot tell, as on a pseudo-terminal).
    virtual std::uint32_t ApplyLine(const LineSettings& line) = 0;
    // Sends every byte, or as many as the line takes within a short while.
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    // Waits at most `wait` for input and returns how many bytes it stored (0: none came).
    virtual std::size_t Read(std::span<std::uint8_t> into, std::chrono::microseconds wait) = 0;
    virtual void PurgeInput() = 0;
    virtual void PurgeOutput() = 0;
    virtual void SetDTR(bool on) = 0;
    virtual void SetRTS(bool on) = 0;
};

// User texts for a device that cannot be opened.
std::string PortInUseText(const std::string& path, Language language);
std::string NotSerialDeviceText(const std::string& path, Language language);
// The system refused the device for `reason` (its own error text).
std::string CannotOpenText(const std::string& path, const std::string& reason, Language language);
// The device exists but the user may not open it: says what to do (the group dialout).
std::string NoPermissionText(const std::string& path, Language language);

// The machine's serial devices as the port layer sees them.
class PortSystem {
public:
    virtual ~PortSystem() = default;
    // Serial devices in the stable order that numbers them COM1, COM2, ...
    virtual std::vector<std::string> ListDevices() = 0;
    // True when the path names a terminal device, free or not.
    virtual bool Exists(const std::string& path) = 0;
    // True when the device exists and nobody holds it open.
    virtual bool Probe(const std::string& path) = 0;
    // Opens the device for exclusive use; nullptr when the system refuses.
    virtual std::unique_ptr<ByteChannel> Open(const std::string& path) = 0;
    // Opens like Open; when the system refuses, `refusal` gets the user text
    // (in `language`) that says why (in use, not a serial device, no permission).
    virtual std::unique_ptr<ByteChannel> OpenOrSayWhy(const std::string& path, Language language, std::string& refusal)
    {
        auto channel = Open(path);
        if (!channel)
            refusal = PortInUseText(path, language);
        return channel;
    }
    // The same device seen through any of its names (symlinks resolved).
    virtual std::string Canonical(const std::string& path) { return path; }
};

// A backend that says why it refused an open: Open is OpenOrSayWhy without
// the reason.
class ExplainingPortSystem : public PortSystem {
public:
    std::unique_ptr<ByteChannel> Open(const std::string& path) final
    {
        std::string refusal; // not kept: any language does
        return OpenOrSayWhy(path, Language::English, refusal);
    }
    std::unique_ptr<ByteChannel> OpenOrSayWhy(const std::string& path, Language language, std::string& refusal) override = 0;
};

// The serial backend of the system built for, used by the window, the
// command line and the tests: termios (PosixSerial.cpp) or Win32
// (WinSerial.cpp, ports COM1..COM32 by their own numbers).
std::shared_ptr<PortSystem> DefaultPortSystem();

} // namespace tc
