// Display preview command: draws one screen of a settings file into a PNG.
#include "Command.h"

#include "catalogs/Catalogs.h"
#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Language.h"
#include "model/SettingsFile.h"
#include "preview/Screens.h"

#include <png.h>

#include <csetjmp>
#include <iostream>

namespace tc::cli {
namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// The picture as an 8-bit RGB PNG in memory.
std::vector<std::uint8_t> EncodePng(const PreviewCanvas& picture)
{
    const std::vector<std::uint8_t> rgb = picture.ToRgb();
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, &info);
        throw Error("PNG: out of memory");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw Error("PNG: encoding failed");
    }
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    png_set_IHDR(png, info, kPreviewWidth, kPreviewHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kPreviewHeight; ++y)
        png_write_row(png, rgb.data() + static_cast<std::size_t>(y) * kPreviewWidth * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

const Registration kPreview{{"preview",
    "preview FILE --screen NAME [--display N] [--scheme day|night] [--seed N] [--english] -o OUT.png",
    "draw a display preview of the settings in FILE (NAME: x1, x1list, x4, x9, x6, menu, dials, graphs, panel)",
    {{"--screen", "NAME", "the screen to draw", Complete::Words, "x1 x1list x4 x9 x6 menu dials graphs panel"},
     {"--display", "N", "the display number (default 1)"},
     {"--scheme", "day|night", "the colour scheme (default day)", Complete::Words, "day night"},
     {"--seed", "N", "the seed of the graph's noise (default 1)"},
     {"-o", "OUT.png", "the picture to write", Complete::Png}},
    {{Complete::Settings}},
    [](Args& args) {
        const std::string screenName = args.Option("--screen");
        const std::string displayText = args.Option("--display", "1");
        const std::string schemeName = args.Option("--scheme", "day");
        const std::string seedText = args.Option("--seed", "1");
        const std::string out = args.Option("-o");
        const auto rest = args.Positional();
        if (rest.size() != 1)
            throw UsageError{"expected one settings FILE"};
        if (screenName.empty() || out.empty())
            throw UsageError{"--screen and -o are required"};
        const auto screen = ParsePreviewScreen(screenName);
        if (!screen)
            throw UsageError{"unknown screen \"" + screenName + "\" (x1, x1list, x4, x9, x6, menu, dials, graphs, panel)"};
        if (schemeName != "day" && schemeName != "night")
            throw UsageError{"--scheme must be day or night"};
        const int display = static_cast<int>(ParseNumber(displayText, 255, "N"));
        const auto seed = static_cast<std::uint32_t>(ParseNumber(seedText, 0xFFFFFFFF, "--seed"));

        SettingsModel model;
        ReadCheckedSettingsFile(model, rest[0]);
        for (const auto& problem : model.DecodeAll())
            std::cerr << "warning: " << problem << "\n";
        EvaluateModel(model.DeviceModelCode, model.ProtocolIndex());
        model.EditedScheme = schemeName == "night" ? 1 : 0;

        PreviewInputs in = InputsFromModel(model);
        in.randomSeed = seed;
        PreviewCanvas picture;
        DrawPreviewScreen(picture, in, *screen, display);
        WriteFileAtomically(out, EncodePng(picture));
        std::cout << "wrote " << out << "\n";
        return 0;
    }}};

} // namespace
} // namespace tc::cli
