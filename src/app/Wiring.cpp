#include "app/Wiring.h"

#include "app/MainWindow.h"
#include "catalogs/MeasuredParameters.h"
#include "editor/ui/SettingsEditor.h"
#include "journals/ui/JournalsDialog.h"

#include <QLocale>

namespace tc::ui {

void WireDialogs(MainWindow& form)
{
    // Numbers in range texts use the decimal separator of the user's locale.
    const QString separator = QLocale().decimalPoint();
    if (separator.size() == 1 && separator[0].unicode() < 0x80)
        SetLocaleDecimalSeparator(static_cast<char>(separator[0].unicode()));
    // The main window runs the editor inside the model's edit procedure and
    // the viewer inside its journal procedure.
    form.RunEditor = ExecSettingsEditor;
    form.RunJournalViewer = ExecJournalDialog;
}

} // namespace tc::ui
