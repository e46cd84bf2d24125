#include "editor/ui/FieldWidgets.h"

#include "ui/Text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QSpinBox>

#include <QLocale>
#include <QValidator>

#include <algorithm>

namespace tc::ui {

namespace {

// A spin box that keeps every character typed: the session judges the value
// when it is committed and refuses it with a message naming the limits. The
// stock spin boxes drop a key that would take the text past the maximum or
// past the decimals (50 in a 0..40 field left 5).
template <class Base>
class TypedSpinBox : public Base {
public:
    using Base::Base;

protected:
    QValidator::State validate(QString& text, int& pos) const override
    {
        if (!this->specialValueText().isEmpty() && text == this->specialValueText())
            return QValidator::Acceptable;
        // Acceptable only what the spin box itself can hold unchanged; anything
        // else stays as typed until it is committed.
        QString copy = text;
        return Base::validate(copy, pos) == QValidator::Acceptable && copy == text ? QValidator::Acceptable : QValidator::Intermediate;
    }
    void fixup(QString&) const override {}
};

} // namespace

const Field& FieldWidget::Row() const
{
    return EditorFields()[field];
}

QWidget* FieldWidget::Editor() const
{
    if (spin)
        return spin;
    if (combo)
        return combo;
    if (check)
        return check;
    if (line)
        return line;
    return radioBox;
}

void FieldWidget::SetVisible(bool visible) const
{
    if (label)
        label->setVisible(visible);
    Editor()->setVisible(visible);
}

bool FieldWidget::IsVisible() const
{
    return !Editor()->isHidden();
}

QList<QRadioButton*> FieldWidget::RadioButtons() const
{
    QList<QRadioButton*> buttons;
    if (!radios)
        return buttons;
    for (int i = 0;; ++i) {
        auto* b = qobject_cast<QRadioButton*>(radios->button(i));
        if (!b)
            return buttons;
        buttons << b;
    }
}

FieldWidget MakeFieldWidget(std::size_t fieldIndex, const ShownControl& shown, QWidget* parent)
{
    FieldWidget w;
    w.field = fieldIndex;
    w.kind = shown.kind;
    const QString name = ToQ(shown.field->key);
    switch (shown.kind) {
    case ControlKind::Number: {
        if (shown.decimals > 0) {
            auto* spin = new TypedSpinBox<QDoubleSpinBox>(parent);
            spin->setDecimals(shown.decimals);
            w.spin = spin;
        } else {
            w.spin = new TypedSpinBox<QSpinBox>(parent);
        }
        // The value changes when the user leaves the field or steps, not per key.
        w.spin->setKeyboardTracking(false);
        // Shown and typed as the session shows numbers ("5.0"), whatever the system's locale.
        w.spin->setLocale(QLocale::c());
        w.spin->setFocusPolicy(Qt::StrongFocus); // the wheel does not take the focus
        w.spin->setAlignment(Qt::AlignRight);
        if (!shown.typing)
            if (auto* edit = w.spin->findChild<QLineEdit*>())
                edit->setReadOnly(true); // the arrows still step: the spin box handles them itself
        w.label = new QLabel(parent);
        w.label->setBuddy(w.spin);
        break;
    }
    case ControlKind::Choice:
        w.combo = new QComboBox(parent);
        w.combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        w.combo->setFocusPolicy(Qt::StrongFocus);
        w.label = new QLabel(parent);
        w.label->setBuddy(w.combo);
        break;
    case ControlKind::Radio:
        w.radioBox = new QGroupBox(parent);
        w.radios = new QButtonGroup(w.radioBox);
        w.columns = shown.columns;
        new QGridLayout(w.radioBox);
        break;
    case ControlKind::Check:
        w.check = new QCheckBox(parent);
        break;
    case ControlKind::Time:
        w.line = new QLineEdit(parent);
        // The time fields' own mask (two digits, a colon, two digits); the
        // session refuses what is not a time of day (25:00).
        w.line->setInputMask(QStringLiteral("99:99;_"));
        w.line->setMaximumWidth(w.line->fontMetrics().horizontalAdvance(QStringLiteral("00:00")) * 2 + 16);
        w.label = new QLabel(parent);
        w.label->setBuddy(w.line);
        break;
    case ControlKind::Text:
        w.line = new QLineEdit(parent);
        // No maximum length: a name of more than 15 characters or a date
        // that is not dd.mm.yy is refused with a message, never cut.
        w.label = new QLabel(parent);
        w.label->setBuddy(w.line);
        break;
    }
    w.Editor()->setObjectName(name);
    if (w.label)
        w.label->setObjectName(name + QStringLiteral(".label"));
    return w;
}

void RevealWidget(QWidget* target)
{
    for (QWidget* w = target; w; w = w->parentWidget())
        if (auto* tabs = w->parentWidget() ? qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget()) : nullptr;
            tabs && tabs->indexOf(w) >= 0)
            tabs->setCurrentWidget(w);
    for (QWidget* w = target->parentWidget(); w; w = w->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(w))
            scroll->ensureWidgetVisible(target);
}

void SetRadioItems(FieldWidget& w, const QStringList& items)
{
    for (auto* b : w.RadioButtons()) {
        w.radios->removeButton(b);
        delete b;
    }
    auto* grid = static_cast<QGridLayout*>(w.radioBox->layout());
    const int count = static_cast<int>(items.size());
    const int columns = w.columns > 0 ? std::min(w.columns, std::max(count, 1)) : std::max(count, 1);
    const int rows = (count + columns - 1) / columns;
    for (int i = 0; i < count; ++i) {
        auto* b = new QRadioButton(items[i], w.radioBox);
        b->setObjectName(w.radioBox->objectName() + QLatin1Char('#') + QString::number(i));
        w.radios->addButton(b, i);
        b->setVisible(true); // also when the box is already on screen
        // Down each column first, then across.
        grid->addWidget(b, i % rows, i / rows);
    }
}

} // namespace tc::ui
