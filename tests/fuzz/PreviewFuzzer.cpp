// Every preview screen drawn from any image. Input: the display number, the
// scheme (bit 0) and language (bit 1), the curve's seed, the model code, then
// the plain image.
#include "FuzzSupport.h"

#include "catalogs/Catalogs.h"
#include "common/Error.h"
#include "model/SettingsModel.h"
#include "preview/Screens.h"

#include <algorithm>

using namespace tc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Choices in(data, size);
    const int display = in.Byte();
    const std::uint8_t look = in.Byte();
    const std::uint32_t seed = in.U32();
    SettingsModel model = fuzz::FreshModel();
    if (!fuzz::FillModel(in, model))
        return 0;
    fuzz::EvaluateOnce(model);

    PreviewInputs inputs = InputsFromModel(model, LanguageOf((look & 2) != 0), seed);
    inputs.scheme = look & 1;
    for (auto screen : {PreviewScreen::X1, PreviewScreen::X1List, PreviewScreen::X4, PreviewScreen::X9, PreviewScreen::X6,
                        PreviewScreen::Menu, PreviewScreen::Dials, PreviewScreen::Graphs, PreviewScreen::Panel}) {
        const int count = PreviewDisplayCount(screen, inputs);
        FUZZ_REQUIRE(count >= 0);
        PreviewCanvas canvas;
        if (count == 0) {
            bool refused = false;
            try {
                DrawPreviewScreen(canvas, inputs, screen, 1);
            } catch (const Error&) {
                refused = true;
            }
            FUZZ_REQUIRE(refused);
            continue;
        }
        DrawPreviewScreen(canvas, inputs, screen, 1 + display % count); // the display the input picks
    }
    return 0;
}
