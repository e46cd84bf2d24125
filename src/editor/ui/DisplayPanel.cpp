#include "editor/ui/DisplayPanel.h"

#include "editor/ColourSchemes.h"
#include "editor/DisplayPickers.h"
#include "editor/HotMenus.h"
#include "model/DisplayRecord.h"
#include "model/SettingsModel.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tc::ui {

namespace {

constexpr int kRecord = kDisplayRecord;

// The colour of a packed palette entry on the PC's screen.
QColor ScreenQColor(std::uint16_t packed)
{
    const ScreenRgb c = ScreenColour(packed);
    return {c.r, c.g, c.b};
}

// A grid of whole rows, one selected at a time, read-only, as tall as its
// rows (each `padding` pixels above the font's height).
QTableWidget* MakeGrid(int rows, int columns, int padding, QWidget* parent)
{
    auto* grid = new QTableWidget(rows, columns, parent);
    grid->horizontalHeader()->hide();
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + padding);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            grid->setItem(r, c, new QTableWidgetItem);
    grid->setMinimumHeight(grid->verticalHeader()->defaultSectionSize() * rows + padding);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return grid;
}

// A grid of a caption and a colour swatch per row.
QTableWidget* MakeColourGrid(int rows, QWidget* parent)
{
    QTableWidget* grid = MakeGrid(rows, 2, 4, parent);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
    grid->horizontalHeader()->resizeSection(1, 48);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    grid->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    return grid;
}

QSpinBox* MakeLevel(int max, QWidget* parent)
{
    auto* spin = new QSpinBox(parent);
    spin->setRange(0, max);
    spin->setKeyboardTracking(false);
    return spin;
}

// A sub-page asks for its whole size up to what the dialog can give; beyond it, it scrolls.
class SubpageScroll : public QScrollArea {
public:
    QSize sizeHint() const override
    {
        const QSize inner = widget() ? widget()->sizeHint() : QSize();
        return (inner + QSize(verticalScrollBar()->sizeHint().width(), 4)).boundedTo(QSize(940, 400));
    }
};

QLabel* Hint(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

void AddNodes(QMenu* menu, const std::vector<MenuNode>& nodes, const std::function<void(std::uint16_t)>& chosen)
{
    for (const MenuNode& n : nodes) {
        if (n.code == 0) {
            AddNodes(menu->addMenu(ToQ(n.caption)), n.children, chosen);
            continue;
        }
        QAction* a = menu->addAction(ToQ(n.caption));
        a->setData(n.code);
        QObject::connect(a, &QAction::triggered, menu, [chosen, code = n.code] { chosen(code); });
    }
}

} // namespace

// ---- DisplayPanel ----

