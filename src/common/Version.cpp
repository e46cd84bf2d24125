#include "common/Version.h"

#include "GitVersion.h" // generated in the build folder

namespace tc {

const char* ProjectVersion()
{
    return TRIPCONF_VERSION;
}

std::string VersionText()
{
    const std::string describe = TRIPCONF_GIT_DESCRIBE;
    return describe.empty() ? std::string(TRIPCONF_VERSION) : std::string(TRIPCONF_VERSION) + " (git " + describe + ")";
}

} // namespace tc
