#pragma once
// Re-labelling of three measured parameters by the device model and the
// settings: the air temperature (code 11) follows the temperature caption
// choice, the range forecast (code 9) and the trim (code 55) the distance
// units. Each overwrites the texts of the catalog entry it names, in the
// given language; a catalog without the entry is left as it is.
#include "catalogs/MeasuredParameters.h"

namespace tc {

// captionChoice: record 5 offset 7 (1 water, 2 engine, anything else air).
void RenameTemperature(MeasParList& catalog, const ModelFeatures& features, int captionChoice, bool english);
void RenameForecast(MeasParList& catalog, const ModelFeatures& features, bool english);
void RenameTrim(MeasParList& catalog, const ModelFeatures& features, bool english);
// All three, as the editor does when it opens; the caption choice from record 5 offset 7.
void RelabelParameters(MeasParList& catalog, const ModelFeatures& features, int captionChoice, bool english);

} // namespace tc
