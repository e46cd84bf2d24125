#include "editor/ui/FieldBinder.h"

#include "common/Bytes.h"
#include "model/SettingsModel.h"
#include "ui/Prompter.h"
#include "ui/Text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardItemModel>

#include <cmath>
#include <exception>

namespace tc::ui {

namespace {

// Captions are plain text: an ampersand is not a mnemonic.
QString Caption(const std::string& text)
{
    return ToQ(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString ValueText(const QAbstractSpinBox* spin)
{
    if (const auto* d = qobject_cast<const QDoubleSpinBox*>(spin))
        return QString::number(d->value(), 'f', d->decimals());
    return QString::number(static_cast<const QSpinBox*>(spin)->value());
}

// The marked look of a value the session could not show as stored.
void SetMarked(QWidget* w, bool marked, const QString& why)
{
    if (w->toolTip() != why)
        w->setToolTip(why);
    const QString style = marked ? QStringLiteral("color: #b00000;") : QString();
    if (w->styleSheet() != style)
        w->setStyleSheet(style);
}

} // namespace

FieldBinder::FieldBinder(EditSession& session, QObject* parent)
    : QObject(parent), session_(session), slots_(session.Fields().size(), -1)
{
    // Every row is bound at most once: the controls never move, so the
    // pointers Widget() hands out (panels keep them) stay valid.
    widgets_.reserve(session.Fields().size());
    spinEdits_.reserve(session.Fields().size());
}

int FieldBinder::SlotOf(std::size_t fieldIndex) const
{
    return fieldIndex < slots_.size() ? slots_[fieldIndex] : -1;
}

const FieldWidget* FieldBinder::Widget(std::size_t fieldIndex) const
{
    const int slot = SlotOf(fieldIndex);
    return slot < 0 ? nullptr : &widgets_[static_cast<std::size_t>(slot)];
}

const FieldWidget* FieldBinder::Widget(std::string_view key) const
{
    const Field* f = FindField(key);
    return f ? Widget(static_cast<std::size_t>(f - session_.Fields().data())) : nullptr;
}

void FieldBinder::Bind(FieldWidget widget)
{
    const std::size_t index = widget.field;
    slots_.at(index) = static_cast<int>(widgets_.size());
    widgets_.push_back(widget);
    spinEdits_.emplace_back();
    const FieldWidget& w = widgets_.back();
    const std::string key(w.Row().key);

    switch (w.kind) {
    case ControlKind::Number: {
        const int slot = SlotOf(index);
        auto userStepped = [this, slot, spin = w.spin] {
            SpinEdit& e = spinEdits_[static_cast<std::size_t>(slot)];
            e.stepped = true;
            // A step after typing replaces what was typed.
            if (e.typed && *e.typed != spin->text())
                e.typed.reset();
        };
        if (auto* d = qobject_cast<QDoubleSpinBox*>(w.spin))
            connect(d, &QDoubleSpinBox::valueChanged, this, userStepped);
        else
            connect(static_cast<QSpinBox*>(w.spin), &QSpinBox::valueChanged, this, userStepped);
        if (auto* edit = w.spin->findChild<QLineEdit*>())
            connect(edit, &QLineEdit::textEdited, this,
                    [this, slot](const QString& text) { spinEdits_[static_cast<std::size_t>(slot)].typed = text; });
        connect(w.spin, &QAbstractSpinBox::editingFinished, this, [this, index] { FinishSpin(index); });
        w.spin->installEventFilter(this);
        break;
    }
    case ControlKind::Choice:
        w.combo->installEventFilter(this);
        connect(w.combo, &QComboBox::activated, this, [this, index, key, combo = w.combo](int item) {
            Commit(index, [&] { return session_.Select(key, combo->itemData(item).toInt()); });
        });
        break;
    case ControlKind::Radio:
        connect(w.radios, &QButtonGroup::idClicked, this,
                [this, index, key](int item) { Commit(index, [&] { return session_.Select(key, item); }); });
        break;
    case ControlKind::Check:
        connect(w.check, &QCheckBox::clicked, this,
                [this, index, key](bool checked) { Commit(index, [&] { return session_.SetChecked(key, checked); }); });
        break;
    case ControlKind::Time:
    case ControlKind::Text:
        connect(w.line, &QLineEdit::editingFinished, this, [this, index] { FinishLine(index); });
        w.line->installEventFilter(this);
        break;
    }
}

bool FieldBinder::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel over a spin box or list that the user is not working in
    // scrolls the page; it does not change the value (a protocol picked
    // by a stray turn of the wheel would clear the protocol's options).
    if (event->type() == QEvent::Wheel) {
        if (auto* w = qobject_cast<QWidget*>(watched); w && !w->hasFocus()) {
            event->ignore();
            return true;
        }
    }
    // Undo and redo keys in a field that holds nothing typed are the
    // session's (the dialog's shortcuts); with typing there, the field's own.
    if (event->type() == QEvent::ShortcutOverride && IsUndoKey(static_cast<QKeyEvent*>(event)))
        for (const auto& w : widgets_)
            if ((w.spin && w.spin == watched) || (w.line && w.line == watched)) {
                if (Pending(w))
                    break;
                event->ignore();
                return true;
            }
    // Enter in a spin box or a time or text field commits it before the
    // dialog sees the key as OK; a refused value keeps the dialog open.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            for (const auto& w : widgets_) {
                if (w.spin && w.spin == watched)
                    return !FinishSpin(w.field);
                if (w.line && w.line == watched)
                    return !FinishLine(w.field);
            }
    }
    return QObject::eventFilter(watched, event);
}

