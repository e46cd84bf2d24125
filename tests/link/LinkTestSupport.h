#pragma once
// Test doubles for the device link: an in-process line to a simulated device,
// a port system of such lines, and the tripsim process on a real pty.
#include "SimDevice.h"
#include "link/ByteChannel.h"
#include "link/DeviceLink.h"
#include "link/Clock.h"
#include "link/IniAccess.h"
#include "model/RestorePoints.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tc::test {

// What the fake line saw and how it answers.
struct LineLog {
    std::vector<std::vector<std::uint8_t>> written; // every Write, in order
    std::vector<bool> purgedBeforeWrite;            // for each Write: the output was purged since the one before
    std::vector<LineSettings> lines;                // every ApplyLine
    bool dtr = false;
    int purgedInput = 0;
};

// Answers each request frame with whatever the responder returns. Reply
// bytes arrive at the time the responder gives them, on the clock the link
// uses too (a virtual one: a wait moves it on to the next byte due or to
// the wait's end); a purge discards only bytes that have arrived, as on a
// real line.
class FakeChannel final : public ByteChannel {
public:
    using TimePoint = tc::Clock::TimePoint;
    using Responder = std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>& request)>;
    using TimedResponder =
        std::function<std::vector<sim::SimLine::Outgoing>(const std::vector<std::uint8_t>& request, TimePoint now)>;

    FakeChannel(std::shared_ptr<LineLog> log, TimedResponder responder, std::shared_ptr<tc::Clock> clock)
        : log_(std::move(log)), responder_(std::move(responder)), clock_(std::move(clock))
    {
    }

    std::uint32_t ApplyLine(const LineSettings& line) override
    {
        log_->lines.push_back(line);
        return line.baudRate;
    }
    void Write(std::span<const std::uint8_t> bytes) override
    {
        log_->written.emplace_back(bytes.begin(), bytes.end());
        log_->purgedBeforeWrite.push_back(purgedOutput_);
        purgedOutput_ = false;
        if (!responder_)
            return;
        // Bytes arrive in the order of their times.
        for (auto& reply : responder_(log_->written.back(), clock_->Now())) {
            auto at = std::upper_bound(pending_.begin(), pending_.end(), reply.at,
                                       [](TimePoint t, const auto& p) { return t < p.first; });
            for (auto b : reply.bytes)
                at = std::next(pending_.insert(at, {reply.at, b}));
        }
    }
    std::size_t Read(std::span<std::uint8_t> into, std::chrono::microseconds wait) override
    {
        // Waits for the next byte due, but not beyond `wait`.
        if (!Due()) {
            auto until = clock_->Now() + wait;
            if (!pending_.empty())
                until = std::min(until, pending_.front().first);
            clock_->SleepUntil(until);
        }
        std::size_t n = 0;
        while (n < into.size() && Due()) {
            into[n++] = pending_.front().second;
            pending_.pop_front();
        }
        return n;
    }
    void PurgeInput() override
    {
        ++log_->purgedInput;
        while (Due())
            pending_.pop_front();
    }
    void PurgeOutput() override { purgedOutput_ = true; }
    void SetDTR(bool on) override { log_->dtr = on; }
    void SetRTS(bool) override {}

private:
    bool Due() const { return !pending_.empty() && pending_.front().first <= clock_->Now(); }

    std::shared_ptr<LineLog> log_;
    TimedResponder responder_;
    std::shared_ptr<tc::Clock> clock_;
    std::deque<std::pair<TimePoint, std::uint8_t>> pending_;
    bool purgedOutput_ = false;
};

// A responder whose replies arrive at once.
inline FakeChannel::TimedResponder AtOnce(FakeChannel::Responder responder)
{
    if (!responder)
        return {};
    return [responder](const std::vector<std::uint8_t>& request, FakeChannel::TimePoint now) {
        return std::vector<sim::SimLine::Outgoing>{{now, responder(request)}};
    };
}

