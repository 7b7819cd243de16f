#include "WallpaperDlg.h"

#include "RadioGroup.h"
#include "WindowPlacement.h"

#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

namespace ombrix {

namespace {

// The items in the order of TWallpaperKind.
constexpr TWallpaperKind Kinds[] = {TWallpaperKind::Screen, TWallpaperKind::AllScreens,
                                    TWallpaperKind::Tile};

} // namespace

TWallpaperDlg::TWallpaperDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WallpaperDlg"));
    setWindowTitle(QStringLiteral("壁紙"));
    setFont(DialogFont(13));
    setFixedSize(200, 128);

    KindRg_ = new TRadioGroup(
        QString(),
        {QStringLiteral("This screen"), QStringLiteral("All screens"), QStringLiteral("Tile")},
        this);
    KindRg_->setObjectName(QStringLiteral("KindRg"));
    KindRg_->setGeometry(8, 4, 184, 84);
    KindRg_->SetItemIndex(0);
    OKBtn_ = new QPushButton(QStringLiteral("OK"), this);
    OKBtn_->setObjectName(QStringLiteral("OKBtn"));
    OKBtn_->setGeometry(68, 96, 59, 24);
    OKBtn_->setDefault(true);
    CancelBtn_ = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn_->setGeometry(132, 96, 60, 24);

    QList<QWidget*> chain;
    for (QRadioButton* item : KindRg_->Items())
        chain.append(item);
    chain << OKBtn_ << CancelBtn_;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    connect(OKBtn_, &QPushButton::clicked, this, [this] { done(1); });
    connect(CancelBtn_, &QPushButton::clicked, this, [this] { done(2); });
}

TWallpaperKind TWallpaperDlg::Kind() const {
    const int index = KindRg_->ItemIndex();
    return index >= 0 && index < 3 ? Kinds[index] : TWallpaperKind::Screen;
}

void TWallpaperDlg::reject() {
    done(2);
}

void TWallpaperDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        CentreOnScreen(*this);
}

} // namespace ombrix