bool FieldBinder::IsUndoKey(const QKeyEvent* event)
{
    const QKeyCombination pressed(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key()));
    for (const QKeySequence& undo : UndoKeys())
        if (undo.count() == 1 && undo[0] == pressed)
            return true;
    for (const QKeySequence& redo : RedoKeys())
        if (redo.count() == 1 && redo[0] == pressed)
            return true;
    return false;
}

QList<QKeySequence> FieldBinder::UndoKeys()
{
    return {QKeySequence(Qt::CTRL | Qt::Key_Z)};
}

QList<QKeySequence> FieldBinder::RedoKeys()
{
    return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)};
}

bool FieldBinder::Pending(const FieldWidget& w) const
{
    const SpinEdit& e = spinEdits_[static_cast<std::size_t>(SlotOf(w.field))];
    if (e.typed || e.stepped)
        return true;
    return w.line && w.line->text().toStdString() != session_.Shown(w.field).text;
}

bool FieldBinder::FinishSpin(std::size_t fieldIndex)
{
    const int slot = SlotOf(fieldIndex);
    if (slot < 0)
        return true;
    SpinEdit& e = spinEdits_[static_cast<std::size_t>(slot)];
    const FieldWidget& w = widgets_[static_cast<std::size_t>(slot)];
    std::optional<QString> text = e.typed;
    if (!text && e.stepped)
        text = ValueText(w.spin);
    e = {};
    if (!text)
        return true; // only passed through
    if (leavingToCancel && leavingToCancel()) {
        Fill(fieldIndex);
        return true;
    }
    const std::string key(w.Row().key);
    return Commit(fieldIndex, [&] { return session_.Commit(key, text->trimmed().toStdString()); });
}

bool FieldBinder::CommitPending()
{
    for (const auto& w : widgets_) {
        if (w.spin && !FinishSpin(w.field))
            return false;
        if (w.line && !FinishLine(w.field))
            return false;
    }
    return true;
}

bool FieldBinder::HasPending() const
{
    for (const auto& w : widgets_)
        if (Pending(w))
            return true;
    return false;
}

void FieldBinder::DiscardPending()
{
    for (auto& e : spinEdits_)
        e = {};
}

bool FieldBinder::Commit(std::size_t fieldIndex, const std::function<ChangedFields()>& store)
{
    ChangedFields changed;
    try {
        changed = store();
    } catch (const std::exception& e) {
        // The control shows the stored value again before the message is read.
        Fill(fieldIndex);
        ShowFailure(e);
        // The focus stays in the refused field, so the user can type again.
        if (const FieldWidget* w = Widget(fieldIndex); w && w->IsVisible() && w->Editor()->window()->isVisible()) {
            RevealWidget(w->Editor());
            w->Editor()->setFocus(Qt::OtherFocusReason);
            if (w->spin)
                w->spin->selectAll();
            else if (w->line)
                w->line->selectAll();
        }
        return false;
    }
    Fill(fieldIndex);
    for (std::size_t index : changed)
        if (index != fieldIndex)
            Fill(index);
    emit Committed(changed);
    return true;
}

bool FieldBinder::FinishLine(std::size_t fieldIndex)
{
    const FieldWidget& w = widgets_[static_cast<std::size_t>(SlotOf(fieldIndex))];
    const std::string text = w.line->text().toStdString();
    // Leaving the edit unchanged, or for Cancel, stores nothing.
    if (text == session_.Shown(fieldIndex).text || (leavingToCancel && leavingToCancel()))
        return true;
    const std::string key(w.Row().key);
    return Commit(fieldIndex, [&] { return session_.Commit(key, text); });
}

