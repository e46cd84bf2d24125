#include "editor/EditSession.h"

#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "common/Error.h"
#include "editor/Codecs.h"
#include "editor/DisplayLayouts.h"
#include "editor/HotMenus.h"
#include "editor/ParameterNames.h"
#include "editor/Rules.h"
#include "model/DisplayRecord.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr double kLimitSlack = 1e-9;

std::size_t IndexOf(const Field& f)
{
    const auto all = EditorFields();
    return static_cast<std::size_t>(&f - all.data());
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string Quoted(bool english, std::string_view s)
{
    return english ? "\"" + std::string(s) + "\"" : "«" + std::string(s) + "»";
}

} // namespace

EditSession::EditSession(SettingsModel& model, EditorContext context) : model_(model), ctx_(std::move(context))
{
    // The show-time writes: the stored protocol becomes current (its index is
    // mirrored at record 10 offset 6), and the model's default colour schemes
    // follow the device model.
    ApplyProtocol(false);
    model_.ResetColourSchemes(ctx_.features.HasHybridDrive);
    // The hot-menu lists are kept with their entries at the front.
    HotMenus(model_.Record(kDisplayRecord)).CompactAll();
    Relabel();
    opened_ = model_.SnapshotRecords();
}

void EditSession::Remember(RecordsSnapshot before)
{
    if (model_.SnapshotRecords().bytes == before.bytes)
        return;
    // A very long session keeps its latest steps.
    constexpr std::size_t kMostSteps = 2000;
    if (undo_.size() >= kMostSteps)
        undo_.erase(undo_.begin());
    undo_.push_back(std::move(before));
    redo_.clear();
}

ChangedFields EditSession::Restore(const RecordsSnapshot& records)
{
    const auto before = ShowAll();
    const std::uint16_t protocol = model_.ProtocolIndex();
    model_.RestoreRecords(records);
    if (model_.ProtocolIndex() != protocol)
        ApplyProtocol(false); // the protocol's options come back with the records
    Relabel();
    return Diff(before);
}

ChangedFields EditSession::Undo()
{
    return StepBack(undo_, redo_);
}

ChangedFields EditSession::Redo()
{
    return StepBack(redo_, undo_);
}

ChangedFields EditSession::StepBack(std::vector<RecordsSnapshot>& from, std::vector<RecordsSnapshot>& to)
{
    if (from.empty())
        return {};
    RecordsSnapshot step = std::move(from.back());
    from.pop_back();
    to.push_back(model_.SnapshotRecords());
    return Restore(step);
}

ChangedFields EditSession::RevertToOpened()
{
    if (!ChangedSinceOpened())
        return {};
    undo_.push_back(model_.SnapshotRecords());
    redo_.clear();
    return Restore(opened_);
}

bool EditSession::ChangedSinceOpened() const
{
    return model_.SnapshotRecords().bytes != opened_.bytes;
}

void EditSession::Relabel()
{
    if (ctx_.params)
        RelabelParameters(*ctx_.params, ctx_.features, static_cast<int>(rules::RecordS8(In(), 5, 7)), IsEnglish(ctx_.language));
}

void EditSession::ApplyProtocol(bool reset)
{
    auto r10 = model_.Record(kProtocolRecord);
    const std::uint16_t index = model_.ProtocolIndex();
    PutU16(r10, kProtocolIndexCopyOffset, index);
    if (reset) {
        const auto options = r10.subspan(kProtocolOptionsOffset, kProtOptionCount);
        std::fill(options.begin(), options.end(), std::uint8_t{0});
    }
    ctx_.protocol = index < ctx_.protocols.size() ? ctx_.protocols[index] : nullptr;
}

bool EditSession::PageShown(Page page) const
{
    const auto& f = ctx_.features;
    switch (page) {
    case Page::Parking:
        return HasParkingSensors(f);
    case Page::Trim:
        return f.HasUniversalInput || f.HasTrim;
    case Page::ExtraSystems:
        return f.HasExtraSystems;
    case Page::ServiceInfo:
        return false; // never shown
    default:
        return true;
    }
}

