// Settings files of any content: loaded as the command line and the window
// load them, decoded, encoded back and saved again. A file is either refused
// with a user message or round-trips byte for byte.
#include "FuzzSupport.h"

#include "catalogs/Catalogs.h"
#include "common/Error.h"
#include "link/Transfers.h"
#include "model/SettingsFile.h"
#include "model/SettingsModel.h"

#include <algorithm>
#include <optional>

using namespace tc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = fuzz::ScratchFile("settings.qvetp");
    static const std::string saved = fuzz::ScratchFile("saved.qvetp");
    const std::vector<std::uint8_t> file(data, data + size);
    fuzz::WriteScratch(path, file);

    // As `info` reads it: over an empty image.
    SettingsModel model = fuzz::FreshModel();
    model.Image.clear();
    try {
        ReadSettingsFile(model, path, fuzz::kLanguage);
    } catch (const Error&) {
        FUZZ_REQUIRE(size < 2 || size > 2 + kMaxImageSize);
        return 0;
    }
    FUZZ_REQUIRE(size >= 2 && size <= 2 + kMaxImageSize);
    FUZZ_REQUIRE(model.Image.size() == size - 2);
    FUZZ_REQUIRE(EncodeSettingsFile(model.DeviceModelCode, model.Image) == file);

    const std::string problem = model.DirectoryProblem(fuzz::kLanguage);
    fuzz::EvaluateOnce(model);
    if (model.CurrentProtocol() == nullptr)
        FUZZ_REQUIRE(!model.CurrentProtocolProblem(fuzz::kLanguage).empty());

    // Decoding and encoding every section gives the image back; a section cut
    // short by the end of the image may only add bytes after it.
    const std::vector<std::uint8_t> before = model.Image;
    model.DecodeAll(fuzz::kLanguage);
    for (int k = 1; k <= kRecordCount; ++k)
        model.EncodeSection(k);
    FUZZ_REQUIRE(model.Image.size() >= before.size());
    FUZZ_REQUIRE(std::equal(before.begin(), before.end(), model.Image.begin()));

    // The checks a write makes refuse with a message or pass; nothing else.
    try {
        CheckSettingsComplete(model, fuzz::kLanguage);
    } catch (const Error&) {
    }
    try {
        CheckSectionsWritable(before, fuzz::kLanguage);
    } catch (const Error&) {
    }

    // As the window and every command open it: one judgement. A file is
    // refused exactly when its image is not settings; an accepted one
    // replaces the whole image and, saved and read again, is the same.
    SettingsModel window = fuzz::FreshModel();
    const SettingsModel untouched = window;
    std::optional<JudgedSettings> judged;
    try {
        judged = LoadSettingsFile(path, fuzz::kLanguage);
    } catch (const Error&) {
        FUZZ_REQUIRE(!ImageProblem(before, fuzz::kLanguage).empty());
        FUZZ_REQUIRE(window.Image == untouched.Image);
        return 0;
    }
    FUZZ_REQUIRE(ImageProblem(before, fuzz::kLanguage).empty() && problem.empty());
    FUZZ_REQUIRE(judged->image == before);
    ApplySettings(window, *judged, fuzz::kLanguage);
    FUZZ_REQUIRE(window.Image == before);
    for (int k = 1; k <= 10; ++k) // what the editor's OK does
        window.EncodeSection(k);
    FUZZ_REQUIRE(window.Image == before); // no section spills past the image or its record
    WriteSettingsFile(window, saved, fuzz::kLanguage);
    SettingsModel again = fuzz::FreshModel();
    again.Image.clear();
    ReadSettingsFile(again, saved, fuzz::kLanguage);
    FUZZ_REQUIRE(again.Image == window.Image);
    FUZZ_REQUIRE(again.DeviceModelCode == window.DeviceModelCode);
    return 0;
}
