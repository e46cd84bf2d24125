// The maintenance file and the tank file, of any length and content: the
// first input byte picks the kind, the rest is the file. A file is refused
// (empty, or longer than its format) with a user message and changes
// nothing, or fills what it covers of its own records and nothing else.
#include "FuzzSupport.h"

#include "common/Error.h"
#include "editor/ServiceFile.h"
#include "editor/TankFile.h"
#include "model/SettingsModel.h"

#include <optional>

using namespace tc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const std::string path = fuzz::ScratchFile("side.bin");
    const bool tankFile = data[0] & 1;
    const std::vector<std::uint8_t> file(data + 1, data + size);
    fuzz::WriteScratch(path, file);
    const std::size_t expected = tankFile ? tank::kTankFileSize : kServiceFileSize;

    SettingsModel model = fuzz::FreshModel();
    const SettingsModel before = model;
    std::vector<std::uint8_t> bytes;
    try {
        bytes = tankFile ? tank::ReadTankFile(path, Language::Russian) : ReadServiceFile(path, Language::Russian);
    } catch (const Error&) {
        FUZZ_REQUIRE(file.empty() || file.size() > expected);
        return 0;
    }
    FUZZ_REQUIRE(!file.empty() && file.size() <= expected && bytes == file);
    if (tankFile)
        tank::ApplyTankFile(model, bytes);
    else
        ApplyServiceFile(model, bytes);
    for (int r = 1; r <= kRecordCount; ++r) {
        const bool own = tankFile ? (r == tank::kLinearRecord || r == tank::kTareRecord) : r == 5;
        if (!own) {
            const auto a = model.Record(r);
            const auto b = before.Record(r);
            FUZZ_REQUIRE(std::equal(a.begin(), a.end(), b.begin(), b.end()));
        }
    }
    // A whole file is written back byte for byte.
    if (file.size() == expected && !tankFile)
        FUZZ_REQUIRE(ServiceFileBytes(model) == file);
    return 0;
}
