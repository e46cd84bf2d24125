#pragma once
// Settings as text (JSON): every control of the editor by key with its shown
// value, which is what a person reads and edits, and every record's bytes,
// so that nothing the controls do not show is lost.
#include "common/Language.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tc {

class SettingsModel;

inline constexpr std::string_view kSettingsTextFormat = "tripconf-settings";
inline constexpr int kSettingsTextVersion = 1;
// The largest text taken: one with every control and record is some 30 KB.
inline constexpr std::size_t kMaxSettingsTextSize = 4 << 20;

// The decoded settings as text, keys in the editor's order, the shown
// values in `language`.
std::string ExportSettingsText(const SettingsModel& model, Language language);

// Applies a text made by ExportSettingsText, perhaps edited: first the
// records' bytes it holds, then every control's value through one edit
// session, as the editor takes them (hidden controls too), in the editor's
// order. An unknown key, a value the control refuses, a text for another
// model or format, or text that is not such JSON throws tc::Error naming the
// line (in `language`), and the model is left as it was. The model is
// decoded and encoded. A choice's item is taken in either language.
void ImportSettingsText(SettingsModel& model, std::string_view text, Language language);

} // namespace tc
