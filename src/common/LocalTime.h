#pragma once
// The local calendar time of a moment, on either system.
#include <ctime>

namespace tc {

inline std::tm LocalTime(std::time_t t)
{
    std::tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &t);
#else
    ::localtime_r(&t, &local);
#endif
    return local;
}

} // namespace tc
