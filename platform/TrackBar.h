// A vertical track bar with its smallest value at the top, driven by the keys of a
// system track bar: Left and Up step towards the top, Right and Down towards the
// bottom, Page Up and Page Down move by a page, Home and End go to the ends.
#pragma once

#include <QSlider>

namespace ombrix {

class TTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TTrackBar(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace ombrix
