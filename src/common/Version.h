#pragma once
// The program's version: the project's version and, where the build knew
// it, the `git describe` of the sources it was built from.
#include <string>

namespace tc {

// "0.1.0", from the CMake project.
const char* ProjectVersion();

// "0.1.0 (git d357ac0)", or "0.1.0" for a build outside a git checkout.
std::string VersionText();

} // namespace tc