std::vector<ShownPage> EditSession::Pages() const
{
    std::vector<ShownPage> pages;
    for (const auto& p : EditorPages())
        pages.push_back({&p, std::string(p.caption.Pick(ctx_.language)), PageShown(p.page)});
    return pages;
}

ShownControl EditSession::Shown(std::string_view key) const
{
    const Field* f = FindField(key);
    if (!f)
        throw Error(Tr(ctx_.language, "Нет параметра " + Quoted(false, key), "No setting " + Quoted(true, key)));
    return Shown(IndexOf(*f));
}

ShownControl EditSession::Shown(std::size_t index) const
{
    const Field& f = EditorFields()[index];
    const RuleInput in = In();
    ShownControl s;
    s.field = &f;
    s.kind = f.kind;
    if (f.captionRule)
        s.caption = f.captionRule(in);
    if (s.caption.empty())
        s.caption = std::string(f.caption.Pick(ctx_.language));
    s.group = std::string(f.group.Pick(ctx_.language));
    s.visible = PageShown(f.page) && (!f.visible || f.visible(in));
    s.enabled = !f.enabled || f.enabled(in);
    const auto rec = model_.Record(f.record);

    switch (f.kind) {
    case ControlKind::Number: {
        const Range r = f.range ? f.range(in) : Range{f.min, f.max};
        s.min = r.min;
        s.max = r.max;
        s.step = f.step;
        s.decimals = f.decimals;
        s.typing = f.typing;
        double value = 0;
        if (f.codec == Codec::Factor) {
            const auto percent = ReadFactor(f, rec);
            if (!percent) {
                s.mark = ValueMark::Unshowable;
                break;
            }
            value = *percent;
            s.text = FormatNumber(value, f.decimals);
        } else {
            const std::int64_t raw = ReadRaw(f, rec);
            value = ScaledValue(raw, f.scaleNum, f.scaleDen);
            s.text = FormatScaled(raw, f.scaleNum, f.scaleDen, f.decimals);
        }
        if (value < s.min - kLimitSlack || value > s.max + kLimitSlack)
            s.mark = ValueMark::OutOfRange;
        break;
    }
    case ControlKind::Choice:
    case ControlKind::Radio: {
        s.columns = f.columns;
        const auto items = ChoiceItems(f, in);
        for (const auto& item : items)
            s.items.push_back({item.text, item.enabled});
        s.selected = ChosenItem(items, ReadRaw(f, rec));
        if (s.selected < 0 && f.map == ItemMap::Value && f.fallbackItem >= 0 && f.fallbackItem < static_cast<int>(items.size())) {
            s.selected = f.fallbackItem;
            s.mark = ValueMark::OutOfRange;
        }
        if (s.selected >= 0)
            s.text = s.items[static_cast<std::size_t>(s.selected)].text;
        else
            s.mark = ValueMark::Unshowable;
        break;
    }
    case ControlKind::Check:
        s.checked = ReadRaw(f, rec) != 0;
        s.text = s.checked ? "on" : "off";
        break;
    case ControlKind::Time: {
        const std::int64_t raw = ReadRaw(f, rec);
        s.text = FormatDayTime(static_cast<int>(raw));
        if (raw < 0 || raw >= 24 * 60)
            s.mark = ValueMark::OutOfRange;
        break;
    }
    case ControlKind::Text:
        if (auto text = ShowText(f, rec))
            s.text = std::move(*text);
        else
            s.mark = ValueMark::Unshowable; // kept as stored until the user types another
        break;
    }
    return s;
}

std::vector<ShownControl> EditSession::ShowAll() const
{
    std::vector<ShownControl> all;
    const auto n = EditorFields().size();
    all.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        all.push_back(Shown(i));
    return all;
}

ChangedFields EditSession::Diff(const std::vector<ShownControl>& before) const
{
    ChangedFields changed;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (!(Shown(i) == before[i]))
            changed.push_back(i);
    return changed;
}

