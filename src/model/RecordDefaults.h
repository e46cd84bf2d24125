#pragma once
// The settings of a unit that was never configured, as tables: runs of stored
// values by record and offset, the default maintenance names, the default
// colour schemes and the items of the default hot-menu lists. Each run is
// named by the key of the setting (or structured area) that owns its bytes,
// the key the editor, the command line and the exports use. The settings
// model fills its records from these tables; every byte no run names is 0.
#include "model/DisplayRecord.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace tc {

struct Rgb5;

// How the values of a run are stored (little-endian).
enum class StoredAs : std::uint8_t { U8, U16, U32, F32 };

// `count` values first, first + step, ... (or the values of `list`), `stride`
// bytes apart (0: the stored width) from `offset` of record `record`.
struct DefaultRun {
    std::string_view key;
    int record = 0;
    int offset = 0;
    StoredAs as = StoredAs::U8;
    std::int64_t first = 0;
    std::int64_t step = 0;
    int count = 1;
    std::span<const std::int64_t> list{};
    int stride = 0;
};
std::span<const DefaultRun> DefaultRuns();

// A default name: up to 15 code-page characters in 16 zero-filled bytes, in
// the language the settings are made in.
struct DefaultName {
    std::string_view key;
    int record = 0;
    int offset = 0;
    std::string_view ru, en;
};
std::span<const DefaultName> DefaultNames();

// A default colour scheme: the 16 palette colours, the colour roles from
// scheme byte 32 on (the rest 0) and the bottom panel's role.
struct DefaultScheme {
    const Rgb5* colours; // 16
    std::span<const std::uint8_t> roles;
    std::uint8_t bottomPanel = 0;
};
// Scheme 0 (day) or 1 (night), of a model with or without a hybrid drive.
const DefaultScheme& DefaultColourScheme(int scheme, bool hybridDrive);

// A default hot-menu list: its items by their names in the model's menu
// catalog (a name the catalog lacks leaves its row empty); lists with
// `parktronic` are filled only on models with a parktronic.
struct DefaultHotMenu {
    std::string_view key;
    int list = 0;
    std::span<const std::string_view> items;
    bool parktronic = false;
};
std::span<const DefaultHotMenu> DefaultHotMenus();

} // namespace tc
