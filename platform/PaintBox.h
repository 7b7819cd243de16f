// A plain drawing surface that hands its paint events and mouse releases to handlers.
// Repaint() draws at once, also outside a paint request of the window system.
// While a button is held the box keeps the mouse, so a release past its edges
// still arrives, with coordinates outside the box.
#pragma once

#include <QWidget>

#include <functional>

class QPainter;

namespace ombrix {

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget* parent = nullptr);

    /// Draws through the paint handler now.
    void Repaint() { repaint(); }

    std::function<void(QPainter&)> OnPaint;
    /// button: the button released; at: where, in the box's coordinates.
    std::function<void(Qt::MouseButton button, QPoint at)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace ombrix
