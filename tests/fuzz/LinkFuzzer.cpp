// The device link and both transfers against the simulated trip computer on
// an in-process line whose replies the input spoils: dropped, corrupted, cut
// short, busy, late, doubled (the copy right behind the reply) or wrapped in
// noise. A read either yields the
// device's memory exactly or fails with a user message; a write either leaves
// exactly the new settings in the device or fails with a user message.
//
// The line runs on a virtual clock, which the link is given: a wait on the
// line moves the clock on at once, so the link's real timeouts cost nothing
// and every run replays exactly.
#include "FuzzSupport.h"

#include "SimDevice.h"
#include "common/Error.h"
#include "link/Transfers.h"
#include "model/ReferenceLayout.h"
#include "model/RestorePoints.h"
#include "model/SettingsFile.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <deque>
#include <memory>


namespace {

// The line's time in nanoseconds: a wait on the line moves it on.
thread_local std::int64_t t_nowNs = 1'000'000'000;

} // namespace

namespace tc::fuzz {
namespace {

constexpr std::int64_t kMs = 1'000'000;

// The link's clock is the line's time.
class LineClock final : public tc::Clock {
public:
    TimePoint Now() const override { return TimePoint(std::chrono::nanoseconds(t_nowNs)); }
    void SleepUntil(TimePoint until) override
    {
        t_nowNs = std::max(t_nowNs, static_cast<std::int64_t>(
                                        std::chrono::duration_cast<std::chrono::nanoseconds>(until.time_since_epoch()).count()));
    }
};

// The simulated device at the far end of a line that spoils its replies as
// the input says. Bytes arrive at virtual times; a purge drops only what has
// arrived, as a real line's would.
class FaultyLine {
public:
    FaultyLine(Choices& faults, std::vector<std::uint8_t> memory) : faults_(faults), device_(std::move(memory), 0xC000) {}

    sim::SimDevice& Device() { return device_; }

    void Write(std::span<const std::uint8_t> bytes)
    {
        for (auto& frame : assembler_.Feed(bytes))
            Answer(device_.Handle(frame));
    }

    std::size_t Read(std::span<std::uint8_t> into, std::chrono::microseconds wait)
    {
        if (into.empty())
            return 0;
        // Even a read that finds nothing takes a moment: a deadline is passed, not just reached.
        t_nowNs += 1000;
        if (Due() == 0) {
            const std::int64_t until = t_nowNs + wait.count() * 1000;
            const std::int64_t next = NextArrival();
            t_nowNs = next >= 0 && next <= until ? next : until;
        }
        std::size_t n = 0;
        while (n < into.size() && !arrivals_.empty() && arrivals_.front().at <= t_nowNs) {
            into[n++] = arrivals_.front().byte;
            arrivals_.pop_front();
        }
        return n;
    }

    void Purge()
    {
        while (!arrivals_.empty() && arrivals_.front().at <= t_nowNs)
            arrivals_.pop_front();
    }

private:
    struct Arrival {
        std::int64_t at;
        std::uint8_t byte;
    };

    // Bytes that arrive together at `at`, or after what is already under way.
    void Send(const std::vector<std::uint8_t>& bytes, std::int64_t at)
    {
        const std::int64_t t = arrivals_.empty() ? at : std::max(at, arrivals_.back().at);
        for (auto b : bytes)
            arrivals_.push_back({t, b});
    }

    std::vector<std::uint8_t> Noise(std::size_t count)
    {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < count; ++i)
            bytes.push_back(faults_.Byte());
        return bytes;
    }

    void Answer(std::vector<std::uint8_t> reply)
    {
        if (reply.empty())
            return;
        const std::int64_t sent = t_nowNs + kMs;
        if (faults_.Empty()) { // the input is used up: a clean line from here on
            Send(reply, sent);
            return;
        }
        const std::uint8_t op = faults_.Byte();
        const std::uint8_t param = faults_.Byte();
        const std::int64_t now = sent; // after the device's own turnaround
        switch (op % 12) {
        case 0: // dropped
            return;
        case 1: // corrupted
            reply[param % reply.size()] ^= static_cast<std::uint8_t>(1 + param / 2 % 255);
            break;
        case 2: // cut short
            reply.resize(param % reply.size());
            break;
        case 3: // busy
            reply.resize(6);
            reply[0] = 6;
            reply[4] = 255;
            reply[5] = 0;
            for (int i = 0; i < 5; ++i)
                reply[5] = static_cast<std::uint8_t>(reply[5] - reply[static_cast<std::size_t>(i)]);
            break;
        case 4: // late, by up to about a second
            Send(reply, now + static_cast<std::int64_t>(param) * 4 * kMs);
            return;
        case 5: // doubled: the copy comes in the same burst as the reply
            Send(reply, now);
            Send(reply, now);
            return;
        case 6: // noise before
            Send(Noise(param % 16 + 1), now);
            break;
        case 7: // noise after
            Send(reply, now);
            Send(Noise(param % 16 + 1), now + static_cast<std::int64_t>(param / 16) * kMs);
            return;
        default:
            break;
        }
        Send(reply, now);
    }