DisplayPanel::DisplayPanel(EditorHost& host, QWidget* parent) : EditorPanel(host, parent)
{
    subpages = new QTabWidget(this);
    subpages->setObjectName(QStringLiteral("display.subpages"));
    // The sub-pages from their table, each built from what it edits; each
    // scrolls on its own, so the widest one does not widen the others.
    for (const DisplaySubpage& def : DisplaySubpages()) {
        QWidget* page = nullptr;
        if (const ItemArea* area = FindItemArea(def.edits))
            page = area->value == ItemValue::Slot ? BuildLayoutPage(def, *area)
                 : area->value == ItemValue::Menu ? BuildHotMenus(def, *area)
                                                  : BuildColours(def, *area);
        else
            page = BuildRowsPage(def);
        auto* scroll = new SubpageScroll;
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setWidget(page);
        subpages->addTab(scroll, Pick(def.title));
    }

    // Ten sub-pages do not fit one row of tabs: two rows of buttons choose
    // them instead of a tab bar with hidden scroll arrows.
    subpages->tabBar()->hide();
    auto* strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("display.subpageButtons"));
    auto* rows = new QGridLayout(strip);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);
    auto* chosen = new QButtonGroup(strip);
    const int perRow = (subpages->count() + 1) / 2;
    for (int i = 0; i < subpages->count(); ++i) {
        auto* b = new QToolButton(strip);
        b->setText(subpages->tabText(i));
        b->setCheckable(true);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setFocusPolicy(Qt::StrongFocus);
        chosen->addButton(b, i);
        rows->addWidget(b, i / perRow, i % perRow);
    }
    chosen->button(0)->setChecked(true);
    connect(chosen, &QButtonGroup::idClicked, subpages, &QTabWidget::setCurrentIndex);
    connect(subpages, &QTabWidget::currentChanged, chosen, [chosen](int i) {
        if (QAbstractButton* b = chosen->button(i))
            b->setChecked(true);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(strip);
    layout->addWidget(subpages, 1);
    Refresh();
}

QString DisplayPanel::Pick(const char* ru, const char* en) const
{
    return ToQ(Tr(Session().Context().language, ru, en));
}

QString DisplayPanel::Pick(const Text& text) const
{
    return ToQ(text.Pick(Session().Context().language));
}

PreviewInputs DisplayPanel::Inputs() const
{
    return DisplayPreviewInputs(Session(), GraphSeed());
}

PreviewBox* DisplayPanel::AddPreview(std::optional<DisplayLayout> layout, int display, PreviewBox::Draw draw, bool anew, QWidget* parent)
{
    auto* box = new PreviewBox(std::move(draw), parent);
    box->anew = anew;
    if (layout) {
        box->setObjectName(QStringLiteral("preview.%1.%2").arg(ToQ(LayoutOf(*layout).key)).arg(display + 1));
        const DisplayLayout l = *layout;
        box->pick = [this, l, display, box](QPoint at, QPoint global) {
            if (QMenu* menu = MakePickerAt(l, display, at, box->size(), box)) {
                menu->exec(global);
                delete menu;
            }
        };
        box->pickByKey = [this, l, display, box](QPoint global) {
            QMenu fields(box);
            for (int f = 0; f < LayoutOf(l).fields; ++f) {
                QMenu* picker = MakePicker(l, display, f, &fields);
                QString current;
                for (QAction* a : picker->actions())
                    if (a->isChecked())
                        current = a->text();
                picker->setTitle(Pick("Поле ", "Field ") + QString::number(f + 1) + (current.isEmpty() ? QString() : ": " + current));
                fields.addMenu(picker);
            }
            fields.exec(global);
        };
        box->setToolTip(Pick("Щелчок или Enter: выбрать показываемый параметр", "Click or Enter: choose the parameter shown"));
    }
    previews_.push_back({box, layout, display});
    return box;
}

PreviewBox* DisplayPanel::PreviewOf(DisplayLayout layout, int display) const
{
    for (const Preview& p : previews_)
        if (p.layout == layout && p.display == display)
            return p.box;
    return nullptr;
}

QMenu* DisplayPanel::MakePicker(DisplayLayout layout, int display, int field, QWidget* parent)
{
    const auto& ctx = Session().Context();
    static const MeasParList kNoParameters;
    const auto items = PickerItems(layout, field, ctx.protocol, ctx.params ? *ctx.params : kNoParameters, ctx.features, IsEnglish(ctx.language));
    const int stored = SlotValue(Session().Model().Record(kRecord), layout, display, field);
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("picker"));
    for (const PickerItem& item : items) {
        QAction* a = menu->addAction(ToQ(item.caption));
        a->setCheckable(true);
        a->setChecked(item.code == stored);
        a->setData(item.code);
        connect(a, &QAction::triggered, this, [this, layout, display, field, code = item.code] {
            const bool english = IsEnglish(Session().Context().language);
            Store([&](SettingsModel& m) { SetSlotValue(m.Record(kRecord), layout, display, field, code, english); });
        });
    }
    return menu;
}

