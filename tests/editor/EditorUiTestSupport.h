#pragma once
// The settings editor run modally in window tests.
#include "editor/ui/SettingsEditor.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace tc::test {

// Runs the editor modally through the model's edit procedure; `act` works on
// the open, active dialog and closes it (an open dialog is cancelled after it).
inline bool RunWith(SettingsModel& model, const std::function<void(ui::SettingsEditor&, EditSession&)>& act)
{
    return EditSettings(model, [&](EditSession& session) {
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

} // namespace tc::test
