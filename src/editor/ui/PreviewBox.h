#pragma once
// One preview picture of the display page, drawn from the core's canvas.
#include "preview/PreviewCanvas.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace tc::ui {

// One preview picture. Draws itself from `draw` when it is painted after an
// Invalidate() and keeps the picture until the next one; a click or Enter asks `pick` for the field under the point
// (Enter: the centre of the picture, after a menu of the fields).
class PreviewBox : public QWidget {
    Q_OBJECT
public:
    using Draw = std::function<void(PreviewCanvas&)>;
    PreviewBox(Draw draw, QWidget* parent = nullptr);

    void Invalidate();
    // The picture as last drawn (draws it first when needed).
    const QImage& Picture();
    // The picture drawn now, whatever is kept (what the kept one must equal).
    QImage DrawAfresh() const;
    // Drawn again on every refresh, changed settings or not: the graphs,
    // whose curve is random on every draw.
    bool anew = false;
    // Right-click or left-click at a point of the picture: the panel opens a picker there.
    std::function<void(QPoint at, QPoint global)> pick;
    // Enter or the menu key: the panel offers the fields to pick from.
    std::function<void(QPoint global)> pickByKey;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Draw draw_;
    QImage picture_;
    bool dirty_ = true;
};

} // namespace tc::ui
