// A plain drawing surface that hands its paint and mouse events to handlers.
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
    /// button: the button that changed; buttons: those held after the event.
    std::function<void(Qt::MouseButton button, Qt::MouseButtons buttons, QPoint at)> OnMouseDown;
    std::function<void(Qt::MouseButton button, Qt::MouseButtons buttons, QPoint at)> OnMouseUp;
    std::function<void(Qt::MouseButtons buttons, QPoint at)> OnMouseMove;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

} // namespace ombrix
