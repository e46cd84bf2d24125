#include "editor/SettingsCompare.h"

#include "editor/Codecs.h"
#include "editor/EditSession.h"
#include "model/SettingsModel.h"

namespace tc {

namespace {

// What every control shows, and whether it is visible.
std::vector<ShownControl> ShowEvery(const SettingsModel& model)
{
    SettingsModel copy = model;
    std::vector<ShownControl> shown;
    EditSettings(copy, [&](EditSession& s) {
        for (std::size_t i = 0; i < s.Fields().size(); ++i)
            shown.push_back(s.Shown(i));
        return false;
    });
    return shown;
}

// The bits of byte `i` of a control's field that the control stores.
std::uint8_t ByteMask(const Field& f, int i)
{
    if (f.codec != Codec::Bits)
        return 0xFF;
    std::uint8_t mask = 0;
    for (int bit = f.bit; bit < f.bit + f.bitCount; ++bit)
        if (bit / 8 == i)
            mask = static_cast<std::uint8_t>(mask | 1u << (bit % 8));
    return mask;
}

bool StoredBitsDiffer(const Field& f, const SettingsModel& a, const SettingsModel& b)
{
    const auto ra = a.Record(f.record);
    const auto rb = b.Record(f.record);
    for (int i = 0; i < f.Width(); ++i) {
        const auto at = static_cast<std::size_t>(f.offset + i);
        if (at < ra.size() && at < rb.size() && ((ra[at] ^ rb[at]) & ByteMask(f, i)))
            return true;
    }
    return false;
}

} // namespace

std::vector<std::vector<std::uint8_t>> OwnedBits()
{
    std::vector<std::vector<std::uint8_t>> owned(kRecordCount + 1);
    for (int r = 1; r <= kRecordCount; ++r)
        owned[static_cast<std::size_t>(r)].assign(kRecordSizes[static_cast<std::size_t>(r - 1)], 0);
    for (const Field& f : EditorFields()) {
        auto& bytes = owned[static_cast<std::size_t>(f.record)];
        for (int b = 0; b < f.Width(); ++b) {
            const auto at = static_cast<std::size_t>(f.offset + b);
            if (at < bytes.size())
                bytes[at] = static_cast<std::uint8_t>(bytes[at] | ByteMask(f, b));
        }
    }
    return owned;
}

SettingsComparison CompareSettings(const SettingsModel& before, const SettingsModel& after)
{
    SettingsComparison result;
    result.modelDiffers = before.DeviceModelCode != after.DeviceModelCode;
    const auto a = ShowEvery(before);
    const auto b = ShowEvery(after);
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const bool stored = StoredBitsDiffer(*b[i].field, before, after);
        if (a[i].text == b[i].text && a[i].mark == b[i].mark && !stored)
            continue;
        SettingChange change;
        change.field = b[i].field;
        auto parts = SplitCaption(b[i].caption);
        change.caption = std::move(parts.name);
        change.unit = std::move(parts.unit);
        change.before = a[i].text;
        change.after = b[i].text;
        if (change.before == change.after) { // the same shown value from other bytes (1.0505 and 1.05 both show 5.1)
            change.before += " *";
            change.after += " *";
        }
        change.hidden = !a[i].visible && !b[i].visible;
        result.settings.push_back(std::move(change));
    }
    const auto owned = OwnedBits();
    for (int r = 1; r <= kRecordCount; ++r) {
        const auto ra = before.Record(r);
        const auto rb = after.Record(r);
        const auto& mask = owned[static_cast<std::size_t>(r)];
        int differing = 0;
        for (std::size_t i = 0; i < ra.size() && i < rb.size(); ++i)
            differing += ((ra[i] ^ rb[i]) & ~mask[i]) != 0;
        if (differing > 0)
            result.records.push_back({r, differing});
    }
    return result;
}

} // namespace tc
