#include "ui/Text.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace tc::ui {

namespace {
// Russian until the main window reads the user's choice.
Language windowLanguage = Language::Russian;
} // namespace

Language WindowLanguage() { return windowLanguage; }

void SetWindowLanguage(Language language) { windowLanguage = language; }

void SetCaptions(std::initializer_list<WidgetCaption> captions, Language language)
{
    for (const WidgetCaption& c : captions) {
        const QString text = QTr(language, c.russian, c.english);
        if (auto* box = qobject_cast<QGroupBox*>(c.target))
            box->setTitle(text);
        else if (auto* menu = qobject_cast<QMenu*>(c.target))
            menu->setTitle(text);
        else if (auto* label = qobject_cast<QLabel*>(c.target))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(c.target))
            button->setText(text);
        else if (auto* action = qobject_cast<QAction*>(c.target))
            action->setText(text);
    }
}

} // namespace tc::ui
