#include "PaintBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace ombrix {

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    // The handler paints every pixel it is asked for; no background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (OnPaint)
        OnPaint(painter);
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
    if (OnMouseDown)
        OnMouseDown(event->button(), event->buttons(), event->position().toPoint());
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    if (OnMouseUp)
        OnMouseUp(event->button(), event->buttons(), event->position().toPoint());
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove)
        OnMouseMove(event->buttons(), event->position().toPoint());
}

} // namespace ombrix
