#pragma once
// What the command line needs from the system it runs on.
#include <string>
#include <vector>

namespace tc::cli {

// The arguments after the program's name, as UTF-8. On Windows they come
// from the wide command line (a Cyrillic file name survives any code page),
// and the console is switched to UTF-8 for the program's texts.
std::vector<std::string> Arguments(int argc, char** argv);

} // namespace tc::cli
