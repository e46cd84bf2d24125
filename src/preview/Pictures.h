#pragma once
// The monochrome pictures that the previews draw in the current ink: the dial
// face, its scales, the needle and ring, and the small symbols of the lower
// panel and the extra panel. Each is described by shapes (DrawPictureFresh);
// the bits those shapes give are kept, run-length coded, in PictureData.cpp,
// so a process decodes them instead of drawing them again.
#include "preview/PreviewCanvas.h"

#include <cstddef>
#include <cstdint>

namespace tc {

enum class PictureId {
    Circle99,    // 199 x 199 dial face
    ScaleL,      // 79 x 136 scale of the left dial (five marks)
    ScaleR,      // 149 x 136 scale of the right dial (nine marks)
    Arrow,       // 129 x 129 needle, pivot in the middle
    Circle9,     // 9 x 9 ring
    GasStation,  // 25 x 49 fuel pump
    Acc,         // 79 x 41 battery
    BoatMotor,   // 33 x 49 outboard motor
    BoatScaleT,  // 33 x 105 trim scale
    BoatScaleC,  // 33 x 105 roll scale
    BoatT,       // 41 x 17 boat from the side
    BoatC,       // 41 x 17 boat from behind
    CheckEngine, // 105 x 105 engine symbol
    Electro,     // 105 x 105 electric drive symbol
};

constexpr int kPictureCount = static_cast<int>(PictureId::Electro) + 1;

// The kept picture, decoded on first use.
const MonoPicture& Picture(PictureId id);
// The picture drawn from its shapes now (each pixel set when most of its
// 3 x 3 samples are): what the kept one must equal, and its source.
MonoPicture DrawPictureFresh(PictureId id);

namespace preview_pictures {
// Generated from DrawPictureFresh (see tests/preview/PicturesTest.cpp): the
// size of every picture and its pixels row by row as runs of alternately
// clear and set pixels, clear first; picture i has the runs from
// kPictureRunStart[i] up to kPictureRunStart[i + 1].
extern const int kPictureSize[kPictureCount][2];
extern const std::size_t kPictureRunStart[kPictureCount + 1];
extern const std::uint16_t kPictureRuns[];
} // namespace preview_pictures

} // namespace tc
