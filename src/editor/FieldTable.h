#pragma once
// The editor's field table: one row per control of the settings editor, saying
// where its value lives in records 1..10, how it is encoded, how it is shown
// and when it is offered. The edit session, the window and the command line
// all work from these rows.
#include "editor/EditorContext.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tc {

class SettingsModel;
struct Field;

// A user text in both languages.
struct Text {
    std::string_view ru;
    std::string_view en;
    std::string_view Pick(bool english) const { return english && !en.empty() ? en : ru; }
    std::string_view Pick(Language language) const { return Pick(IsEnglish(language)); }
    bool empty() const { return ru.empty() && en.empty(); }
};

// The editor's main pages, in the order the window shows them.
enum class Page : std::uint8_t {
    Corrections,
    Sources,
    Limits,
    Display,
    Voice,
    Averages,
    Parking,
    Tank,
    Maintenance,
    ExtraSystems,
    Trim,
    ServiceInfo,
};

struct PageDef {
    Page page;
    std::string_view key; // the first part of every key on the page ("corrections")
    Text caption;
};
std::span<const PageDef> EditorPages();
const PageDef& PageOf(Page page);

// What kind of widget shows a control.
enum class ControlKind : std::uint8_t {
    Number, // spin edit: scale, decimals, limits, step
    Choice, // drop-down list
    Radio,  // radio group
    Check,  // check box
    Time,   // "hh:mm" edit of minutes after midnight (a 16-bit codec)
    Text,   // line edit: a date or a name, shown and typed as text (Codec::DayNumber, Codec::Name16)
};

// How the stored value of a control is laid out in its record.
enum class Codec : std::uint8_t {
    S8, U8, S16, U16, S32, U32, // a whole little-endian field
    Bits,                       // bitCount bits from `bit` of a little-endian word of wordBytes bytes
    Factor,                     // 32-bit float correction factor: 1 + shown percent / 100
    DayNumber,                  // 32-bit day number of a date, shown dd.mm.yy (editor/Maintenance.h)
    Name16,                     // 16 bytes: up to 15 code-page characters, zero-filled
};

// How a choice's item maps to the stored number.
enum class ItemMap : std::uint8_t {
    Position, // position in the list as built (offered items only) + itemOffset
    Value,    // each item's own value; other stored values show fallbackItem
};

// What every rule reads: the context it is given and the records, nothing else.
struct RuleInput {
    const EditorContext& ctx;
    const SettingsModel& model;
};
using Rule = bool (*)(const RuleInput&);
using CaptionRule = std::string (*)(const RuleInput&);
struct Range {
    double min = 0;
    double max = 0;
};
using RangeRule = Range (*)(const RuleInput&);
// Items built from the context (protocol names, protocol option values); all offered and enabled.
using ItemsRule = std::vector<std::string> (*)(const RuleInput&);

// Follow-up work of a store beyond the value itself, kept with the row that
// needs it: it may read the context and change the records (through the
// codecs), and belongs to the same step of the edit as the store.
struct StoreInput {
    const EditorContext& ctx;
    SettingsModel& model;
    const Field& field; // the row just stored
};
using StoreHook = void (*)(const StoreInput&);
// Why a number may not be stored although it lies within its limits (the
// user text); empty: it may.
using Refusal = std::string (*)(const RuleInput&, std::int64_t raw);

struct ItemDef {
    Text text;
    int value = 0;          // stored value with ItemMap::Value
    Rule offered = nullptr; // nullptr: always in the list
    Rule enabled = nullptr; // nullptr: always selectable
};

struct Field {
    std::string_view key; // "corrections.speed": what a user types, the same in the window, the CLI and exports
    Page page = Page::Corrections;
    ControlKind kind = ControlKind::Number;
    int record = 0; // 1..10
    int offset = 0; // byte offset in the record
    Codec codec = Codec::U8;
    int bit = 0;       // Codec::Bits: first bit
    int bitCount = 1;  // Codec::Bits: number of bits
    int wordBytes = 4; // Codec::Bits: width of the word holding the bits
    bool inverted = false; // Codec::Bits with one bit: the control shows the bit's complement

    // Numbers: stored = round(shown * scaleNum / scaleDen).
    int scaleNum = 1;
    int scaleDen = 1;
    int decimals = 0;
    double min = 0;
    double max = 0;
    double step = 1;
    bool typing = true; // false: changed with the arrows only
    RangeRule range = nullptr; // limits that depend on the context or on other values

    Text caption{};
    CaptionRule captionRule = nullptr; // a caption that depends on the context
    Text group{};                      // group box around consecutive controls; empty: none
    // A sub-page or structured editor of the page that lays the control out
    // itself ("display.misc"); empty: the page's columns.
    std::string_view part{};

    // Choices and radio groups.
    std::span<const ItemDef> items{};
    ItemsRule itemsRule = nullptr;
    ItemMap map = ItemMap::Position;
    int itemOffset = 0;
    int fallbackItem = -1; // ItemMap::Value: the item shown for a value no item has
    int columns = 1;       // radio groups: 0 = one column per item

    Rule visible = nullptr; // nullptr: always shown
    Rule enabled = nullptr; // nullptr: always enabled
    StoreHook hook = nullptr;
    // Storing makes the stored protocol current: its index is copied, its
    // options are cleared and the editor's lists follow it.
    bool selectsProtocol = false;
    // Codec::Bits: bits of the word that every store of this row clears.
    std::uint32_t clearOnStore = 0;

    // Another form of the control with this key, shown instead of it (never
    // both): the two rows hold the same bits.
    std::string_view formOf{};
    // Numbers: a check against the other values before the number is stored.
    Refusal refuse = nullptr;

    // Bytes of the record the codec reads and writes.
    int Width() const;
};

// The whole table, in page order and, within a page, in the order of the controls.
std::span<const Field> EditorFields();
// nullptr for an unknown key.
const Field* FindField(std::string_view key);

} // namespace tc