    std::size_t Due() const
    {
        return !arrivals_.empty() && arrivals_.front().at <= t_nowNs ? 1 : 0;
    }
    std::int64_t NextArrival() const { return arrivals_.empty() ? -1 : arrivals_.front().at; }

    Choices& faults_;
    sim::SimDevice device_;
    sim::FrameAssembler assembler_;
    std::deque<Arrival> arrivals_;
};

class LineChannel final : public ByteChannel {
public:
    explicit LineChannel(FaultyLine& line) : line_(line) {}
    std::uint32_t ApplyLine(const LineSettings& settings) override { return settings.baudRate; }
    void Write(std::span<const std::uint8_t> bytes) override { line_.Write(bytes); }
    std::size_t Read(std::span<std::uint8_t> into, std::chrono::microseconds wait) override { return line_.Read(into, wait); }
    void PurgeInput() override { line_.Purge(); }
    void PurgeOutput() override {}
    void SetDTR(bool) override {}
    void SetRTS(bool) override {}

private:
    FaultyLine& line_;
};

class LinePorts final : public PortSystem {
public:
    explicit LinePorts(FaultyLine& line) : line_(line) {}
    std::shared_ptr<tc::Clock> clock = std::make_shared<LineClock>();
    std::vector<std::string> ListDevices() override { return {"/dev/fuzz"}; }
    bool Exists(const std::string&) override { return true; }
    bool Probe(const std::string&) override { return true; }
    std::unique_ptr<ByteChannel> Open(const std::string&) override { return std::make_unique<LineChannel>(line_); }

private:
    FaultyLine& line_;
};

// Gives up connecting after a few attempts, as a user would; goes on after a
// block or section that failed its attempts as often as told.
struct Patience final : TransferObserver {
    int asks = 0;
    int goOn = 0;
    bool CancelRequested() override { return ++asks > 4; }
    bool ContinueAfterFailure(const std::string&) override { return goOn-- > 0; }
};

void Read(FaultyLine& line, const std::shared_ptr<LinePorts>& ports, int goOn)
{
    DeviceLink link(ports, ports->clock);
    SettingsModel model = FreshModel();
    const auto before = model.Image;
    Patience patience;
    patience.goOn = goOn;
    try {
        if (ReadDeviceSettings(link, model, patience) == TransferResult::Done) {
            FUZZ_REQUIRE(model.Image == ImageFromMemory(line.Device().Memory()));
            FUZZ_REQUIRE(model.DeviceModelCode == 0xC000);
            return;
        }
    } catch (const Error&) {
    }
    FUZZ_REQUIRE(model.Image == before); // a read that did not finish changes nothing
}

// The settings to write: the device's own with a changed trip price.
SettingsModel EditedSettings(const std::vector<std::uint8_t>& memory)
{
    SettingsModel model = FreshModel();
    model.Image = ImageFromMemory(memory);
    model.DeviceModelCode = 0xC000;
    model.DecodeAll(Language::Russian);
    model.Record(7)[0] ^= 0x5A;
    model.Record(9)[3] ^= 0x11;
    return model;
}

void Write(FaultyLine& line, const std::shared_ptr<LinePorts>& ports, int goOn)
{
    // What a clean line leaves in the device.
    Choices none(nullptr, 0);
    FaultyLine clean(none, line.Device().Memory());
    auto cleanPorts = std::make_shared<LinePorts>(clean);
    static const RestorePoints points(ScratchFile("restore-points"));
    const std::vector<std::uint8_t> before = line.Device().Memory();
    {
        DeviceLink link(cleanPorts, cleanPorts->clock);
        SettingsModel model = EditedSettings(before);
        Patience patience;
        FUZZ_REQUIRE(WriteDeviceSettings(link, model, patience, points) == TransferResult::Done);
    }

    DeviceLink link(ports, ports->clock);
    SettingsModel model = EditedSettings(before);
    Patience patience;
    patience.goOn = goOn;
    try {
        if (WriteDeviceSettings(link, model, patience, points) == TransferResult::Done)
            FUZZ_REQUIRE(line.Device().Memory() == clean.Device().Memory());
    } catch (const WriteIncomplete& e) {
        // The restore point holds the settings the device had before.
        SettingsModel restored = FreshModel();
        restored.Image.clear();
        ReadSettingsFile(restored, e.restorePoint, Language::Russian);
        FUZZ_REQUIRE(restored.Image == ImageFromMemory(before));
    } catch (const Error&) {
    }
    for (const auto& point : points.List())
        std::remove(point.path.c_str());
}

} // namespace
} // namespace tc::fuzz

// Input: one option byte (bit 0: write instead of read; bit 1: go on up to
// 8 times after a block or section that failed its attempts), then two bytes
// for each reply: what happens to it and by how much.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tc;
    static const std::vector<std::uint8_t> memory = sim::SampleMemory();
    fuzz::Choices faults(data, size);
    const std::uint8_t options = faults.Byte();
    fuzz::FaultyLine line(faults, memory);
    auto ports = std::make_shared<fuzz::LinePorts>(line);
    const int goOn = options & 2 ? 8 : 0;
    if (options & 1)
        fuzz::Write(line, ports, goOn);
    else
        fuzz::Read(line, ports, goOn);
    return 0;
}
