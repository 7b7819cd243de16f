#include "RadioGroup.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QRadioButton>

#include <algorithm>

namespace ombrix {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), Group_(new QButtonGroup(this)) {
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        Group_->addButton(button, i);
        Buttons_.append(button);
    }
    ArrangeItems();
}

int TRadioGroup::ItemIndex() const {
    return Group_->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    const int count = static_cast<int>(Buttons_.size());
    index = std::clamp(index, -1, count - 1);
    if (index >= 0) {
        Buttons_[index]->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last checked button.
    Group_->setExclusive(false);
    for (QRadioButton* button : Buttons_)
        button->setChecked(false);
    Group_->setExclusive(true);
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    ArrangeItems();
}

// The items share the height below the caption in equal rows, one column.
void TRadioGroup::ArrangeItems() {
    const int count = static_cast<int>(Buttons_.size());
    if (count == 0)
        return;
    const int top = QFontMetrics(font()).height() + 2;
    const int rowHeight = std::max(1, (height() - top - 4) / count);
    for (int i = 0; i < count; ++i) {
        const int buttonHeight = std::min(rowHeight, Buttons_[i]->sizeHint().height());
        Buttons_[i]->setGeometry(8, top + i * rowHeight + (rowHeight - buttonHeight) / 2,
                                 std::max(1, width() - 16), buttonHeight);
    }
}

} // namespace ombrix
