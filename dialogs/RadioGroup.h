// A titled box of mutually exclusive items, addressed by item index.
#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace ombrix {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    /// The selected item, or -1 when none is selected.
    int ItemIndex() const;
    /// Selects item `index` after clamping it into -1..count-1; -1 clears the selection.
    void SetItemIndex(int index);

    /// The item buttons in order, for the owner's tab chain.
    const QList<QRadioButton*>& Items() const { return Buttons_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ArrangeItems();

    QButtonGroup* Group_;
    QList<QRadioButton*> Buttons_;
};

} // namespace ombrix
