#pragma once
// The settings editor run modally in window tests.
#include "editor/ui/SettingsEditor.h"
#include "ui/Text.h"
#include "ui/WindowTest.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace tc::test {

// Runs the editor modally through the model's edit procedure, the windows and
// the session in `language`; `act` works on the open, active dialog and
// closes it (an open dialog is cancelled after it).
inline bool RunWith(SettingsModel& model, Language language, const std::function<void(ui::SettingsEditor&, EditSession&)>& act)
{
    const ui::WindowLanguageScope scope(language);
    return EditSettings(model, language, [&](EditSession& session) {
        ui::SettingsEditor dialog(session);
        QTimer::singleShot(0, &dialog, [&] {
            QApplication::setActiveWindow(&dialog);
            if (QTest::qWaitForWindowActive(&dialog))
                act(dialog, session);
            else
                qWarning("the editor did not become the active window");
            if (dialog.isVisible())
                dialog.done(QDialog::Rejected);
        });
        return dialog.exec() == QDialog::Accepted;
    });
}

// The columns a window test's rows start with: the device model and the
// language the windows and the session show.
inline void ModelAndLanguageColumns()
{
    QTest::addColumn<int>("modelCode");
    QTest::addColumn<bool>("english");
}

// Shows the control's page, puts the focus into its spin box or line edit and
// types over its text: a spin box gets key clicks, a line edit key events
// carrying each character (Cyrillic too); empty text deletes a line's text.
inline void TypeOver(ui::SettingsEditor& dialog, const char* key, const QString& text)
{
    const ui::FieldWidget* w = dialog.Control(key);
    QVERIFY2(w && (w->spin || w->line), key);
    dialog.pages->setCurrentWidget(dialog.PageTab(w->Row().page));
    if (w->spin) {
        w->spin->setFocus(Qt::TabFocusReason);
        w->spin->selectAll();
        QTest::keyClicks(w->spin, text);
        return;
    }
    w->line->setFocus(Qt::TabFocusReason);
    w->line->selectAll();
    if (text.isEmpty())
        QTest::keyClick(w->line, Qt::Key_Delete);
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w->line, &press);
    }
}

inline bool RunWith(SettingsModel& model, const std::function<void(ui::SettingsEditor&, EditSession&)>& act)
{
    return RunWith(model, Language::Russian, act);
}

} // namespace tc::test
