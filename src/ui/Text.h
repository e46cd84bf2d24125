#pragma once
// Texts for Qt widgets: the core's UTF-8 strings as QString, and the
// bilingual pick of the core (tc::Tr) returned ready for a widget.
#include "common/Language.h"

#include <QString>

#include <initializer_list>
#include <string>
#include <string_view>

class QObject;

namespace tc::ui {

// A core text (UTF-8) as a QString.
inline QString ToQ(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The language of the windows. The main window sets it from the user's
// choice (kept in the ini) before it builds anything; window code reads it
// here and hands it, as a value, to the layers below.
Language WindowLanguage();
void SetWindowLanguage(Language language);

// The text in the given language.
inline QString QTr(Language language, std::string_view russian, std::string_view english)
{
    return ToQ(tc::Tr(language, russian, english));
}

// The text in the language of the windows.
inline QString QTr(std::string_view russian, std::string_view english)
{
    return QTr(WindowLanguage(), russian, english);
}

// A caption of a window in both languages: the title of a group box or a
// menu, the text of a label, a button or a menu entry.
struct WidgetCaption {
    QObject* target;
    std::string_view russian;
    std::string_view english;
};

// Sets every caption in the given language.
void SetCaptions(std::initializer_list<WidgetCaption> captions, Language language);

} // namespace tc::ui
