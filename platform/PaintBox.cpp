#include "PaintBox.h"

#include "Application.h"

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
        RunReportingErrors([&] { OnPaint(painter); });
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    if (OnMouseUp)
        RunReportingErrors([&] { OnMouseUp(event->button(), event->position().toPoint()); });
}

} // namespace ombrix