QMenu* DisplayPanel::MakePickerAt(DisplayLayout layout, int display, QPoint at, QSize size, QWidget* parent)
{
    const auto field = FieldAt(layout, size.width(), size.height(), at.x(), at.y());
    if (!field)
        return nullptr; // outside the part that picks a field
    return MakePicker(layout, display, *field, parent);
}

// ---- colour schemes ----

QWidget* DisplayPanel::BuildColours(const DisplaySubpage& def, const ItemArea& palette)
{
    auto* page = new QWidget;
    page->setObjectName(ToQ(def.name));
    auto* outer = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    auto* row = new QHBoxLayout;
    outer->addLayout(row);
    outer->addStretch(1);

    auto* left = new QVBoxLayout;
    auto* schemeBox = new QGroupBox(Pick("Цветовая схема", "Color scheme"), page);
    auto* schemeRow = new QHBoxLayout(schemeBox);
    scheme = new QButtonGroup(schemeBox);
    for (int s = 0; s < palette.groups; ++s) {
        auto* b = new QRadioButton(s == 0 ? Pick("День", "Day") : Pick("Ночь", "Night"), schemeBox);
        b->setObjectName(QStringLiteral("display.scheme.") + ToQ(palette.groupKeys[static_cast<std::size_t>(s)]));
        scheme->addButton(b, s);
        schemeRow->addWidget(b);
    }
    connect(scheme, &QButtonGroup::idClicked, this, [this](int s) {
        // The edited scheme is the session's state: choosing it writes nothing.
        Session().SelectScheme(s);
        Refresh();
    });
    top->addWidget(schemeBox);

    auto* paletteBox = new QGroupBox(Pick("Палитра цветов", "Color palette"), page);
    auto* paletteLayout = new QGridLayout(paletteBox);
    palette_ = MakeColourGrid(palette.count, paletteBox);
    palette_->setObjectName(ToQ(palette.key));
    for (int r = 0; r < palette.count; ++r)
        palette_->item(r, 0)->setText(Pick(palette.itemWord) + QString::number(r + palette.firstItem));
    paletteLayout->addWidget(palette_, 0, 0, 5, 1);
    red = MakeLevel(kMaxColourLevel, paletteBox);
    green = MakeLevel(kMaxColourLevel, paletteBox);
    blue = MakeLevel(kMaxColourLevel, paletteBox);
    const std::pair<QSpinBox*, QString> levels[] = {{red, Pick("Красный", "Red")}, {green, Pick("Зеленый", "Green")}, {blue, Pick("Синий", "Blue")}};
    int line = 0;
    for (const auto& [spin, caption] : levels) {
        auto* label = new QLabel(caption, paletteBox);
        label->setBuddy(spin);
        paletteLayout->addWidget(label, line, 1);
        paletteLayout->addWidget(spin, line, 2);
        connect(spin, &QSpinBox::valueChanged, this, &DisplayPanel::StoreColour);
        ++line;
    }
    pickColour = new QPushButton(Pick("Выбрать цвет…", "Choose a colour…"), paletteBox);
    pickColour->setObjectName(QStringLiteral("display.palette.pick"));
    pickColour->setToolTip(Pick("Палитра: МК показывает 32 уровня каждого цвета; выбранный цвет заменяется ближайшим, который МК показывает, и об этом сообщается",
                              "A palette: the unit shows 32 levels of each colour; a chosen colour it cannot show is replaced by the nearest one it shows, and you are told so"));
    paletteLayout->addWidget(pickColour, line++, 1, 1, 2);
    PickColour = [this](const QColor& current, const QList<QColor>& colours) -> std::optional<QColor> {
        for (int i = 0; i < colours.size() && i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, colours[i]);
        const QColor chosen = QColorDialog::getColor(current, this, Pick("Цвет", "Colour"));
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };
    connect(pickColour, &QPushButton::clicked, this, &DisplayPanel::ChooseColour);
    red->setObjectName(QStringLiteral("display.palette.red"));
    green->setObjectName(QStringLiteral("display.palette.green"));
    blue->setObjectName(QStringLiteral("display.palette.blue"));
    auto* paletteHint = Hint(Pick("Выберите нужную строку таблицы", "Select the desired table row"), paletteBox);
    paletteHint->setMaximumWidth(160);
    paletteLayout->addWidget(paletteHint, line, 1, 1, 2);
    paletteLayout->setRowStretch(4, 1);
    connect(palette_, &QTableWidget::currentCellChanged, this, [this] { FillColours(); });
    left->addWidget(paletteBox);

    auto* init = new QPushButton(Pick("Все в исх.состояние", "Initialize all"), page);
    init->setObjectName(QStringLiteral("display.initialize"));
    connect(init, &QPushButton::clicked, this, [this] {
        const bool english = IsEnglish(Session().Context().language);
        Store([this, english](SettingsModel& m) {
            ColourSchemes schemes(m.Record(kRecord), english);
            if (schemes.InitializeAll(m.ColourScheme(0), m.ColourScheme(1),
                                      [](const std::string& q) { return AskYesNo(ToQ(q)) == Answer::Yes; }))
                Session().SelectScheme(0);
        });
    });
    top->addWidget(init, 0, Qt::AlignBottom);
    top->addStretch(1);
    left->addStretch(1);
    row->addLayout(left);

    // The role sub-pages, each with its grid, its edit and the samples its colours show in.
    auto* roles = new QTabWidget(page);
    roles->setObjectName(QStringLiteral("display.roles"));
    for (RoleGroup group : {RoleGroup::Digital, RoleGroup::Menu, RoleGroup::Graph, RoleGroup::Dial})
        roles->addTab(BuildRoleTab(group), Pick(RoleGroupCaption(group)));
    row->addWidget(roles, 1);
    palette_->setCurrentCell(0, 0);
    return page;
}

