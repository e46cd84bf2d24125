#pragma once
// Two settings side by side, as the editor shows them: the controls whose
// shown value differs (hidden ones too, marked), the items of the structured
// tables that differ (display slots, colours, hot-menu rows, tare points,
// voice modes, extra systems), each by its name and shown value, and the runs
// of bytes that no setting owns which differ, by record and offset.
#include "editor/FieldTable.h"
#include "editor/RecordItems.h"

#include <string>
#include <vector>

namespace tc {

class SettingsModel;

struct SettingChange {
    const Field* field = nullptr;
    // Current language, without the unit; a caption that other controls share
    // ("дд.мм.гг", "1: литры") is led by its group: "Дата след.ТО · дд.мм.гг".
    std::string caption;
    // The caption led by the page when it is shared, so that it names the
    // control on its own: "ТО · Дата след.ТО · дд.мм.гг".
    std::string name;
    std::string unit;    // the caption's part after its last comma ("%", "km"); may be empty
    std::string before, after;
    bool hidden = false; // hidden for both models as they stand
};

// An item of a structured table whose bytes or shown value differ.
struct ItemChange {
    const RecordItem* item = nullptr;
    std::string name; // current language: "Дисплей 2 · x4 · поле 3"
    std::string before, after;
    bool hidden = false; // its page is hidden for both models
};

// A run of differing bytes that no setting owns.
struct RecordChange {
    int record = 0;
    int offset = 0;
    int bytes = 0;
};

struct SettingsComparison {
    bool modelDiffers = false;
    std::vector<SettingChange> settings;
    std::vector<ItemChange> items;
    std::vector<RecordChange> records;
    bool Same() const { return !modelDiffers && settings.empty() && items.empty() && records.empty(); }
};

// Compares decoded settings; neither model is changed (each is shown through
// an edit session on a copy that is cancelled). The process-wide catalogs end
// evaluated for `after`. Captions and values are in `language`.
SettingsComparison CompareSettings(const SettingsModel& before, const SettingsModel& after, Language language);

// Which bits of each record (1..11) some control or structured item stores into.
std::vector<std::vector<std::uint8_t>> OwnedBits();

// The text of a run of unnamed bytes: "запись 9, смещение 5, байт: 2".
std::string UnnamedBytesText(const RecordChange& r, bool english);

} // namespace tc
