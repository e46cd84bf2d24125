#include "editor/ui/EditorPanel.h"

#include "editor/ui/DisplayPanel.h"
#include "editor/ui/FieldBinder.h"
#include "editor/ui/TankPanels.h"
#include "editor/ui/VoicePanel.h"
#include "editor/ui/ServicePanels.h"
#include "ui/Prompter.h"
#include "ui/Text.h"


namespace tc::ui {

QList<QWidget*> EditorPanel::TabChain() const
{
    QList<QWidget*> chain;
    for (QWidget* w : findChildren<QWidget*>())
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy() && !host_.Binder().Owns(w))
            chain.push_back(w);
    return chain;
}

std::vector<std::size_t> EditorHost::PartRows(std::string_view part)
{
    std::vector<std::size_t> rows;
    const auto fields = EditorFields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].part == part)
            rows.push_back(i);
    return rows;
}

bool EditorPanel::Store(const std::function<void(SettingsModel&)>& edit)
{
    ChangedFields changed;
    bool stored = true;
    try {
        changed = Session().Apply(edit);
    } catch (const std::exception& e) {
        stored = false;
        ShowFailure(e);
    }
    Refresh();
    host_.Changed(changed, this);
    return stored;
}

std::span<const PanelDef> EditorPanels()
{
    // The makers live with their panels, a file each.
    static const std::vector<PanelDef> panels = {
        {Page::Display, "display", MakeDisplayPanel},
        {Page::Voice, "voice", MakeVoicePanel},
        {Page::Tank, "tank", MakeTankPanel},
        {Page::Maintenance, "maintenance.file", MakeServiceFilePanel},
        {Page::ExtraSystems, "systems", MakeExtraSystemsPanel},
    };
    return panels;
}

} // namespace tc::ui