QWidget* DisplayPanel::BuildRoleTab(RoleGroup group)
{
    RoleTab tab;
    tab.group = group;
    for (const RoleDef& r : ColourRoles())
        if (r.group == group)
            tab.roles.push_back(&r);
    auto* page = new QWidget;
    auto* tabRow = new QHBoxLayout(page);
    auto* column = new QVBoxLayout;
    tab.grid = MakeColourGrid(static_cast<int>(tab.roles.size()), page);
    tab.grid->setObjectName(QStringLiteral("display.roles.%1").arg(static_cast<int>(group)));
    for (int r = 0; r < tab.grid->rowCount(); ++r)
        tab.grid->item(r, 0)->setText(Pick(tab.roles[static_cast<std::size_t>(r)]->caption));
    column->addWidget(tab.grid);
    auto* editBox = new QGroupBox(Pick("Редактировать цвет", "Edit color"), page);
    auto* editLayout = new QGridLayout(editBox);
    tab.index = MakeLevel(kRoleLimit - 1, editBox);
    tab.index->setObjectName(QStringLiteral("display.roles.%1.index").arg(static_cast<int>(group)));
    auto* caption = new QLabel(editBox);
    caption->setBuddy(tab.index);
    editLayout->addWidget(caption, 0, 0);
    editLayout->addWidget(tab.index, 0, 1);
    editLayout->addWidget(Hint(Pick("Для выбора цвета для редактирования выберите нужную строку таблицы",
                                  "To select a color to edit, select the desired table row"),
                               editBox),
                          1, 0, 1, 2);
    column->addWidget(editBox);
    column->addStretch(1);
    tabRow->addLayout(column);
    const std::size_t at = roleTabs_.size();
    roleTabs_.push_back(tab);
    connect(tab.grid, &QTableWidget::currentCellChanged, this, [this, caption, grid = tab.grid] {
        if (grid->currentRow() >= 0)
            caption->setText(grid->item(grid->currentRow(), 0)->text());
        FillColours();
    });
    connect(tab.index, &QSpinBox::valueChanged, this, [this, at] { StoreRole(roleTabs_[at]); });

    // The sample screens, numbered where several share a title.
    auto* samples = new QTabWidget(page);
    const auto all = ColourSamples();
    for (const ColourSample& s : all) {
        if (s.group != group)
            continue;
        const auto same = [&](const ColourSample& o) { return o.group == group && o.title.ru == s.title.ru; };
        const auto count = std::count_if(all.begin(), all.end(), same);
        const auto number = std::count_if(all.begin(), all.begin() + (&s - all.data()) + 1, same);
        auto* holder = new QWidget;
        auto* stack = new QVBoxLayout(holder);
        stack->setContentsMargins(2, 2, 2, 2);
        stack->addWidget(AddPreview(std::nullopt, 0, [this, draw = s.draw](PreviewCanvas& p) { draw(p, Inputs()); }, SamplesAnew(group), holder));
        samples->addTab(holder, count > 1 ? Pick(s.title) + QStringLiteral(" (%1)").arg(number) : Pick(s.title));
    }
    tabRow->addWidget(samples);
    tab.grid->setCurrentCell(0, 0);
    return page;
}

