#pragma once
// DeviceLink: the request-reply protocol to the trip computer over a serial line:
// framing, reply timing, three attempts and the fixed error messages.
#include "link/SerialPort.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace tc {

constexpr std::uint8_t kTripComputerAddress = 244;

// The link's own messages; they do not follow the language switch.
extern const char* const kNoLinkText;       // "RS232. No link. Check PC-device connection."
extern const char* const kDelayInBlockText; // "RS232. Delay within block error."
extern const char* const kExchangeErrorText; // "RS232. Exchange error." + "(n)"
extern const char* const kDeviceBusyText;   // the device answered with status 255
extern const char* const kOnlyOneDeviceText; // asked before an address query on a shared line

class DeviceLink : public SerialPort {
public:
    explicit DeviceLink(std::shared_ptr<PortSystem> system = PosixPortSystem(),
                    std::function<void(const std::string&)> showError = {});

    std::uint8_t PortMode = 0;  // 0 RS232, 1 RS422/RS485 without echo, 2 RS485 with echo
    bool ShortAddress = false;  // no 16-bit word after the address
    bool LongFrame = false;     // two length bytes
    std::uint16_t ByteTimeout = 200;   // ms, for each reply byte after the first
    std::uint16_t ReplyTimeout = 1000; // ms, base wait for the first reply byte

    static constexpr auto kRetryPause = std::chrono::milliseconds(50);

    void SetPortMode(std::uint8_t m) { PortMode = m < 3 ? m : 0; }
    int StatusIndex() const { return 1 + (LongFrame ? 1 : 0) + 1 + (ShortAddress ? 0 : 2); }

    bool CheckReply() override;
    void EndFrame() override;
    void PutChar(std::uint8_t c) override { PutByte(c); }
    std::uint8_t GetChar() override { return GetByte(); }
    std::string GetString() override;
    void BeginRequest(std::uint8_t address, std::uint8_t cmd) override;
    void Execute() override;
    void ExecuteOnce() override;
    void Command(std::uint8_t address, std::uint8_t cmd) override;
    void CommandOnce(std::uint8_t address, std::uint8_t cmd);
    int QueryAddress() override;

    virtual void ReceiveFrame();
    virtual void SendFrame();
    virtual void Transact();

    // The frame as sent by the last SendFrame (length and checksum included).
    std::size_t FrameLength() const;
    // The length the reply in RxBuffer states for itself (its first one or two bytes).
    std::size_t ReplyLength() const;

private:
    void Pause(std::chrono::milliseconds d);
    // Reads into RxBuffer[from, to) with a fresh ByteTimeout for each byte.
    void ReceiveRest(std::size_t from, std::size_t to);
};

} // namespace tc
