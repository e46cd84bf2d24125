#pragma once
// The save's own messages, one text for the POSIX and the Windows side.
#include "common/Language.h"

#include <string>

namespace tc::detail {

inline std::string FailedText(const std::string& path)
{
    return Tr("Не удаётся записать файл \"" + path + "\": ", "Cannot write file \"" + path + "\": ");
}

inline std::string NotRegularText(const std::string& path)
{
    return Tr("Файл \"" + path + "\" не записан: это не обычный файл, а папка, канал или устройство.",
              "File \"" + path + "\" was not written: it is not a regular file but a folder, a pipe or a device.");
}

} // namespace tc::detail
