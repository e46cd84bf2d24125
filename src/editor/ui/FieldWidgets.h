#pragma once
// The settings editor's widget factory: one widget (or widget pair) per row of
// the field table, made from what the edit session shows for that row. The
// factory decides the kind of widget; the binder (FieldBinder) gives it its
// captions, limits, items and value.
#include "editor/EditSession.h"

#include <QString>
#include <QStringList>

#include <cstddef>

class QAbstractSpinBox;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace tc::ui {

// One control of the editor. Exactly one of spin, combo, radioBox, check and line is set.
struct FieldWidget {
    std::size_t field = 0; // index into EditorFields()
    ControlKind kind = ControlKind::Number;
    QLabel* label = nullptr;          // numbers and choices: the caption beside the editor
    QAbstractSpinBox* spin = nullptr; // QSpinBox without decimals, else QDoubleSpinBox
    QComboBox* combo = nullptr;       // item data: the item's index
    QGroupBox* radioBox = nullptr;    // radio group: the caption is the box title
    QButtonGroup* radios = nullptr;   // button ids: the items' indices
    QCheckBox* check = nullptr;
    QLineEdit* line = nullptr;        // times "hh:mm", dates and names
    int columns = 1;                  // radio groups: 0 = one column per item
    QGroupBox* group = nullptr;       // the group box around the control, nullptr when none

    const Field& Row() const;
    // The widget that takes the keyboard: the spin box, combo box or check box, or the radio box.
    QWidget* Editor() const;
    // Every widget that shows or hides with the control.
    void SetVisible(bool visible) const;
    bool IsVisible() const; // as the binder last set it
    // The radio buttons in item order.
    QList<QRadioButton*> RadioButtons() const;
};

// Makes the widgets of one control. Numbers with decimals get a QDoubleSpinBox,
// whole numbers a QSpinBox; a spin box that does not allow typing changes
// with the arrows (buttons, keys, wheel) only. The widgets are children of
// `parent` until the page lays them out.
FieldWidget MakeFieldWidget(std::size_t fieldIndex, const ShownControl& shown, QWidget* parent);

// Makes every tab on the way to `target` the current one (pages and sub-pages)
// and scrolls it into view, so that it can take the focus.
void RevealWidget(QWidget* target);

// Replaces a radio group's buttons with one per item, laid out column by
// column in the control's columns (one column per item when 0).
void SetRadioItems(FieldWidget& w, const QStringList& items);

} // namespace tc::ui
