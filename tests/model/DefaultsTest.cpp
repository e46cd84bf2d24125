// The default settings of every listed device model, in both languages,
// against golden/defaults.txt: the reference image a new settings file and
// the simulator start from, and the model's own defaults (its colour schemes
// and hot menus). A changed byte shows up as a diff of the golden file;
// TRIPCONF_UPDATE_GOLDEN=1 rewrites it after the change has been checked.
#include "catalogs/Catalogs.h"
#include "common/Language.h"
#include "model/ReferenceLayout.h"
#include "model/SettingsModel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace tc {
namespace {

// The bytes as runs of non-zero bytes: "offset: hex hex ..." one run a line.
std::string Runs(std::span<const std::uint8_t> bytes)
{
    std::string out;
    char buf[32];
    for (std::size_t i = 0; i < bytes.size();) {
        if (bytes[i] == 0) {
            ++i;
            continue;
        }
        std::snprintf(buf, sizeof buf, "%5zu:", i);
        out += buf;
        for (; i < bytes.size() && bytes[i] != 0; ++i) {
            std::snprintf(buf, sizeof buf, " %02X", bytes[i]);
            out += buf;
        }
        out += '\n';
    }
    return out;
}

// A model of the device model with every record at its default, its colour
// schemes and the hot menus of its menu catalog.
SettingsModel ModelDefaults(std::uint16_t code, Language language)
{
    SettingsModel model(language);
    model.DeviceModelCode = code;
    model.EvaluateCatalog(language);
    model.ResetColourSchemes(model.ModelCatalog().Features.HasHybridDrive);
    model.ResetRecords(language);
    model.FillHotMenuDefaults(language);
    return model;
}

std::vector<std::uint8_t> RecordsAndSchemes(const SettingsModel& model)
{
    std::vector<std::uint8_t> bytes;
    for (int k = 1; k <= kRecordCount; ++k)
        bytes.insert(bytes.end(), model.Record(k).begin(), model.Record(k).end());
    for (int s = 0; s < 2; ++s)
        bytes.insert(bytes.end(), model.ColourScheme(s).begin(), model.ColourScheme(s).end());
    return bytes;
}

// Every model and language names one of the distinct images, each written once.
std::string DefaultsText()
{
    std::map<std::string, int> images; // runs -> number
    std::vector<const std::string*> order;
    std::string table;
    const auto number = [&](std::string runs) {
        const auto [it, added] = images.emplace(std::move(runs), static_cast<int>(images.size()) + 1);
        if (added)
            order.push_back(&it->first);
        return it->second;
    };
    for (const ModelInfo& m : ListedModels())
        for (bool english : {false, true}) {
            const Language language = LanguageOf(english);
            SettingsModel reference(language);
            LoadReferenceImage(reference, m.code);
            const int image = number(Runs(reference.Image));
            const int defaults = number(Runs(RecordsAndSchemes(ModelDefaults(m.code, language))));
            char buf[96];
            std::snprintf(buf, sizeof buf, "model 0x%04X %s: reference image #%d, records and schemes #%d\n", m.code,
                          english ? "en" : "ru", image, defaults);
            table += buf;
        }
    for (std::size_t i = 0; i < order.size(); ++i)
        table += "\n#" + std::to_string(i + 1) + "\n" + *order[i];
    return table;
}

TEST(Defaults, EveryModelStartsFromItsGoldenBytes)
{
    const std::string path = std::string(TRIPCONF_SOURCE_DIR) + "/tests/model/golden/defaults.txt";
    const std::string actual = DefaultsText();
    if (std::getenv("TRIPCONF_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << actual;
        GTEST_SKIP() << "rewrote " << path;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_GE(ListedModels().size(), 18u);
    EXPECT_EQ(actual, expected.str());
}

} // namespace
} // namespace tc