std::string EditSession::RangeMessage(const ShownControl& c, std::string_view value) const
{
    const auto [name, unit] = SplitCaption(c.caption);
    const std::string limits = FormatNumber(c.min, c.decimals);
    std::string high = FormatNumber(c.max, c.decimals) + (unit.empty() ? "" : " " + unit);
    if (!c.typing) // changed with the arrows: only the steps are values
        high += Tr(ctx_.language, ", шаг " + FormatNumber(c.step, c.decimals), ", in steps of " + FormatNumber(c.step, c.decimals));
    return Tr(ctx_.language, "Значение должно быть от " + limits + " до " + high + " («" + name + "»: «" + std::string(value) + "»)",
                   "Value must be from " + limits + " to " + high + " (\"" + name + "\": \"" + std::string(value) + "\")");
}

void EditSession::CheckEditable(const ShownControl& shown, bool force) const
{
    if (!force && !shown.visible)
        throw Error(Tr(ctx_.language, "Параметр «" + shown.caption + "» скрыт для этой модели и этих настроек",
                            "The setting \"" + shown.caption + "\" is hidden for this model and these settings"));
    if (!force && !shown.enabled)
        throw Error(Tr(ctx_.language, "Параметр «" + shown.caption + "» здесь изменить нельзя",
                            "The setting \"" + shown.caption + "\" cannot be changed here"));
}

ChangedFields EditSession::Commit(std::string_view key, std::string_view text, bool force)
{
    const ShownControl shown = Shown(key);
    const Field& f = *shown.field;
    text = Trim(text);
    if (text.empty() && f.kind != ControlKind::Text)
        return {}; // nothing typed stores nothing (a text field may be emptied)
    CheckEditable(shown, force);
    if (text == shown.text)
        return {}; // nothing changed: the stored bytes stay as they are

    switch (f.kind) {
    case ControlKind::Number: {
        auto d = ParseDecimal(text);
        // Trailing zeros say nothing more ("5.00" is 5.0); a digit the field
        // cannot hold is refused, never rounded away.
        while (d && d->decimals > f.decimals && d->mantissa % 10 == 0) {
            d->mantissa /= 10;
            --d->decimals;
        }
        if (!d || d->decimals > f.decimals || d->Value() < shown.min - kLimitSlack || d->Value() > shown.max + kLimitSlack)
            throw Error(RangeMessage(shown, text));
        if (f.codec == Codec::Factor) {
            const auto before = ShowAll();
            auto records = model_.SnapshotRecords();
            WriteFactor(f, model_.Record(f.record), d->Value());
            RunHook(f);
            Remember(std::move(records));
            return Diff(before);
        }
        const std::int64_t raw = ScaleToRaw(*d, f.scaleNum, f.scaleDen);
        const auto limits = RawLimits(f);
        // A value the field cannot hold exactly (131 where it keeps steps of 2) is refused, not rounded.
        if (raw < limits.min || raw > limits.max || std::abs(ScaledValue(raw, f.scaleNum, f.scaleDen) - d->Value()) > kLimitSlack)
            throw Error(RangeMessage(shown, text));
        return Store(f, shown, raw);
    }
    case ControlKind::Choice:
    case ControlKind::Radio: {
        int item = -1;
        if (text.size() > 1 && text[0] == '#') {
            const auto d = ParseDecimal(text.substr(1));
            if (d && d->decimals == 0 && d->mantissa >= 0 && d->mantissa < static_cast<std::int64_t>(shown.items.size()))
                item = static_cast<int>(d->mantissa);
        } else {
            for (std::size_t i = 0; i < shown.items.size(); ++i)
                if (shown.items[i].text == text) {
                    item = static_cast<int>(i);
                    break;
                }
        }
        if (item < 0) {
            std::string list;
            for (std::size_t i = 0; i < shown.items.size(); ++i)
                list += (i ? ", " : "") + shown.items[i].text;
            throw Error(Tr(ctx_.language, "Нет варианта «" + std::string(text) + "» у параметра «" + shown.caption + "». Варианты: " + list + " (или #номер)",
                                "\"" + std::string(text) + "\" is not an item of \"" + shown.caption + "\". Items: " + list + " (or #index)"));
        }
        return Select(key, item, force);
    }
    case ControlKind::Check:
        if (text == "on" || text == "1")
            return SetChecked(key, true, force);
        if (text == "off" || text == "0")
            return SetChecked(key, false, force);
        throw Error(Tr(ctx_.language, "Флажок «" + shown.caption + "» принимает on или off", "The check box \"" + shown.caption + "\" takes on or off"));
    case ControlKind::Time:
        return Store(f, shown, ParseDayTime(text, IsEnglish(ctx_.language)));
    case ControlKind::Text: {
        const auto before = ShowAll();
        auto records = model_.SnapshotRecords();
        WriteText(f, model_.Record(f.record), text, IsEnglish(ctx_.language));
        RunHook(f);
        Remember(std::move(records));
        return Diff(before);
    }
    }
    return {};
}

