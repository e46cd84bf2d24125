#include "editor/SettingsCompare.h"

#include "editor/Codecs.h"
#include "editor/EditSession.h"
#include "model/SettingsModel.h"

#include <array>
#include <map>

namespace tc {

namespace {

// What every control and item shows, and which pages are shown.
struct ShownSettings {
    std::vector<ShownControl> controls;
    std::vector<std::string> items; // parallel to RecordItems()
    std::vector<bool> pages;        // by Page
};

ShownSettings ShowEvery(const SettingsModel& model, Language language)
{
    SettingsModel copy = model;
    ShownSettings shown;
    EditSettings(copy, language, [&](EditSession& s) {
        for (std::size_t i = 0; i < s.Fields().size(); ++i)
            shown.controls.push_back(s.Shown(i));
        for (const RecordItem& item : RecordItems())
            shown.items.push_back(ItemText(item, s.Model(), s.Context()));
        for (const PageDef& p : EditorPages()) {
            const auto at = static_cast<std::size_t>(p.page);
            if (shown.pages.size() <= at)
                shown.pages.resize(at + 1);
            shown.pages[at] = s.PageShown(p.page);
        }
        return false;
    });
    return shown;
}

bool PageShown(const ShownSettings& s, Page page)
{
    const auto at = static_cast<std::size_t>(page);
    return at < s.pages.size() && s.pages[at];
}

// How many controls share each caption, in one language.
const std::map<std::string_view, int>& CaptionCounts(bool english)
{
    static const auto counts = [] {
        std::array<std::map<std::string_view, int>, 2> c;
        for (const Field& f : EditorFields())
            for (bool en : {false, true})
                ++c[en ? 1 : 0][f.caption.Pick(en)];
        return c;
    }();
    return counts[english ? 1 : 0];
}

// What leads a shared caption: its group box, or for a row of a page part
// ("display.show.x4") the part's last word.
std::string Qualifier(const Field& f, bool english)
{
    if (!f.group.empty())
        return std::string(f.group.Pick(english));
    if (const auto dot = f.part.rfind('.'); dot != std::string_view::npos)
        return std::string(f.part.substr(dot + 1));
    return {};
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
    for (const RecordItem& item : RecordItems()) {
        auto& bytes = owned[static_cast<std::size_t>(item.record)];
        for (int b = 0; b < item.width; ++b) {
            const auto at = static_cast<std::size_t>(item.offset + b);
            if (at < bytes.size())
                bytes[at] = static_cast<std::uint8_t>(bytes[at] | item.mask);
        }
    }
    return owned;
}

std::string UnnamedBytesText(const RecordChange& r, bool english)
{
    const std::string record = std::to_string(r.record), offset = std::to_string(r.offset), bytes = std::to_string(r.bytes);
    return english ? "record " + record + ", offset " + offset + ", bytes: " + bytes
                   : "запись " + record + ", смещение " + offset + ", байт: " + bytes;
}

SettingsComparison CompareSettings(const SettingsModel& before, const SettingsModel& after, Language language)
{
    SettingsComparison result;
    result.modelDiffers = before.DeviceModelCode != after.DeviceModelCode;
    const ShownSettings sa = ShowEvery(before, language);
    const ShownSettings sb = ShowEvery(after, language);
    const auto& a = sa.controls;
    const auto& b = sb.controls;
    const bool english = IsEnglish(language);
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const Field& f = *b[i].field;
        const bool stored = StoredBitsDiffer(f, before, after);
        if (a[i].text == b[i].text && a[i].mark == b[i].mark && !stored)
            continue;
        SettingChange change;
        change.field = b[i].field;
        auto parts = SplitCaption(b[i].caption);
        change.caption = std::move(parts.name);
        change.unit = std::move(parts.unit);
        change.name = change.caption;
        const auto shared = CaptionCounts(english).find(f.caption.Pick(english));
        if (shared != CaptionCounts(english).end() && shared->second > 1) {
            if (const std::string lead = Qualifier(f, english); !lead.empty())
                change.caption = lead + " · " + change.caption;
            change.name = std::string(PageOf(f.page).caption.Pick(english)) + " · " + change.caption;
        }
        change.before = a[i].text;
        change.after = b[i].text;
        if (change.before == change.after) { // the same shown value from other bytes (1.0505 and 1.05 both show 5.1)
            change.before += " *";
            change.after += " *";
        }
        change.hidden = !a[i].visible && !b[i].visible;
        result.settings.push_back(std::move(change));
    }
    const auto items = RecordItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const RecordItem& item = items[i];
        if (!ItemDiffers(item, before.Record(item.record), after.Record(item.record)) && sa.items[i] == sb.items[i])
            continue;
        ItemChange change;
        change.item = &item;
        change.name = item.Name(english);
        change.before = sa.items[i];
        change.after = sb.items[i];
        if (change.before == change.after) {
            change.before += " *";
            change.after += " *";
        }
        change.hidden = !PageShown(sa, item.page) && !PageShown(sb, item.page);
        result.items.push_back(std::move(change));
    }
    const auto owned = OwnedBits();
    for (int r = 1; r <= kRecordCount; ++r) {
        const auto ra = before.Record(r);
        const auto rb = after.Record(r);
        const auto& mask = owned[static_cast<std::size_t>(r)];
        for (std::size_t i = 0; i < ra.size() && i < rb.size(); ++i) {
            if (((ra[i] ^ rb[i]) & ~mask[i]) == 0)
                continue;
            const int at = static_cast<int>(i);
            if (!result.records.empty() && result.records.back().record == r && result.records.back().offset + result.records.back().bytes == at)
                ++result.records.back().bytes;
            else
                result.records.push_back({r, at, 1});
        }
    }
    return result;
}

} // namespace tc
