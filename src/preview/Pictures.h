#pragma once
// The monochrome pictures that the previews draw in the current ink: the dial
// face, its scales, the needle and ring, and the small symbols of the lower
// panel and the extra panel. Built once, on first use.
#include "preview/PreviewCanvas.h"

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

const MonoPicture& Picture(PictureId id);

} // namespace tc
