#pragma once
// The display page: colour schemes, the digital, graph and pointer displays,
// the hot menus, the extra panel and the miscellaneous settings, each a
// sub-page built from its row of the page's table (editor/DisplayPage.h).
// Previews are the core's pictures at 1:1, redrawn when they are next shown
// after any change; a right-click (or Enter) on a preview opens the picker of
// the field under the pointer.
#include "editor/DisplayPage.h"
#include "editor/HotMenus.h"
#include "editor/ui/EditorPanel.h"
#include "editor/ui/PreviewBox.h"
#include "preview/Screens.h"

#include <QColor>
#include <QImage>
#include <QList>

#include <functional>
#include <optional>
#include <vector>

class QButtonGroup;
class QMenu;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;

namespace tc::ui {

class DisplayPanel : public EditorPanel {
    Q_OBJECT
public:
    DisplayPanel(EditorHost& host, QWidget* parent = nullptr);
    void Refresh() override;

    QTabWidget* subpages = nullptr;
    // Every preview, with the layout and display it edits (layout X1 display 0
    // is the single display's panel; nullptr layout for the colour samples).
    struct Preview {
        PreviewBox* box = nullptr;
        std::optional<DisplayLayout> layout;
        int display = 0;
    };
    const std::vector<Preview>& Previews() const { return previews_; }
    // The seed of every graph drawing: the clock, so that the curve is new on
    // every draw; tests fix it.
    std::function<std::uint32_t()> GraphSeed = ClockSeed;
    PreviewBox* PreviewOf(DisplayLayout layout, int display) const;
    // The picker of one field, built as the right-click builds it (tests open and read it).
    QMenu* MakePicker(DisplayLayout layout, int display, int field, QWidget* parent);
    // A click at a point of a preview: the picker of the field under it, or nothing.
    QMenu* MakePickerAt(DisplayLayout layout, int display, QPoint at, QSize size, QWidget* parent);
    QTableWidget* Palette() const { return palette_; }
    QTableWidget* HotMenu(int list) const { return hotMenus_.at(static_cast<std::size_t>(list)); }
    // The context menu of a hot-menu row (Insert item with its tree, Delete item, Clear all).
    QMenu* MakeHotMenuActions(int list, int row, QWidget* parent);
    QSpinBox* red = nullptr;
    QSpinBox* green = nullptr;
    QSpinBox* blue = nullptr;
    QButtonGroup* scheme = nullptr;
    // Beside the levels: a swatch of the row's colour that opens a colour picker.
    QPushButton* pickColour = nullptr;
    // The picker (a QColorDialog with the scheme's 16 colours as custom
    // colours); tests replace it. Returns the chosen colour, nothing on Cancel.
    std::function<std::optional<QColor>(const QColor& current, const QList<QColor>& scheme)> PickColour;

protected:
    // The hot-menu grids' keys: Insert, Delete, Alt+Up, Alt+Down.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A colour-role sub-page: its roles, their grid and the edit of the chosen one.
    struct RoleTab {
        RoleGroup group{};
        std::vector<const RoleDef*> roles;
        QTableWidget* grid = nullptr;
        QSpinBox* index = nullptr;
    };

    // The sub-pages by what they edit: a layout's slots, the palettes, the
    // hot-menu lists, or field rows.
    QWidget* BuildLayoutPage(const DisplaySubpage& def, const ItemArea& displays);
    QWidget* BuildColours(const DisplaySubpage& def, const ItemArea& palette);
    QWidget* BuildRoleTab(RoleGroup group);
    QWidget* BuildHotMenus(const DisplaySubpage& def, const ItemArea& lists);
    QWidget* BuildRowsPage(const DisplaySubpage& def);
    PreviewBox* AddPreview(std::optional<DisplayLayout> layout, int display, PreviewBox::Draw draw, bool anew, QWidget* parent);
    PreviewInputs Inputs() const;
    QString Pick(const char* ru, const char* en) const;
    QString Pick(const Text& text) const;
    void FillColours();
    void FillHotMenus();
    void ChooseColour();
    // Structured edits of the edited scheme and of the hot-menu lists, stored through the session.
    void EditScheme(const std::function<void(ColourSchemes&)>& edit);
    void EditMenus(const std::function<void(HotMenus&)>& edit);
    void StoreColour();
    void StoreRole(const RoleTab& tab);
    // Everything the pictures are drawn from but the graphs' seed: record 9,
    // the edited scheme, the language, the model and its protocol.
    std::vector<std::uint8_t> PictureState() const;

    std::vector<Preview> previews_;
    QTableWidget* palette_ = nullptr;
    std::vector<RoleTab> roleTabs_;
    std::vector<QTableWidget*> hotMenus_;
    bool filling_ = false;
    std::vector<std::uint8_t> drawnState_; // PictureState() of the kept pictures
};

EditorPanel* MakeDisplayPanel(EditorHost& host, QWidget* parent);

} // namespace tc::ui