bool FieldBinder::Owns(const QWidget* w) const
{
    for (const auto& fw : widgets_) {
        if (fw.Editor() == w)
            return true;
        if (fw.radios)
            for (auto* b : fw.RadioButtons())
                if (b == w)
                    return true;
    }
    return false;
}

void FieldBinder::FillAll()
{
    for (const auto& w : widgets_)
        Fill(w.field);
    laidOut_ = true;
}

void FieldBinder::Fill(std::size_t fieldIndex)
{
    const int slot = SlotOf(fieldIndex);
    if (slot < 0)
        return;
    FieldWidget& w = widgets_[static_cast<std::size_t>(slot)];
    const ShownControl c = session_.Shown(fieldIndex);
    spinEdits_[static_cast<std::size_t>(slot)] = {};

    QWidget* editor = w.Editor();
    const QSignalBlocker block(editor);
    editor->setEnabled(c.enabled);
    if (w.label) {
        w.label->setText(Caption(c.caption));
        w.label->setEnabled(c.enabled);
    }
    switch (w.kind) {
    case ControlKind::Number:
        FillNumber(w, c);
        break;
    case ControlKind::Choice:
        FillChoice(w, c);
        break;
    case ControlKind::Radio:
        w.radioBox->setTitle(Caption(c.caption));
        FillRadio(w, c);
        break;
    case ControlKind::Check:
        w.check->setText(Caption(c.caption));
        w.check->setChecked(c.checked);
        SetMarked(w.check, false, {});
        break;
    case ControlKind::Time:
    case ControlKind::Text:
        w.line->setText(ToQ(c.text));
        w.line->setPlaceholderText(c.mark == ValueMark::Unshowable ? ToQ(Tr(session_.Context().language, "не задано", "not set")) : QString());
        SetMarked(w.line, c.mark != ValueMark::None, MarkText(c));
        break;
    }
    // The description, and below it why a value is marked.
    const QString mark = MarkText(c);
    const QString tip = Description(fieldIndex, c) + (mark.isEmpty() ? QString() : QStringLiteral("\n\n") + mark);
    for (QWidget* x : {editor, static_cast<QWidget*>(w.label)})
        if (x && x->toolTip() != tip)
            x->setToolTip(tip);
    w.SetVisible(c.visible);
    UpdateGroup(w.group);
}

QString FieldBinder::Description(std::size_t fieldIndex, const ShownControl& c)
{
    const auto& ctx = session_.Context();
    if (defaults_.empty()) {
        // The model's reference settings, shown through a session of their own
        // on the same context: the value each control starts from.
        defaults_.assign(session_.Fields().size(), std::string());
        // A copy of the settings with every record back at its defaults
        // (the protocol kept), so that no catalog is evaluated again: the
        // open editor's protocol list stays valid. The copied context tells
        // no one of a protocol and re-labels no shared catalog.
        try {
            SettingsModel reference = session_.Model();
            const std::uint16_t protocol = reference.ProtocolIndex();
            reference.ResetColourSchemes(false);
            reference.ResetRecords(session_.Context().language);
            PutU16(reference.Record(kProtocolRecord), kProtocolIndexOffset, protocol);
            EditorContext quiet = ctx;
            quiet.params = nullptr;
            EditSession defaults(reference, quiet);
            for (std::size_t i = 0; i < defaults_.size(); ++i)
                defaults_[i] = defaults.Shown(i).text;
        } catch (const std::exception&) {
            // The tooltips leave the default out.
        }
    }
    // "Скорость, %": the part after the last comma is the unit.
    std::string caption = c.caption, unit;
    if (const auto comma = caption.rfind(','); comma != std::string::npos && c.kind == ControlKind::Number) {
        unit = caption.substr(comma + 1);
        unit.erase(0, unit.find_first_not_of(' '));
    }
    QStringList lines{ToQ(caption)};
    if (c.kind == ControlKind::Number)
        lines << ToQ(Tr(ctx.language, "Пределы: ", "Limits: ")) + QString::number(c.min, 'f', c.decimals) + QStringLiteral(" … ")
                     + QString::number(c.max, 'f', c.decimals) + (unit.empty() ? QString() : QStringLiteral(" ") + ToQ(unit));
    if (fieldIndex < defaults_.size() && !defaults_[fieldIndex].empty())
        lines << ToQ(Tr(ctx.language, "По умолчанию: ", "Default: ")) + ToQ(defaults_[fieldIndex]);
    lines << ToQ(Tr(ctx.language, "Ключ tripconf-cli get/set: ", "tripconf-cli get/set key: ")) + ToQ(c.field ? c.field->key : session_.Fields()[fieldIndex].key);
    return lines.join(QLatin1Char('\n'));
}

