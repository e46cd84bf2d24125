// Settings texts (JSON) of any content imported into the reference settings:
// each is refused with a user message and changes nothing, or is taken; a
// taken text exported again imports to the same settings.
#include "FuzzSupport.h"

#include "common/Error.h"
#include "editor/SettingsText.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsModel.h"

#include <string_view>

using namespace tc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const SettingsModel reference = [] {
        SettingsModel m;
        LoadReferenceImage(m, 0xC000);
        return m;
    }();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Either language's messages and shown values, as the input's length picks.
    const Language language = size % 2 ? Language::English : Language::Russian;
    SettingsModel model = reference;
    try {
        ImportSettingsText(model, text, language);
    } catch (const Error& e) {
        FUZZ_REQUIRE(model.Image == reference.Image);
        FUZZ_REQUIRE(model.SnapshotRecords().bytes == reference.SnapshotRecords().bytes);
        FUZZ_REQUIRE(std::string_view(e.what()).size() > 0);
        return 0;
    }
    // Anything taken round-trips through its own export.
    const std::string exported = ExportSettingsText(model, language);
    SettingsModel again = reference;
    ImportSettingsText(again, exported, language);
    FUZZ_REQUIRE(again.Image == model.Image);
    return 0;
}