// The simulated device behind the line, with its timing (late blocks, the
// order of replies) as tripsim has it on a pseudo-terminal. With a character
// time the line takes its time as at 115200 baud (a reply arrives once its
// last byte has), else replies arrive at once.
inline FakeChannel::TimedResponder DeviceResponder(std::shared_ptr<sim::SimDevice> device,
                                                   std::chrono::nanoseconds charTime = {})
{
    auto line = std::make_shared<sim::SimLine>(*device, charTime);
    return [device, line, charTime](const std::vector<std::uint8_t>& request, FakeChannel::TimePoint now) {
        auto replies = line->Receive(request, now);
        for (auto& r : replies)
            r.at += charTime * static_cast<long>(r.bytes.size());
        return replies;
    };
}

// The sample memory with the last byte of every block telling its number,
// so that a block taken for its neighbour cannot go unnoticed.
inline std::vector<std::uint8_t> DistinctMemory()
{
    std::vector<std::uint8_t> memory = sim::SampleMemory();
    for (std::size_t block = 2; block < device::kBlockCount; ++block)
        if (block != device::kBlocksPerHalf)
            memory[block * device::kBlockSize + device::kBlockSize - 1] = static_cast<std::uint8_t>(block);
    return memory;
}

// Devices by path: present or absent, free or held by someone else.
class FakePorts final : public PortSystem {
public:
    struct Port {
        bool busy = false;
        FakeChannel::TimedResponder responder;
    };
    std::vector<std::string> order;       // what ListDevices reports
    std::map<std::string, Port> ports;    // every existing device, listed or not
    std::shared_ptr<LineLog> log = std::make_shared<LineLog>();
    // The lines' time: give the same clock to the link (DeviceLink(ports, ports->clock)).
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    std::string lastOpened;

    void AddTimed(const std::string& path, FakeChannel::TimedResponder responder, bool busy = false, bool listed = true)
    {
        ports[path] = Port{busy, std::move(responder)};
        if (listed)
            order.push_back(path);
    }
    void Add(const std::string& path, FakeChannel::Responder responder = {}, bool busy = false, bool listed = true)
    {
        AddTimed(path, AtOnce(std::move(responder)), busy, listed);
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
        return std::make_unique<FakeChannel>(log, ports[path].responder, clock);
    }
};

// The in-process unit (model 0xC000) behind a line paced at 115200 baud, on
// the virtual clock: the link's real timeouts, no real waits.
struct PacedLine {
    std::shared_ptr<sim::SimDevice> device;
    std::shared_ptr<FakePorts> ports = std::make_shared<FakePorts>();
    std::unique_ptr<DeviceLink> link;

    explicit PacedLine(sim::SimFaults faults, const std::vector<std::uint8_t>& memory = sim::SampleMemory());
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
    // Ends the simulator: its link goes, its folder and memory file stay.
    void Stop();

private:
    std::string folder_, link_;
    int pid_ = -1;
};

std::string TempFolder();

// Points `link` at tripsim's line, reads the unit's settings into `model`
// and decodes them (throws when the read did not end whole).
void ReadDecoded(const Tripsim& sim, DeviceLink& link, SettingsModel& model);

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

// A program running in the background, its stderr readable as it comes:
// through a pipe, or on a pseudo-terminal of its own (raw, so that every byte
// arrives as written) for a program that behaves differently on a terminal.
class RunningProgram {
public:
    explicit RunningProgram(const std::vector<std::string>& argv, bool stderrOnTerminal = false);
    ~RunningProgram();
    // The next line of its stderr ("" at its end).
    std::string ReadLine();
    // Its stderr up to and including the first occurrence of text (all of it
    // when the program ends first).
    std::string ReadUntil(const std::string& text);
    void Signal(int sig);
    // Waits for its end; returns the exit code and the rest of its stderr.
    int Wait(std::string* restOfErrors = nullptr);

private:
    int pid_ = -1;
    int errFd_ = -1;
};

} // namespace tc::test