void DisplayPanel::ChooseColour()
{
    const int current = palette_->currentRow();
    if (current < 0 || !PickColour)
        return;
    QList<QColor> colours;
    for (int r = 0; r < palette_->rowCount(); ++r)
        colours << palette_->item(r, 1)->background().color();
    const auto chosen = PickColour(colours.value(current), colours);
    if (!chosen)
        return;
    // The nearest colour the unit shows; one store for the three levels.
    const Rgb5 nearest = NearestUnitColour(static_cast<std::uint8_t>(chosen->red()), static_cast<std::uint8_t>(chosen->green()),
                                          static_cast<std::uint8_t>(chosen->blue()));
    {
        const QSignalBlocker br(red), bg(green), bb(blue);
        red->setValue(nearest.r);
        green->setValue(nearest.g);
        blue->setValue(nearest.b);
    }
    StoreColour();
    const QColor shown = ScreenQColor(PackColour(nearest));
    if (shown.rgb() != chosen->rgb())
        ShowInfo(Pick("МК не может показать цвет %1 точно. Сохранён ближайший цвет, который он показывает: %2 (красный %3, зеленый %4, синий %5).",
                    "The unit cannot show the colour %1 exactly. The nearest colour it shows is stored: %2 (red %3, green %4, blue %5).")
                     .arg(chosen->name(QColor::HexRgb).toUpper(), shown.name(QColor::HexRgb).toUpper())
                     .arg(nearest.r)
                     .arg(nearest.g)
                     .arg(nearest.b));
}

void DisplayPanel::FillColours()
{
    const bool was = filling_;
    filling_ = true;
    auto& model = const_cast<SettingsModel&>(Session().Model());
    // Reading only: the schemes' object writes nothing until an edit.
    ColourSchemes schemes(model.Record(kRecord), IsEnglish(Session().Context().language));
    schemes.SelectScheme(Session().EditedScheme());
    scheme->button(Session().EditedScheme())->setChecked(true);
    for (int r = 0; r < palette_->rowCount(); ++r)
        palette_->item(r, 1)->setBackground(ScreenQColor(schemes.Packed(r)));
    if (const int r = palette_->currentRow(); r >= 0) {
        const Rgb5 c = schemes.Colour(r);
        red->setValue(c.r);
        green->setValue(c.g);
        blue->setValue(c.b);
        QPixmap swatch(16, 16);
        swatch.fill(ScreenQColor(schemes.Packed(r)));
        pickColour->setIcon(QIcon(swatch));
    }
    pickColour->setEnabled(palette_->currentRow() >= 0);
    for (const RoleTab& tab : roleTabs_)
        for (int r = 0; r < tab.grid->rowCount(); ++r) {
            const RoleDef& role = *tab.roles[static_cast<std::size_t>(r)];
            const auto colour = schemes.RoleColour(role);
            tab.grid->item(r, 1)->setBackground(colour ? QBrush(ScreenQColor(PackColour(*colour))) : QBrush());
            if (r == tab.grid->currentRow())
                tab.index->setValue(schemes.Role(role));
        }
    filling_ = was;
}

