#include "journals/Journals.h"

#include "catalogs/Catalogs.h"
#include "common/Bytes.h"
#include "model/ReferenceLayout.h"

#include <gtest/gtest.h>

#include <map>

namespace tc {
namespace {

// Regression: reading settings does not evaluate the model table, so the fault
// list must not take its code type from whatever model was evaluated before.
TEST(JournalProtocol, FaultCodeTypeFollowsTheLoadedSettings)
{
    SettingsModel model;
    LoadReferenceImage(model, 0xC000);
    int checked = 0;
    std::map<int, int> formatsSeen;
    for (const auto& info : ListedModels()) {
        std::vector<int> formats;
        for (const auto& p : EvaluateModel(info.code, Language::Russian).Protocols)
            formats.push_back(p->FaultCodeFormat);
        for (std::size_t i = 0; i < formats.size(); ++i) {
            ++formatsSeen[formats[i]];
            if (formatsSeen[formats[i]] > 3)
                continue; // a few of each format are enough
            model.DeviceModelCode = 0xC000;
            model.EvaluateCatalog(Language::Russian); // the settings' catalog is of some other model
            model.DeviceModelCode = info.code;
            PutU16(model.Record(10), 4, static_cast<std::uint16_t>(i));
            EXPECT_EQ(CurrentFaultCodeType(model, Language::Russian), formats[i]) << "model " << info.code << " protocol " << i;
            ++checked;
        }
    }
    EXPECT_GT(checked, 3);
    EXPECT_GT(formatsSeen.size(), 2u);

    // No protocol at that index, or an unknown model: the standard OBD form.
    PutU16(model.Record(10), 4, 255);
    EXPECT_EQ(CurrentFaultCodeType(model, Language::Russian), 0);
    model.DeviceModelCode = 0xFFFF;
    EXPECT_FALSE(IsListedModel(0xFFFF));
    EXPECT_EQ(CurrentFaultCodeType(model, Language::Russian), 0);
}

} // namespace
} // namespace tc