ChangedFields EditSession::Select(std::string_view key, int item, bool force)
{
    const ShownControl shown = Shown(key);
    const Field& f = *shown.field;
    if (f.kind != ControlKind::Choice && f.kind != ControlKind::Radio)
        throw Error(Tr(ctx_.language, "Параметр «" + shown.caption + "» не список", "The setting \"" + shown.caption + "\" is not a choice"));
    if (item < 0)
        return {}; // nothing selected stores nothing
    CheckEditable(shown, force);
    if (item == shown.selected)
        return {};
    if (item >= static_cast<int>(shown.items.size()))
        throw Error(Tr(ctx_.language, "Нет варианта #" + std::to_string(item) + " у параметра «" + shown.caption + "»",
                            "\"" + shown.caption + "\" has no item #" + std::to_string(item)));
    if (!force && !shown.items[static_cast<std::size_t>(item)].enabled)
        throw Error(Tr(ctx_.language, "Вариант «" + shown.items[static_cast<std::size_t>(item)].text + "» сейчас недоступен",
                            "The item \"" + shown.items[static_cast<std::size_t>(item)].text + "\" is not available now"));
    const auto items = ChoiceItems(f, In());
    return Store(f, shown, items[static_cast<std::size_t>(item)].value);
}

ChangedFields EditSession::SetChecked(std::string_view key, bool checked, bool force)
{
    const ShownControl shown = Shown(key);
    const Field& f = *shown.field;
    if (f.kind != ControlKind::Check)
        throw Error(Tr(ctx_.language, "Параметр «" + shown.caption + "» не флажок", "The setting \"" + shown.caption + "\" is not a check box"));
    CheckEditable(shown, force);
    if (checked == shown.checked)
        return {};
    return Store(f, shown, checked ? 1 : 0);
}

ChangedFields EditSession::Store(const Field& f, const ShownControl& shown, std::int64_t raw)
{
    const auto limits = RawLimits(f);
    if (raw < limits.min || raw > limits.max)
        throw Error(RangeMessage(shown, std::to_string(raw)));
    if (f.refuse)
        if (const std::string why = f.refuse(In(), raw); !why.empty())
            throw Error(why);
    const auto before = ShowAll();
    auto records = model_.SnapshotRecords();
    WriteRaw(f, model_.Record(f.record), raw);
    RunHook(f);
    Relabel();
    Remember(std::move(records));
    return Diff(before);
}

ChangedFields EditSession::Apply(const std::function<void(SettingsModel&)>& edit)
{
    const auto before = ShowAll();
    auto records = model_.SnapshotRecords();
    edit(model_);
    Relabel();
    Remember(std::move(records));
    return Diff(before);
}

void EditSession::RunHook(const Field& f)
{
    if (f.selectsProtocol)
        ApplyProtocol(true);
    if (f.hook)
        f.hook(StoreInput{ctx_, model_, f});
}

bool EditSettings(SettingsModel& model, Language language, const std::function<bool(EditSession&)>& run)
{
    return model.Edit([&](SettingsModel& m) {
        EditSession session(m, EditorContext::FromModel(m, language));
        return run(session);
    }, language);
}

} // namespace tc
