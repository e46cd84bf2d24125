#include "Platform.h"

#ifdef _WIN32
#include "common/WinSystem.h"

#include <windows.h>
#include <shellapi.h>
#endif

namespace tc::cli {

std::vector<std::string> Arguments(int argc, char** argv)
{
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> args;
        for (int i = 1; i < count; ++i)
            args.push_back(win::Narrow(wide[i]));
        LocalFree(wide);
        return args;
    }
#endif
    return std::vector<std::string>(argv + 1, argv + argc);
}

} // namespace tc::cli
