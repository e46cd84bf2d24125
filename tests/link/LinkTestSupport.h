#pragma once
// Test doubles for the device link: an in-process line to a simulated device,
// a port system of such lines, and the tripsim process on a real pty.
#include "SimDevice.h"
#include "link/ByteChannel.h"
#include "link/IniAccess.h"
#include "model/RestorePoints.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tc::test {

// What the fake line saw and how it answers.
struct LineLog {
    std::vector<std::vector<std::uint8_t>> written; // every Write, in order
    std::vector<LineSettings> lines;                // every ApplyLine
    bool dtr = false;
    int purgedInput = 0;
};

// Answers each request frame with whatever the responder returns.
class FakeChannel final : public ByteChannel {
public:
    using Responder = std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>& request)>;
    FakeChannel(std::shared_ptr<LineLog> log, Responder responder) : log_(std::move(log)), responder_(std::move(responder)) {}

    std::uint32_t ApplyLine(const LineSettings& line) override
    {
        log_->lines.push_back(line);
        return line.baudRate;
    }
    void Write(std::span<const std::uint8_t> bytes) override
    {
        log_->written.emplace_back(bytes.begin(), bytes.end());
        if (responder_)
            for (auto b : responder_(log_->written.back()))
                pending_.push_back(b);
    }
    std::size_t Read(std::span<std::uint8_t> into, std::chrono::microseconds) override
    {
        // A silent line returns at once; the protocol's deadline ends the wait.
        std::size_t n = 0;
        while (n < into.size() && !pending_.empty()) {
            into[n++] = pending_.front();
            pending_.pop_front();
        }
        return n;
    }
    void PurgeInput() override
    {
        ++log_->purgedInput;
        pending_.clear();
    }
    void PurgeOutput() override {}
    void SetDTR(bool on) override { log_->dtr = on; }
    void SetRTS(bool) override {}

private:
    std::shared_ptr<LineLog> log_;
    Responder responder_;
    std::deque<std::uint8_t> pending_;
};

// A responder that feeds a simulated device byte by byte, as the pty would.
inline FakeChannel::Responder DeviceResponder(std::shared_ptr<sim::SimDevice> device)
{
    auto assembler = std::make_shared<sim::FrameAssembler>();
    return [device, assembler](const std::vector<std::uint8_t>& request) {
        std::vector<std::uint8_t> out;
        for (auto& frame : assembler->Feed(request)) {
            auto reply = device->Handle(frame);
            out.insert(out.end(), reply.begin(), reply.end());
        }
        return out;
    };
}

// Devices by path: present or absent, free or held by someone else.
class FakePorts final : public PortSystem {
public:
    struct Port {
        bool busy = false;
        FakeChannel::Responder responder;
    };
    std::vector<std::string> order;       // what ListDevices reports
    std::map<std::string, Port> ports;    // every existing device, listed or not
    std::shared_ptr<LineLog> log = std::make_shared<LineLog>();
    std::string lastOpened;

    void Add(const std::string& path, FakeChannel::Responder responder = {}, bool busy = false, bool listed = true)
    {
        ports[path] = Port{busy, std::move(responder)};
        if (listed)
            order.push_back(path);
    }
    std::vector<std::string> ListDevices() override { return order; }
    bool Exists(const std::string& path) override { return ports.count(path) > 0; }
    bool Probe(const std::string& path) override
    {
        auto it = ports.find(path);
        return it != ports.end() && !it->second.busy;
    }
    std::unique_ptr<ByteChannel> Open(const std::string& path) override
    {
        if (!Probe(path))
            return nullptr;
        lastOpened = path;
        return std::make_unique<FakeChannel>(log, ports[path].responder);
    }
};

class MemoryIni final : public IniAccess {
public:
    std::map<std::string, std::string> values; // "section/key" -> text

    int ReadInteger(const std::string& s, const std::string& k, int fallback) override
    {
        auto it = values.find(s + "/" + k);
        return it == values.end() ? fallback : std::stoi(it->second);
    }
    void WriteInteger(const std::string& s, const std::string& k, int v) override { values[s + "/" + k] = std::to_string(v); }
    std::string ReadString(const std::string& s, const std::string& k, const std::string& fallback) override
    {
        auto it = values.find(s + "/" + k);
        return it == values.end() ? fallback : it->second;
    }
    void WriteString(const std::string& s, const std::string& k, const std::string& v) override { values[s + "/" + k] = v; }
};

// A frame with length and checksum, as the device sends it.
inline std::vector<std::uint8_t> Framed(std::vector<std::uint8_t> body)
{
    body.insert(body.begin(), static_cast<std::uint8_t>(body.size() + 2));
    unsigned sum = 0;
    for (auto b : body)
        sum += b;
    body.push_back(static_cast<std::uint8_t>((256 - sum % 256) % 256));
    return body;
}

// tripsim running on a pty of its own in a fresh temporary folder.
class Tripsim {
public:
    // memory: the device's 8192 bytes to start from (empty: the simulator's own sample).
    explicit Tripsim(std::vector<std::string> options, const std::vector<std::uint8_t>& memory = {});
    ~Tripsim();
    Tripsim(const Tripsim&) = delete;
    Tripsim& operator=(const Tripsim&) = delete;

    const std::string& Link() const { return link_; }
    const std::string& Folder() const { return folder_; }
    std::string MemoryFile() const { return folder_ + "/memory.bin"; }
    std::vector<std::uint8_t> ReadMemoryFile() const;

private:
    std::string folder_, link_;
    int pid_ = -1;
};

std::string TempFolder();

// A restore-point store in a fresh temporary data folder, removed with its files.
struct TempRestorePoints {
    std::string dataHome = TempFolder();
    std::string folder = dataHome + "/tripconf/restore-points";
    RestorePoints store{folder};
    // Points XDG_DATA_HOME here, for the programs this process starts,
    // until this store ends.
    void UseAsDataHome();
    ~TempRestorePoints();

private:
    bool dataHomeSet_ = false;
    std::optional<std::string> previousDataHome_;
};
// Runs a program to its end; returns its exit code and what it wrote on
// stderr (and, when asked, on stdout).
int RunProgram(const std::vector<std::string>& argv, std::string* errorText = nullptr, std::string* outputText = nullptr);

// A program running in the background, its stderr readable line by line.
class RunningProgram {
public:
    explicit RunningProgram(const std::vector<std::string>& argv);
    ~RunningProgram();
    // The next line of its stderr ("" at its end).
    std::string ReadLine();
    void Signal(int sig);
    // Waits for its end; returns the exit code and the rest of its stderr.
    int Wait(std::string* restOfErrors = nullptr);

private:
    int pid_ = -1;
    int errFd_ = -1;
};

} // namespace tc::test
