#include "WallpaperDlg.h"

#include "RadioGroup.h"
#include "WindowPlacement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
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
    setWindowTitle(tr("壁紙"));
    setFont(DialogFont(13));
    setFixedSize(200, 198);

    KindRg_ = new TRadioGroup(QString(), {tr("This screen"), tr("All screens"), tr("Tile")}, this);
    KindRg_->setObjectName(QStringLiteral("KindRg"));
    KindRg_->setGeometry(8, 4, 184, 84);
    KindRg_->SetItemIndex(0);
    // The live wallpaper and the way back, below the designed controls, framed as the
    // picture choices are; all of them exclude each other.
    auto* moreFrame = new QGroupBox(this);
    moreFrame->setObjectName(QStringLiteral("MoreFrame"));
    moreFrame->setGeometry(8, 122, 184, 72);
    LiveRb_ = new QRadioButton(tr("ライブ"), this);
    LiveRb_->setObjectName(QStringLiteral("LiveRb"));
    LiveRb_->setGeometry(16, 128, 176, 20);
    LiveRb_->setAutoExclusive(false);
    StartAtLoginCb_ = new QCheckBox(tr("ログイン時に開始"), this);
    StartAtLoginCb_->setObjectName(QStringLiteral("StartAtLoginCb"));
    StartAtLoginCb_->setGeometry(32, 150, 160, 20);
    StartAtLoginCb_->setEnabled(false);
    // The way back to the background before Ombrix's, below those; it excludes them too.
    PreviousRb_ = new QRadioButton(tr("Previous wallpaper"), this);
    PreviousRb_->setObjectName(QStringLiteral("PreviousRb"));
    PreviousRb_->setGeometry(16, 172, 176, 20);
    PreviousRb_->setAutoExclusive(false);
    SetPrevious(TPreviousState::NothingYet);
    connect(LiveRb_, &QRadioButton::toggled, this, [this](bool on) {
        StartAtLoginCb_->setEnabled(on);
        if (on) {
            KindRg_->SetItemIndex(-1);
            PreviousRb_->setChecked(false);
        }
    });
    connect(PreviousRb_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            KindRg_->SetItemIndex(-1);
            LiveRb_->setChecked(false);
        }
    });
    for (QRadioButton* item : KindRg_->Items())
        connect(item, &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                LiveRb_->setChecked(false);
                PreviousRb_->setChecked(false);
            }
        });
    OKBtn_ = new QPushButton(tr("OK"), this);
    OKBtn_->setObjectName(QStringLiteral("OKBtn"));
    OKBtn_->setGeometry(68, 96, 59, 24);
    OKBtn_->setDefault(true);
    CancelBtn_ = new QPushButton(tr("Cancel"), this);
    CancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn_->setGeometry(132, 96, 60, 24);

    QList<QWidget*> chain;
    for (QRadioButton* item : KindRg_->Items())
        chain.append(item);
    chain << OKBtn_ << CancelBtn_ << LiveRb_ << StartAtLoginCb_ << PreviousRb_;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    connect(OKBtn_, &QPushButton::clicked, this, [this] { done(ResultOK); });
    connect(CancelBtn_, &QPushButton::clicked, this, [this] { done(ResultCancel); });
}

TWallpaperKind TWallpaperDlg::Kind() const {
    const int index = KindRg_->ItemIndex();
    return index >= 0 && index < 3 ? Kinds[index] : TWallpaperKind::Screen;
}

bool TWallpaperDlg::Live() const {
    return LiveRb_->isChecked();
}

bool TWallpaperDlg::StartAtLogin() const {
    return StartAtLoginCb_->isChecked();
}

void TWallpaperDlg::SetStartAtLogin(bool on) {
    StartAtLoginCb_->setChecked(on);
}

bool TWallpaperDlg::Previous() const {
    return PreviousRb_->isChecked();
}

void TWallpaperDlg::SetPrevious(TPreviousState state) {
    const bool remembered = state == TPreviousState::Remembered;
    PreviousRb_->setEnabled(remembered);
    if (!remembered)
        PreviousRb_->setChecked(false);
    PreviousRb_->setToolTip(
        remembered ? tr("Puts back the background the desktop had before Ombrix's picture.")
        : state == TPreviousState::NothingYet
            ? tr("Nothing to put back yet: Ombrix remembers the desktop's background when it "
                 "first sets a picture there.")
            : tr("This desktop does not let Ombrix read its background, so there is none to put "
                 "back."));
}

void TWallpaperDlg::reject() {
    done(ResultCancel);
}

void TWallpaperDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        CentreOnScreen(*this);
}

} // namespace ombrix
