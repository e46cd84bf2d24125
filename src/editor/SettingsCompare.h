#pragma once
// Two settings side by side, as the editor shows them: the controls whose
// shown value differs (hidden ones too, marked), and per record the bytes no
// control owns that differ (journals, structured tables, unknown bytes).
#include "editor/FieldTable.h"

#include <string>
#include <vector>

namespace tc {

class SettingsModel;

struct SettingChange {
    const Field* field = nullptr;
    std::string caption; // current language, without the unit
    std::string unit;    // the caption's part after its last comma ("%", "km"); may be empty
    std::string before, after;
    bool hidden = false; // hidden for both models as they stand
};

struct RecordChange {
    int record = 0;
    int bytes = 0; // bytes outside every control that differ
};

struct SettingsComparison {
    bool modelDiffers = false;
    std::vector<SettingChange> settings;
    std::vector<RecordChange> records;
    bool Same() const { return !modelDiffers && settings.empty() && records.empty(); }
};

// Compares decoded settings; neither model is changed (each is shown through
// an edit session on a copy that is cancelled). The process-wide catalogs end
// evaluated for `after`.
SettingsComparison CompareSettings(const SettingsModel& before, const SettingsModel& after);

// Which bits of each record (1..11) some control stores into.
std::vector<std::vector<std::uint8_t>> OwnedBits();

} // namespace tc
