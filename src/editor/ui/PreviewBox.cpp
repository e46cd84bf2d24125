#include "editor/ui/PreviewBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tc::ui {

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

} // namespace tc::ui
