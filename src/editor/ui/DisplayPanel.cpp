#include "editor/ui/DisplayPanel.h"

#include "catalogs/Catalogs.h"
#include "editor/ColourSchemes.h"
#include "editor/DisplayPickers.h"
#include "editor/HotMenus.h"
#include "model/DisplayRecord.h"
#include "model/SettingsModel.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QIcon>
#include <QPixmap>
#include <QSignalBlocker>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tc::ui {

namespace {

constexpr int kRecord = kDisplayRecord;

// The colour of a packed palette entry on the PC's screen.
QColor ScreenQColor(std::uint16_t packed)
{
    const ScreenRgb c = ScreenColour(packed);
    return {c.r, c.g, c.b};
}

QTableWidget* MakeGrid(int rows, QWidget* parent)
{
    auto* grid = new QTableWidget(rows, 2, parent);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
    grid->horizontalHeader()->resizeSection(1, 48);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    for (int r = 0; r < rows; ++r) {
        grid->setItem(r, 0, new QTableWidgetItem);
        grid->setItem(r, 1, new QTableWidgetItem);
    }
    grid->setMinimumHeight(grid->verticalHeader()->defaultSectionSize() * rows + 4);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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

} // namespace

// ---- PreviewBox ----

PreviewBox::PreviewBox(Draw draw, QWidget* parent) : QWidget(parent), draw_(std::move(draw))
{
    setFixedSize(kPreviewWidth, kPreviewHeight);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::PreventContextMenu); // the press opens the picker itself
}

void PreviewBox::Invalidate()
{
    dirty_ = true;
    update();
}

QImage PreviewBox::DrawAfresh() const
{
    PreviewCanvas canvas;
    draw_(canvas);
    const auto rgb = canvas.ToRgb();
    return QImage(rgb.data(), kPreviewWidth, kPreviewHeight, kPreviewWidth * 3, QImage::Format_RGB888).copy();
}

const QImage& PreviewBox::Picture()
{
    if (dirty_) {
        picture_ = DrawAfresh();
        dirty_ = false;
    }
    return picture_;
}

void PreviewBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Picture());
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void PreviewBox::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (pick && (event->button() == Qt::RightButton || event->button() == Qt::LeftButton))
        pick(event->position().toPoint(), event->globalPosition().toPoint());
}

void PreviewBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Menu:
        if (pickByKey) {
            pickByKey(mapToGlobal(rect().center()));
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

// ---- DisplayPanel ----

DisplayPanel::DisplayPanel(EditorHost& host, QWidget* parent) : EditorPanel(host, parent)
{
    subpages = new QTabWidget(this);
    subpages->setObjectName(QStringLiteral("display.subpages"));
    // Each sub-page scrolls on its own, so the widest one does not widen the others.
    const auto AddSubpage = [this](QWidget* page, const QString& title) {
        auto* scroll = new SubpageScroll;
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setWidget(page);
        subpages->addTab(scroll, title);
    };
    const QString anyPart = Tr("Для изменения отображаемого параметра щелкните ПРАВОЙ кнопкой мыши в нужной части соответствующего дисплея.",
                               "To change the displayed parameter, RIGHT-click on the appropriate part of the corresponding display.");
    const QString graphHint = Tr("Для изменения отображаемого параметра щелкните ПРАВОЙ кнопкой мыши в ВЕРХНЕЙ или НИЖНЕЙ графической части  соответствующего дисплея.",
                                 "To change the displayed parameter, RIGHT-click on the appropriate part of the corresponding display.");
    const QString dialHint = Tr("Для изменения отображаемого параметра щелкните ПРАВОЙ кнопкой мыши в ПРАВОЙ или ЛЕВОЙ ПОЛОВИНЕ соответствующего дисплея.",
                                "To change the displayed parameter, RIGHT-click on the appropriate part of the corresponding display.");
    const QString first3 = Tr("Дисплеи 1 .. 3", "Displays 1..3");
    const QString second3 = Tr("Дисплеи 4 .. 6", "Displays 4..6");

    AddSubpage(BuildColours(), Tr("Цветовые схемы", "Color schemes"));
    AddSubpage(BuildLayoutPage(DisplayLayout::X1, {{QString(), {0}}}, anyPart), Tr("Дисплеи х1", "Displays x 1"));
    AddSubpage(BuildLayoutPage(DisplayLayout::X4, {{first3, {0, 1, 2}}, {second3, {3, 4, 5}}}, anyPart), Tr("Дисплеи х4", "Displays x 4"));
    AddSubpage(BuildLayoutPage(DisplayLayout::X9, {{QString(), {0, 1, 2}}}, anyPart), Tr("Дисплеи х9", "Displays x 9"));
    AddSubpage(BuildLayoutPage(DisplayLayout::X6, {{QString(), {0, 1}}}, anyPart), Tr("Дисплей х6", "Displays x "));
    const std::vector<std::pair<QString, std::vector<int>>> eight = {
        {first3, {0, 1, 2}}, {second3, {3, 4, 5}}, {Tr("Дисплеи 7, 8", "Displays 7, 8"), {6, 7}}};
    AddSubpage(BuildLayoutPage(DisplayLayout::Graph, eight, graphHint), Tr("Граф. дисплеи", "Graph displays"));
    AddSubpage(BuildLayoutPage(DisplayLayout::Dial, eight, dialHint), Tr("Стрел. дисплеи", "Pointer displays"));
    AddSubpage(BuildHotMenus(), Tr("Горячие меню", "Hot menu"));
    AddSubpage(BuildLayoutPage(DisplayLayout::Panel, {{QString(), {0}}}, anyPart), Tr("Доп.панель", "Extra panel"));
    AddSubpage(BuildMisc(), Tr("Разное", "Divers"));

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

QString DisplayPanel::Tr(const char* ru, const char* en) const
{
    return ToQ(Session().Context().english ? std::string_view(en) : std::string_view(ru));
}

PreviewInputs DisplayPanel::Inputs() const
{
    PreviewInputs in = InputsFromModel(Session().Model(), GraphSeed());
    in.scheme = Session().EditedScheme();
    return in;
}

PreviewBox* DisplayPanel::AddPreview(std::optional<DisplayLayout> layout, int display, PreviewBox::Draw draw, QWidget* parent)
{
    auto* box = new PreviewBox(std::move(draw), parent);
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
                picker->setTitle(Tr("Поле ", "Field ") + QString::number(f + 1) + (current.isEmpty() ? QString() : ": " + current));
                fields.addMenu(picker);
            }
            fields.exec(global);
        };
        box->setToolTip(Tr("Щелчок или Enter: выбрать показываемый параметр", "Click or Enter: choose the parameter shown"));
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
    const auto items = PickerItems(layout, field, ctx.protocol, ctx.params ? *ctx.params : kNoParameters, ctx.features, ctx.english);
    const int stored = SlotValue(Session().Model().Record(kRecord), layout, display, field);
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("picker"));
    for (const PickerItem& item : items) {
        QAction* a = menu->addAction(ToQ(item.caption));
        a->setCheckable(true);
        a->setChecked(item.code == stored);
        a->setData(item.code);
        connect(a, &QAction::triggered, this, [this, layout, display, field, code = item.code] {
            const bool english = Session().Context().english;
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

QWidget* DisplayPanel::BuildColours()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("display.colours"));
    auto* outer = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    auto* row = new QHBoxLayout;
    outer->addLayout(row);
    outer->addStretch(1);

    auto* left = new QVBoxLayout;
    auto* schemeBox = new QGroupBox(Tr("Цветовая схема", "Color scheme"), page);
    auto* schemeRow = new QHBoxLayout(schemeBox);
    scheme = new QButtonGroup(schemeBox);
    for (int s = 0; s < 2; ++s) {
        auto* b = new QRadioButton(s == 0 ? Tr("День", "Day") : Tr("Ночь", "Night"), schemeBox);
        b->setObjectName(s == 0 ? QStringLiteral("display.scheme.day") : QStringLiteral("display.scheme.night"));
        scheme->addButton(b, s);
        schemeRow->addWidget(b);
    }
    connect(scheme, &QButtonGroup::idClicked, this, [this](int s) {
        // The edited scheme is the session's state: choosing it writes nothing.
        Session().SelectScheme(s);
        Refresh();
    });
    top->addWidget(schemeBox);

    auto* paletteBox = new QGroupBox(Tr("Палитра цветов", "Color palette"), page);
    auto* paletteLayout = new QGridLayout(paletteBox);
    palette_ = MakeGrid(16, paletteBox);
    palette_->setObjectName(QStringLiteral("display.palette"));
    for (int r = 0; r < 16; ++r)
        palette_->item(r, 0)->setText(Tr("Цвет #", "Color #") + QString::number(r));
    paletteLayout->addWidget(palette_, 0, 0, 5, 1);
    red = MakeLevel(kMaxColourLevel, paletteBox);
    green = MakeLevel(kMaxColourLevel, paletteBox);
    blue = MakeLevel(kMaxColourLevel, paletteBox);
    const std::pair<QSpinBox*, QString> levels[] = {{red, Tr("Красный", "Red")}, {green, Tr("Зеленый", "Green")}, {blue, Tr("Синий", "Blue")}};
    int line = 0;
    for (const auto& [spin, caption] : levels) {
        auto* label = new QLabel(caption, paletteBox);
        label->setBuddy(spin);
        paletteLayout->addWidget(label, line, 1);
        paletteLayout->addWidget(spin, line, 2);
        connect(spin, &QSpinBox::valueChanged, this, &DisplayPanel::StoreColour);
        ++line;
    }
    pickColour = new QPushButton(Tr("Выбрать цвет…", "Choose a colour…"), paletteBox);
    pickColour->setObjectName(QStringLiteral("display.palette.pick"));
    pickColour->setToolTip(Tr("Палитра: МК показывает 32 уровня каждого цвета; выбранный цвет заменяется ближайшим, который МК показывает, и об этом сообщается",
                              "A palette: the unit shows 32 levels of each colour; a chosen colour it cannot show is replaced by the nearest one it shows, and you are told so"));
    paletteLayout->addWidget(pickColour, line++, 1, 1, 2);
    PickColour = [this](const QColor& current, const QList<QColor>& colours) -> std::optional<QColor> {
        for (int i = 0; i < colours.size() && i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, colours[i]);
        const QColor chosen = QColorDialog::getColor(current, this, Tr("Цвет", "Colour"));
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };
    connect(pickColour, &QPushButton::clicked, this, [this] {
        const int current = palette_->currentRow();
        if (current < 0 || !PickColour)
            return;
        QList<QColor> colours;
        for (int r = 0; r < 16; ++r)
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
            ShowInfo(Tr("МК не может показать цвет %1 точно. Сохранён ближайший цвет, который он показывает: %2 (красный %3, зеленый %4, синий %5).",
                        "The unit cannot show the colour %1 exactly. The nearest colour it shows is stored: %2 (red %3, green %4, blue %5).")
                         .arg(chosen->name(QColor::HexRgb).toUpper(), shown.name(QColor::HexRgb).toUpper())
                         .arg(nearest.r)
                         .arg(nearest.g)
                         .arg(nearest.b));
    });
    red->setObjectName(QStringLiteral("display.palette.red"));
    green->setObjectName(QStringLiteral("display.palette.green"));
    blue->setObjectName(QStringLiteral("display.palette.blue"));
    auto* paletteHint = Hint(Tr("Выберите нужную строку таблицы", "Select the desired table row"), paletteBox);
    paletteHint->setMaximumWidth(160);
    paletteLayout->addWidget(paletteHint, line, 1, 1, 2);
    paletteLayout->setRowStretch(4, 1);
    connect(palette_, &QTableWidget::currentCellChanged, this, [this] { FillColours(); });
    left->addWidget(paletteBox);

    auto* init = new QPushButton(Tr("Все в исх.состояние", "Initialize all"), page);
    init->setObjectName(QStringLiteral("display.initialize"));
    connect(init, &QPushButton::clicked, this, [this] {
        const bool english = Session().Context().english;
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

    // The role sub-pages, each with its grid, its edit and the previews its colours show in.
    auto* roles = new QTabWidget(page);
    roles->setObjectName(QStringLiteral("display.roles"));
    const RoleGroup groups[] = {RoleGroup::Digital, RoleGroup::Menu, RoleGroup::Graph, RoleGroup::Dial};
    for (RoleGroup group : groups) {
        auto* tab = new QWidget;
        auto* tabRow = new QHBoxLayout(tab);
        auto* column = new QVBoxLayout;
        std::vector<const RoleDef*> defs;
        for (const RoleDef& r : ColourRoles())
            if (r.group == group)
                defs.push_back(&r);
        QTableWidget* grid = MakeGrid(static_cast<int>(defs.size()), tab);
        grid->setObjectName(QStringLiteral("display.roles.%1").arg(static_cast<int>(group)));
        for (int r = 0; r < static_cast<int>(defs.size()); ++r) {
            grid->item(r, 0)->setText(ToQ(defs[static_cast<std::size_t>(r)]->caption.Pick(Session().Context().english)));
            grid->item(r, 0)->setData(Qt::UserRole, ToQ(defs[static_cast<std::size_t>(r)]->key));
        }
        column->addWidget(grid);
        auto* editBox = new QGroupBox(Tr("Редактировать цвет", "Edit color"), tab);
        auto* editLayout = new QGridLayout(editBox);
        QSpinBox* index = MakeLevel(kRoleLimit - 1, editBox);
        index->setObjectName(QStringLiteral("display.roles.%1.index").arg(static_cast<int>(group)));
        auto* caption = new QLabel(editBox);
        caption->setBuddy(index);
        editLayout->addWidget(caption, 0, 0);
        editLayout->addWidget(index, 0, 1);
        editLayout->addWidget(Hint(Tr("Для выбора цвета для редактирования выберите нужную строку таблицы",
                                      "To select a color to edit, select the desired table row"),
                                   editBox),
                              1, 0, 1, 2);
        column->addWidget(editBox);
        column->addStretch(1);
        tabRow->addLayout(column);
        const int g = static_cast<int>(roleGrids_.size());
        roleGrids_.push_back(grid);
        roleEdits_.push_back(index);
        connect(grid, &QTableWidget::currentCellChanged, this, [this, caption, grid] {
            if (grid->currentRow() >= 0)
                caption->setText(grid->item(grid->currentRow(), 0)->text());
            FillColours();
        });
        connect(index, &QSpinBox::valueChanged, this, [this, g] { StoreRole(g); });

        // Sample screens drawn with fixed parameter codes.
        auto* samples = new QTabWidget(tab);
        const auto addSample = [&](const QString& title, std::vector<PreviewBox::Draw> draws) {
            int n = 0;
            for (auto& d : draws) {
                auto* holder = new QWidget;
                auto* stack = new QVBoxLayout(holder);
                stack->setContentsMargins(2, 2, 2, 2);
                PreviewBox* box = AddPreview(std::nullopt, 0, std::move(d), holder);
                box->anew = group == RoleGroup::Graph;
                stack->addWidget(box);
                samples->addTab(holder, draws.size() > 1 ? title + QStringLiteral(" (%1)").arg(++n) : title);
            }
        };
        const auto inputs = [this] { return Inputs(); };
        switch (group) {
        case RoleGroup::Digital:
            addSample(QStringLiteral("x1"), {[inputs](PreviewCanvas& p) {
                                                  const auto in = inputs();
                                                  if (in.features.X1PanelModel)
                                                      DrawSingleValueWithFields(p, in, 12, {55, 56, 10, 7});
                                                  else
                                                      DrawSingleValue(p, in, 12);
                                              },
                                              [inputs](PreviewCanvas& p) { DrawList(p, inputs(), kListSampleCodes); }});
            addSample(QStringLiteral("x4, x9"), {[inputs](PreviewCanvas& p) { DrawFourTiles(p, inputs(), {12, 13, 16, 17}); },
                                                 [inputs](PreviewCanvas& p) { DrawNineTiles(p, inputs(), {12, 13, 16, 17, 1, 4, 11, 10, 7}); }});
            addSample(QStringLiteral("x6"), {[inputs](PreviewCanvas& p) { DrawBigWithFive(p, inputs(), {12, 13, 16, 17, 11, 10}); }});
            break;
        case RoleGroup::Menu:
            addSample(Tr("Меню", "Menu"), {[inputs](PreviewCanvas& p) { DrawMenu(p, inputs()); }});
            break;
        case RoleGroup::Graph:
            addSample(Tr("Графики", "Graphics"), {[inputs](PreviewCanvas& p) { DrawGraphs(p, inputs(), 14, 13); }});
            break;
        case RoleGroup::Dial:
            addSample(Tr("Стрелки", "Arrows"), {[inputs](PreviewCanvas& p) { DrawDials(p, inputs(), 13, 12); },
                                                [inputs](PreviewCanvas& p) { DrawDials(p, inputs(), 14, 12); }});
            break;
        }
        tabRow->addWidget(samples);
        roles->addTab(tab, ToQ(RoleGroupCaption(group).Pick(Session().Context().english)));
        grid->setCurrentCell(0, 0);
    }
    row->addWidget(roles, 1);
    palette_->setCurrentCell(0, 0);
    return page;
}

void DisplayPanel::FillColours()
{
    const bool was = filling_;
    filling_ = true;
    auto& model = const_cast<SettingsModel&>(Session().Model());
    // Reading only: the schemes' object writes nothing until an edit.
    ColourSchemes schemes(model.Record(kRecord), Session().Context().english);
    schemes.SelectScheme(Session().EditedScheme());
    scheme->button(Session().EditedScheme())->setChecked(true);
    for (int r = 0; r < 16; ++r)
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
    for (std::size_t g = 0; g < roleGrids_.size(); ++g) {
        QTableWidget* grid = roleGrids_[g];
        for (int r = 0; r < grid->rowCount(); ++r) {
            const RoleDef* role = FindColourRole(grid->item(r, 0)->data(Qt::UserRole).toString().toStdString());
            const auto colour = schemes.RoleColour(*role);
            grid->item(r, 1)->setBackground(colour ? QBrush(ScreenQColor(PackColour(*colour))) : QBrush());
            if (r == grid->currentRow())
                roleEdits_[g]->setValue(schemes.Role(*role));
        }
    }
    filling_ = was;
}

void DisplayPanel::StoreColour()
{
    const int index = palette_->currentRow();
    if (filling_ || index < 0)
        return;
    const int r = red->value(), g = green->value(), b = blue->value();
    const bool english = Session().Context().english;
    const int edited = Session().EditedScheme();
    Store([=](SettingsModel& m) {
        ColourSchemes schemes(m.Record(kRecord), english);
        schemes.SelectScheme(edited);
        schemes.SetColour(index, r, g, b);
    });
}

void DisplayPanel::StoreRole(int group)
{
    QTableWidget* grid = roleGrids_.at(static_cast<std::size_t>(group));
    if (filling_ || grid->currentRow() < 0)
        return;
    const RoleDef* role = FindColourRole(grid->item(grid->currentRow(), 0)->data(Qt::UserRole).toString().toStdString());
    const int index = roleEdits_[static_cast<std::size_t>(group)]->value();
    const bool english = Session().Context().english;
    const int edited = Session().EditedScheme();
    Store([=](SettingsModel& m) {
        ColourSchemes schemes(m.Record(kRecord), english);
        schemes.SelectScheme(edited);
        schemes.SetRole(*role, index);
    });
}

// ---- displays ----

QWidget* DisplayPanel::BuildLayoutPage(DisplayLayout layout, const std::vector<std::pair<QString, std::vector<int>>>& groups,
                                       const QString& hint)
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("display.") + ToQ(LayoutOf(layout).key));
    auto* stack = new QVBoxLayout(page);
    QTabWidget* tabs = groups.size() > 1 ? new QTabWidget(page) : nullptr;
    for (const auto& [title, displays] : groups) {
        auto* holder = new QWidget;
        auto* row = new QHBoxLayout(holder);
        for (int d : displays) {
            PreviewBox::Draw draw;
            switch (layout) {
            case DisplayLayout::X1: // the single display with its bottom panel, whatever the model draws by default
                draw = [this](PreviewCanvas& p) {
                    const auto in = Inputs();
                    std::array<int, 4> fields{};
                    for (int f = 0; f < 4; ++f)
                        fields[static_cast<std::size_t>(f)] = SlotValue(in.record9, DisplayLayout::X1, 0, f);
                    DrawSingleValueWithFields(p, in, 12, fields);
                };
                break;
            case DisplayLayout::X4:
                draw = [this, d](PreviewCanvas& p) { DrawPreviewScreen(p, Inputs(), PreviewScreen::X4, d + 1); };
                break;
            case DisplayLayout::X9:
                draw = [this, d](PreviewCanvas& p) { DrawPreviewScreen(p, Inputs(), PreviewScreen::X9, d + 1); };
                break;
            case DisplayLayout::X6:
                draw = [this, d](PreviewCanvas& p) { DrawPreviewScreen(p, Inputs(), PreviewScreen::X6, d + 1); };
                break;
            case DisplayLayout::Graph:
                draw = [this, d](PreviewCanvas& p) { DrawPreviewScreen(p, Inputs(), PreviewScreen::Graphs, d + 1); };
                break;
            case DisplayLayout::Dial:
                draw = [this, d](PreviewCanvas& p) { DrawPreviewScreen(p, Inputs(), PreviewScreen::Dials, d + 1); };
                break;
            case DisplayLayout::Panel:
                draw = [this](PreviewCanvas& p) { DrawPreviewScreen(p, Inputs(), PreviewScreen::Panel, 1); };
                break;
            }
            auto* cell = new QVBoxLayout;
            if (LayoutOf(layout).displays > 1)
                cell->addWidget(new QLabel(QStringLiteral("#%1").arg(d + 1), holder));
            PreviewBox* box = AddPreview(layout, d, std::move(draw), holder);
            box->anew = layout == DisplayLayout::Graph;
            cell->addWidget(box);
            row->addLayout(cell);
        }
        row->addStretch(1);
        if (tabs)
            tabs->addTab(holder, title);
        else
            stack->addWidget(holder);
    }
    if (tabs)
        stack->addWidget(tabs);
    stack->addWidget(Hint(hint, page));
    stack->addStretch(1);
    return page;
}

// ---- hot menus ----

namespace {
constexpr const char* kHotMenuTitles[kEditedHotMenuLists][2] = {
    {"Параметры", "Parameters"}, {"Средние", "Average"}, {"Парктроник", "Parktronic"}};

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

QWidget* DisplayPanel::BuildHotMenus()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("display.menus"));
    auto* row = new QHBoxLayout(page);
    for (int list = 0; list < kEditedHotMenuLists; ++list) {
        auto* column = new QVBoxLayout;
        auto* title = new QLabel(Tr(kHotMenuTitles[list][0], kHotMenuTitles[list][1]), page);
        auto* grid = new QTableWidget(kHotMenuRows, 1, page);
        grid->setObjectName(QStringLiteral("display.menu.%1").arg(list));
        title->setBuddy(grid);
        grid->horizontalHeader()->hide();
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        QStringList numbers;
        for (int r = 0; r < kHotMenuRows; ++r) {
            numbers << QString::number(r);
            grid->setItem(r, 0, new QTableWidgetItem);
        }
        grid->setVerticalHeaderLabels(numbers);
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
        grid->setMinimumHeight(grid->verticalHeader()->defaultSectionSize() * kHotMenuRows + 6);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setMinimumWidth(240);
        grid->setMaximumWidth(300);
        // Rows are dragged by their numbers; the list stores the move and is shown again in order.
        grid->verticalHeader()->setSectionsMovable(true);
        connect(grid->verticalHeader(), &QHeaderView::sectionMoved, this, [this, list, grid](int, int from, int to) {
            {
                const QSignalBlocker block(grid->verticalHeader());
                grid->verticalHeader()->moveSection(to, from);
            }
            const bool english = Session().Context().english;
            Store([=](SettingsModel& m) { HotMenus(m.Record(kRecord), english).Move(list, from, to); });
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
        if (list == 2 && Session().Context().features.NoParktronic) {
            title->hide();
            grid->hide();
        }
    }
    auto* outer = new QWidget;
    auto* stack = new QVBoxLayout(outer);
    stack->addWidget(page);
    stack->addWidget(Hint(Tr("Правая кнопка мыши или клавиши Insert, Delete, Alt+стрелки: вставить, удалить, переместить пункт",
                             "Right mouse button, or the keys Insert, Delete, Alt+arrows: insert, delete, move an item"),
                          outer));
    stack->addStretch(1);
    return outer;
}

QMenu* DisplayPanel::MakeHotMenuActions(int list, int row, QWidget* parent)
{
    const auto& ctx = Session().Context();
    const bool english = ctx.english;
    auto* menu = new QMenu(parent);
    QMenu* insert = menu->addMenu(Tr("Вставить пункт", "Insert item"));
    insert->setObjectName(QStringLiteral("insert"));
    static const MenuItemList kNoMenus;
    AddNodes(insert, InsertionMenu(list, ctx.menus ? *ctx.menus : kNoMenus, ctx.features, english), [=, this](std::uint16_t code) {
        Store([=](SettingsModel& m) { HotMenus(m.Record(kRecord), english).Insert(list, row, code); });
    });
    QAction* del = menu->addAction(Tr("Удалить пункт", "Delete item"));
    del->setObjectName(QStringLiteral("delete"));
    connect(del, &QAction::triggered, this, [=, this] {
        Store([=](SettingsModel& m) { HotMenus(m.Record(kRecord), english).Delete(list, row); });
    });
    QAction* clear = menu->addAction(Tr("Очистить список", "Clear all"));
    clear->setObjectName(QStringLiteral("clear"));
    connect(clear, &QAction::triggered, this, [=, this] {
        Store([=](SettingsModel& m) { HotMenus(m.Record(kRecord), english).Clear(list); });
    });
    return menu;
}

void DisplayPanel::FillHotMenus()
{
    const auto& ctx = Session().Context();
    auto& model = const_cast<SettingsModel&>(Session().Model());
    const HotMenus menus(model.Record(kRecord), ctx.english);
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
    const bool english = Session().Context().english;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Insert) {
        QMenu* menu = MakeHotMenuActions(list, row, grid);
        if (QMenu* insert = menu->findChild<QMenu*>(QStringLiteral("insert")))
            insert->exec(grid->viewport()->mapToGlobal(grid->visualItemRect(grid->item(row, 0)).bottomLeft()));
        delete menu;
        return true;
    }
    if (key->key() == Qt::Key_Delete) {
        Store([=](SettingsModel& m) { HotMenus(m.Record(kRecord), english).Delete(list, row); });
        return true;
    }
    if ((key->modifiers() & Qt::AltModifier) && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
        const int to = std::clamp(row + (key->key() == Qt::Key_Up ? -1 : 1), 0, kHotMenuRows - 1);
        Store([=](SettingsModel& m) { HotMenus(m.Record(kRecord), english).Move(list, row, to); });
        grid->setCurrentCell(to, 0);
        return true;
    }
    return EditorPanel::eventFilter(watched, event);
}

// ---- miscellaneous ----

QWidget* DisplayPanel::BuildMisc()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("display.misc"));
    auto* stack = new QVBoxLayout(page);
    stack->addLayout(host_.BuildRows(EditorHost::PartRows("display.misc"), page));

    auto* shown = new QGroupBox(Tr("Показывать дисплеи", "Show displays"), page);
    auto* grid = new QGridLayout(shown);
    struct MaskBox {
        const char* part;
        const char* ru;
        const char* en;
        int columns;
    };
    const MaskBox boxes[] = {{"display.show.x1", "x1", "x1", 4},       {"display.show.x4", "x4", "x4", 1},
                             {"display.show.x9", "x9", "x9", 1},       {"display.show.x6", "x6", "x6", 1},
                             {"display.show.averages", "Средние", "Average", 1},
                             {"display.show.dials", "Стрелки", "Arrows", 1}, {"display.show.graphs", "Графики", "Graphics", 1}};
    int column = 0;
    for (const MaskBox& b : boxes) {
        auto* box = new QGroupBox(Tr(b.ru, b.en), shown);
        box->setObjectName(QString::fromLatin1(b.part));
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
    state.insert(state.end(), {static_cast<std::uint8_t>(Session().EditedScheme()), static_cast<std::uint8_t>(Session().Context().english),
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
