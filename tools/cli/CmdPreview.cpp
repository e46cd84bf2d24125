// Display preview command: draws one screen of a settings file into a PNG.
#include "Command.h"

#include "catalogs/Catalogs.h"
#include "common/AtomicFile.h"
#include "common/Error.h"
#include "common/Language.h"
#include "model/SettingsFile.h"
#include "preview/Screens.h"

#ifdef TRIPCONF_HAVE_PNG
#include <png.h>

#include <csetjmp>
#endif
#include <array>
#include <iostream>

namespace tc::cli {
namespace {

#ifdef TRIPCONF_HAVE_PNG

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
    // A preview is flat colour: the fastest deflate without row filters makes
    // it a few kilobytes, where trying every filter on every row took longer
    // than drawing the picture.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, kPreviewWidth, kPreviewHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kPreviewHeight; ++y)
        png_write_row(png, rgb.data() + static_cast<std::size_t>(y) * kPreviewWidth * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}
#else
// Without libpng (the Windows build): the same 8-bit RGB PNG, its pixels in
// stored (uncompressed) deflate blocks, which every PNG reader takes.
void PutU32Big(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data)
{
    PutU32Big(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutU32Big(out, Crc32(out.data() + start, out.size() - start));
}

std::vector<std::uint8_t> EncodePng(const PreviewCanvas& picture)
{
    const std::vector<std::uint8_t> rgb = picture.ToRgb();
    const std::size_t row = static_cast<std::size_t>(kPreviewWidth) * 3;
    std::vector<std::uint8_t> raw; // each row after its filter byte 0 (none)
    for (int y = 0; y < kPreviewHeight; ++y) {
        raw.push_back(0);
        const auto* line = rgb.data() + static_cast<std::size_t>(y) * row;
        raw.insert(raw.end(), line, line + row);
    }
    std::vector<std::uint8_t> z{0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::size_t at = 0; at < raw.size();) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(n));
        z.push_back(static_cast<std::uint8_t>(n >> 8));
        z.push_back(static_cast<std::uint8_t>(~n));
        z.push_back(static_cast<std::uint8_t>(~n >> 8));
        for (std::size_t i = at; i < at + n; ++i) {
            a = (a + raw[i]) % 65521;
            b = (b + a) % 65521;
        }
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    PutU32Big(z, (b << 16) | a);
    std::vector<std::uint8_t> header;
    PutU32Big(header, kPreviewWidth);
    PutU32Big(header, kPreviewHeight);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter, no interlace
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", z);
    PutChunk(out, "IEND", {});
    return out;
}
#endif

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
        const auto& rest = args.Positional(1, "expected one settings FILE");
        if (screenName.empty() || out.empty())
            throw UsageError{"--screen and -o are required"};
        const auto screen = ParsePreviewScreen(screenName);
        if (!screen)
            throw UsageError{"unknown screen \"" + screenName + "\" (x1, x1list, x4, x9, x6, menu, dials, graphs, panel)"};
        if (schemeName != "day" && schemeName != "night")
            throw UsageError{"--scheme must be day or night"};
        const int display = static_cast<int>(ParseNumber(displayText, 255, "N"));
        const auto seed = static_cast<std::uint32_t>(ParseNumber(seedText, 0xFFFFFFFF, "--seed"));

        SettingsModel model(args.language);
        ReadCheckedSettingsFile(model, rest[0], args.language);
        for (const auto& problem : model.DecodeAll(args.language))
            std::cerr << "warning: " << problem << "\n";
        model.EvaluateCatalog(args.language);

        PreviewInputs in = InputsFromModel(model, args.language, seed);
        in.scheme = schemeName == "night" ? 1 : 0;
        PreviewCanvas picture;
        DrawPreviewScreen(picture, in, *screen, display);
        WriteFileAtomically(out, EncodePng(picture), args.language);
        std::cout << "wrote " << out << "\n";
        return 0;
    }}};

} // namespace
} // namespace tc::cli