void DisplayPanel::EditScheme(const std::function<void(ColourSchemes&)>& edit)
{
    const bool english = IsEnglish(Session().Context().language);
    const int edited = Session().EditedScheme();
    Store([&](SettingsModel& m) {
        ColourSchemes schemes(m.Record(kRecord), english);
        schemes.SelectScheme(edited);
        edit(schemes);
    });
}

void DisplayPanel::StoreColour()
{
    const int index = palette_->currentRow();
    if (filling_ || index < 0)
        return;
    const int r = red->value(), g = green->value(), b = blue->value();
    EditScheme([=](ColourSchemes& schemes) { schemes.SetColour(index, r, g, b); });
}

void DisplayPanel::StoreRole(const RoleTab& tab)
{
    const int row = tab.grid->currentRow();
    if (filling_ || row < 0)
        return;
    const RoleDef* role = tab.roles[static_cast<std::size_t>(row)];
    const int index = tab.index->value();
    EditScheme([=](ColourSchemes& schemes) { schemes.SetRole(*role, index); });
}

// ---- displays ----

QWidget* DisplayPanel::BuildLayoutPage(const DisplaySubpage& def, const ItemArea& displays)
{
    const auto layout = static_cast<DisplayLayout>(displays.layout);
    auto* page = new QWidget;
    page->setObjectName(ToQ(def.name));
    auto* stack = new QVBoxLayout(page);
    QTabWidget* tabs = def.tabs.size() > 1 ? new QTabWidget(page) : nullptr;
    const int perTab = tabs ? (displays.groups + static_cast<int>(def.tabs.size()) - 1) / static_cast<int>(def.tabs.size()) : displays.groups;
    for (int first = 0; first < displays.groups; first += perTab) {
        auto* holder = new QWidget;
        auto* row = new QHBoxLayout(holder);
        for (int d = first; d < std::min(first + perTab, displays.groups); ++d) {
            auto* cell = new QVBoxLayout;
            if (displays.groups > 1)
                cell->addWidget(new QLabel(QStringLiteral("#%1").arg(d + 1), holder));
            cell->addWidget(AddPreview(
                layout, d, [this, layout, d](PreviewCanvas& p) { DrawDisplayPreview(p, Inputs(), layout, d); }, def.anew, holder));
            row->addLayout(cell);
        }
        row->addStretch(1);
        if (tabs)
            tabs->addTab(holder, Pick(def.tabs[static_cast<std::size_t>(first / perTab)]));
        else
            stack->addWidget(holder);
    }
    if (tabs)
        stack->addWidget(tabs);
    stack->addWidget(Hint(Pick(def.hint), page));
    stack->addStretch(1);
    return page;
}

// ---- hot menus ----