QString FieldBinder::MarkText(const ShownControl& c) const
{
    const auto& ctx = session_.Context();
    switch (c.mark) {
    case ValueMark::None:
        return {};
    case ValueMark::Unshowable:
        return ToQ(Tr(ctx.language, "Сохранённое значение показать нельзя. Оно останется прежним, пока вы не зададите новое.",
                          "The stored value cannot be shown. It stays as it is until you set a new one."));
    case ValueMark::OutOfRange:
        if (c.kind == ControlKind::Time)
            return ToQ(Tr(ctx.language, "Сохранённое значение — не время суток; показано как " + c.text,
                              "The stored value is not a time of day; it is shown as " + c.text));
        if (c.kind == ControlKind::Number)
            return ToQ(Tr(ctx.language, "Сохранённое значение " + c.text + " вне пределов этого параметра",
                              "The stored value " + c.text + " lies outside this setting's limits"));
        return ToQ(Tr(ctx.language, "Сохранённое значение не совпадает ни с одним вариантом; показан ближайший по смыслу",
                          "The stored value matches no item; the item shown stands in for it"));
    }
    return {};
}

void FieldBinder::FillNumber(FieldWidget& w, const ShownControl& c)
{
    bool ok = false;
    double value = QLocale::c().toDouble(ToQ(c.text), &ok);
    double min = c.min;
    double max = c.max;
    QString special;
    const bool unshowable = c.mark == ValueMark::Unshowable || !ok;
    if (unshowable) {
        // An empty field: the spin box shows its special text one step below
        // the limits, and the first step up reaches the minimum.
        min = c.min - c.step;
        value = min;
        special = QStringLiteral(" ");
    } else if (c.mark == ValueMark::OutOfRange) {
        // Shown as stored; leaving it untouched keeps it.
        min = std::min(min, value);
        max = std::max(max, value);
    }
    w.spin->setSpecialValueText(special);
    if (auto* d = qobject_cast<QDoubleSpinBox*>(w.spin)) {
        d->setDecimals(c.decimals);
        d->setRange(min, max);
        d->setSingleStep(c.step);
        d->setValue(value);
    } else {
        auto* s = static_cast<QSpinBox*>(w.spin);
        s->setRange(static_cast<int>(std::lround(min)), static_cast<int>(std::lround(max)));
        s->setSingleStep(std::max(1, static_cast<int>(std::lround(c.step))));
        s->setValue(static_cast<int>(std::lround(value)));
    }
    SetMarked(w.spin, c.mark != ValueMark::None, MarkText(c));
}

void FieldBinder::FillChoice(FieldWidget& w, const ShownControl& c)
{
    QStringList texts;
    for (const auto& item : c.items)
        texts << ToQ(item.text);
    QStringList current;
    for (int i = 0; i < w.combo->count(); ++i)
        current << w.combo->itemText(i);
    if (texts != current) {
        w.combo->clear();
        for (int i = 0; i < texts.size(); ++i)
            w.combo->addItem(texts[i], i);
    }
    if (auto* model = qobject_cast<QStandardItemModel*>(w.combo->model()))
        for (int i = 0; i < texts.size(); ++i)
            if (QStandardItem* item = model->item(i))
                item->setEnabled(c.items[static_cast<std::size_t>(i)].enabled);
    w.combo->setCurrentIndex(c.selected);
    SetMarked(w.combo, c.mark != ValueMark::None, MarkText(c));
}

void FieldBinder::FillRadio(FieldWidget& w, const ShownControl& c)
{
    QStringList texts;
    for (const auto& item : c.items)
        texts << ToQ(item.text).replace(QLatin1Char('&'), QStringLiteral("&&"));
    auto buttons = w.RadioButtons();
    QStringList current;
    for (auto* b : buttons)
        current << b->text();
    if (texts != current) {
        SetRadioItems(w, texts);
        buttons = w.RadioButtons();
        if (laidOut_)
            emit ButtonsRebuilt();
    }
    w.radios->setExclusive(false);
    for (int i = 0; i < buttons.size(); ++i) {
        buttons[i]->setEnabled(c.items[static_cast<std::size_t>(i)].enabled);
        buttons[i]->setChecked(i == c.selected);
    }
    w.radios->setExclusive(true);
    SetMarked(w.radioBox, c.mark != ValueMark::None, MarkText(c));
}

void FieldBinder::UpdateGroup(QGroupBox* group)
{
    if (!group)
        return;
    bool any = false;
    for (const auto& w : widgets_)
        if (w.group == group && w.IsVisible())
            any = true;
    group->setVisible(any);
}

} // namespace tc::ui
