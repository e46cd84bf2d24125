#include "common/Language.h"

namespace tc {

bool EnglishVersion = false;

} // namespace tc