QWidget* DisplayPanel::BuildHotMenus(const DisplaySubpage& def, const ItemArea& lists)
{
    auto* page = new QWidget;
    page->setObjectName(ToQ(def.name));
    auto* row = new QHBoxLayout(page);
    for (int list = 0; list < kEditedHotMenuLists; ++list) {
        auto* column = new QVBoxLayout;
        auto* title = new QLabel(Pick(lists.groupNames[static_cast<std::size_t>(list)]), page);
        QTableWidget* grid = MakeGrid(kHotMenuRows, 1, 6, page);
        grid->setObjectName(QStringLiteral("display.menu.%1").arg(list));
        title->setBuddy(grid);
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        QStringList numbers;
        for (int r = 0; r < kHotMenuRows; ++r)
            numbers << QString::number(r);
        grid->setVerticalHeaderLabels(numbers);
        grid->setMinimumWidth(240);
        grid->setMaximumWidth(300);
        // Rows are dragged by their numbers; the list stores the move and is shown again in order.
        grid->verticalHeader()->setSectionsMovable(true);
        connect(grid->verticalHeader(), &QHeaderView::sectionMoved, this, [this, list, grid](int, int from, int to) {
            {
                const QSignalBlocker block(grid->verticalHeader());
                grid->verticalHeader()->moveSection(to, from);
            }
            EditMenus([=](HotMenus& menus) { menus.Move(list, from, to); });
            grid->setCurrentCell(to, 0);
        });
        connect(grid, &QTableWidget::customContextMenuRequested, this, [this, list, grid](QPoint at) {
            const int r = grid->rowAt(at.y());
            if (r < 0)
                return;
            grid->setCurrentCell(r, 0);
            QMenu* menu = MakeHotMenuActions(list, r, grid);
            menu->exec(grid->viewport()->mapToGlobal(at));
            delete menu;
        });
        grid->installEventFilter(this);
        grid->setProperty("hotMenuList", list);
        column->addWidget(title);
        column->addWidget(grid);
        row->addLayout(column);
        hotMenus_.push_back(grid);
        if (!HotMenuListOffered(list, Session().Context().features)) {
            title->hide();
            grid->hide();
        }
    }
    auto* outer = new QWidget;
    auto* stack = new QVBoxLayout(outer);
    stack->addWidget(page);
    stack->addWidget(Hint(Pick(def.hint), outer));
    stack->addStretch(1);
    return outer;
}

void DisplayPanel::EditMenus(const std::function<void(HotMenus&)>& edit)
{
    const bool english = IsEnglish(Session().Context().language);
    Store([&](SettingsModel& m) {
        HotMenus menus(m.Record(kRecord), english);
        edit(menus);
    });
}

QMenu* DisplayPanel::MakeHotMenuActions(int list, int row, QWidget* parent)
{
    const auto& ctx = Session().Context();
    auto* menu = new QMenu(parent);
    QMenu* insert = menu->addMenu(Pick("Вставить пункт", "Insert item"));
    insert->setObjectName(QStringLiteral("insert"));
    static const MenuItemList kNoMenus;
    AddNodes(insert, InsertionMenu(list, ctx.menus ? *ctx.menus : kNoMenus, ctx.features, IsEnglish(ctx.language)), [=, this](std::uint16_t code) {
        EditMenus([=](HotMenus& menus) { menus.Insert(list, row, code); });
    });
    QAction* del = menu->addAction(Pick("Удалить пункт", "Delete item"));
    del->setObjectName(QStringLiteral("delete"));
    connect(del, &QAction::triggered, this, [=, this] { EditMenus([=](HotMenus& menus) { menus.Delete(list, row); }); });
    QAction* clear = menu->addAction(Pick("Очистить список", "Clear all"));
    clear->setObjectName(QStringLiteral("clear"));
    connect(clear, &QAction::triggered, this, [=, this] { EditMenus([=](HotMenus& menus) { menus.Clear(list); }); });
    return menu;
}

void DisplayPanel::FillHotMenus()
{
    const auto& ctx = Session().Context();
    auto& model = const_cast<SettingsModel&>(Session().Model());
    const HotMenus menus(model.Record(kRecord), IsEnglish(ctx.language));
    static const MenuItemList kNoMenus;
    for (int list = 0; list < kEditedHotMenuLists; ++list) {
        const HotMenuList shown = menus.Shown(list);
        for (int r = 0; r < kHotMenuRows; ++r)
            hotMenus_[static_cast<std::size_t>(list)]->item(r, 0)->setText(
                ToQ(HotMenuCaption(ctx.menus ? *ctx.menus : kNoMenus, shown[static_cast<std::size_t>(r)])));
    }
}

