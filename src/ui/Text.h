#pragma once
// Texts for Qt widgets: the core's UTF-8 strings as QString, and the
// bilingual pick of the core (tc::Tr) returned ready for a widget.
#include "common/Language.h"

#include <QString>

#include <string>
#include <string_view>

namespace tc::ui {

// A core text (UTF-8) as a QString.
inline QString ToQ(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The text of the current language, as tc::Tr picks it.
inline QString QTr(std::string_view russian, std::string_view english)
{
    return ToQ(tc::Tr(russian, english));
}

} // namespace tc::ui