bool DisplayPanel::eventFilter(QObject* watched, QEvent* event)
{
    auto* grid = qobject_cast<QTableWidget*>(watched);
    if (!grid || event->type() != QEvent::KeyPress || !grid->property("hotMenuList").isValid())
        return EditorPanel::eventFilter(watched, event);
    const int list = grid->property("hotMenuList").toInt();
    const int row = std::max(0, grid->currentRow());
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Insert) {
        QMenu* menu = MakeHotMenuActions(list, row, grid);
        if (QMenu* insert = menu->findChild<QMenu*>(QStringLiteral("insert")))
            insert->exec(grid->viewport()->mapToGlobal(grid->visualItemRect(grid->item(row, 0)).bottomLeft()));
        delete menu;
        return true;
    }
    if (key->key() == Qt::Key_Delete) {
        EditMenus([=](HotMenus& menus) { menus.Delete(list, row); });
        return true;
    }
    if ((key->modifiers() & Qt::AltModifier) && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
        const int to = std::clamp(row + (key->key() == Qt::Key_Up ? -1 : 1), 0, kHotMenuRows - 1);
        EditMenus([=](HotMenus& menus) { menus.Move(list, row, to); });
        grid->setCurrentCell(to, 0);
        return true;
    }
    return EditorPanel::eventFilter(watched, event);
}

// ---- miscellaneous ----

QWidget* DisplayPanel::BuildRowsPage(const DisplaySubpage& def)
{
    auto* page = new QWidget;
    page->setObjectName(ToQ(def.name));
    auto* stack = new QVBoxLayout(page);
    stack->addLayout(host_.BuildRows(EditorHost::PartRows(def.edits), page));

    auto* shown = new QGroupBox(Pick("Показывать дисплеи", "Show displays"), page);
    auto* grid = new QGridLayout(shown);
    int column = 0;
    for (const ShowBox& b : ShowBoxes()) {
        auto* box = new QGroupBox(Pick(b.caption), shown);
        box->setObjectName(ToQ(b.part));
        box->setLayout(host_.BuildRows(EditorHost::PartRows(b.part), box, b.columns));
        if (b.columns > 1)
            grid->addWidget(box, 0, 0, 1, 6);
        else
            grid->addWidget(box, 1, column++, Qt::AlignTop);
    }
    stack->addWidget(shown);
    stack->addStretch(1);
    return page;
}

void DisplayPanel::Refresh()
{
    filling_ = true;
    FillColours();
    FillHotMenus();
    filling_ = false;
    // A picture is drawn again only when what it shows may have changed (and
    // then when next painted: hidden sub-pages cost nothing), so a commit
    // elsewhere or a page switch repaints the kept pictures.
    std::vector<std::uint8_t> state = PictureState();
    const bool changed = state != drawnState_;
    drawnState_ = std::move(state);
    for (const Preview& p : previews_)
        if (changed || p.box->anew)
            p.box->Invalidate();
}

std::vector<std::uint8_t> DisplayPanel::PictureState() const
{
    const SettingsModel& model = Session().Model();
    const auto r9 = model.Record(kDisplayRecord);
    std::vector<std::uint8_t> state(r9.begin(), r9.end());
    const int protocol = model.ProtocolIndex();
    state.insert(state.end(), {static_cast<std::uint8_t>(Session().EditedScheme()), static_cast<std::uint8_t>(IsEnglish(Session().Context().language)),
                               static_cast<std::uint8_t>(model.DeviceModelCode), static_cast<std::uint8_t>(model.DeviceModelCode >> 8),
                               static_cast<std::uint8_t>(protocol), static_cast<std::uint8_t>(protocol >> 8),
                               static_cast<std::uint8_t>(LocaleDecimalSeparator())});
    return state;
}

EditorPanel* MakeDisplayPanel(EditorHost& host, QWidget* parent)
{
    return new DisplayPanel(host, parent);
}

} // namespace tc::ui
