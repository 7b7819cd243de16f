#include "AboutDlg.h"

#include "Forms.h"
#include "ModalResult.h"
#include "OmbrixMain.h"
#include "WindowPlacement.h"

#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QtMath>

#include <algorithm>

namespace ombrix {

namespace {

QLabel* FixedLabel(QWidget* parent, const QString& text, QRect geometry, int pixelSize) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(DialogFont(pixelSize));
    return label;
}

} // namespace

TAboutBox::TAboutBox(const TFormRefs& forms, QWidget* parent) : QDialog(parent), Forms_(forms) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報"));
    setFont(DialogFont(12));
    setFixedSize(294, 201);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 277, 137);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);

    ProductName = FixedLabel(Panel1, QStringLiteral("Ombrix"), QRect(8, 16, 257, 59), 48);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont titleFont(QStringLiteral("Times New Roman"));
    titleFont.setPixelSize(48);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    ProductName->setFont(titleFont);
    // Colours from the palette, as a button face shows them, light or dark.
    ProductName->setAutoFillBackground(true);
    ProductName->setBackgroundRole(QPalette::Button);
    ProductName->setForegroundRole(QPalette::ButtonText);

    // The lines under the name are as high as their font's full height, descenders
    // included, also where the screen's scale makes the font's height fractional; one
    // under the other from the version line down. The panel, and the box with it, grows
    // where four such lines need more room than its designed height gives.
    const int lineHeight = qCeil(QFontMetricsF(DialogFont(13)).height());
    const int grow = std::max(0, 79 + 4 * lineHeight + 2 - 137);
    setFixedSize(294, 201 + grow);
    Panel1->resize(277, 137 + grow);
    int top = 79;
    const auto nextLine = [&] {
        const QRect line(8, top, 257, lineHeight);
        top += lineHeight;
        return line;
    };
    Version = FixedLabel(Panel1, tr("Version  1.03"), nextLine(), 13);
    Version->setObjectName(QStringLiteral("Version"));
    NoticeLabel = FixedLabel(Panel1, tr("Seamless wallpaper, grown by cells"), nextLine(), 13);
    NoticeLabel->setObjectName(QStringLiteral("NoticeLabel"));
    ContactLabel1 = FixedLabel(Panel1, tr("Settings are kept in"), nextLine(), 13);
    ContactLabel1->setObjectName(QStringLiteral("ContactLabel1"));
    ContactLabel2 = FixedLabel(Panel1, QString(), nextLine(), 13);
    ContactLabel2->setObjectName(QStringLiteral("SettingsPathLabel"));

    OKButton = new QPushButton(tr("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(118, 159 + grow, 64, 33);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { done(ResultOK); });

    setTabOrder(Panel1, OKButton);
}

void TAboutBox::ShowSettingsPath() {
    const auto decoded = [](const std::string& bytes) {
        return QFile::decodeName(QByteArray::fromStdString(bytes));
    };
    const TOmbrixFm* main = Forms_.OmbrixFm;
    const QString path = main ? decoded(main->SettingsPath) : QString();
    if (main && main->SettingsReadFrom != main->SettingsPath)
        ContactLabel2->setToolTip(tr("%1\nRead at start from %2, which an earlier version left "
                                     "beside the program; that file is never written.")
                                      .arg(path, decoded(main->SettingsReadFrom)));
    else
        ContactLabel2->setToolTip(path);
    ContactLabel2->setText(
        ContactLabel2->fontMetrics().elidedText(path, Qt::ElideMiddle, ContactLabel2->width()));
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        ShowSettingsPath();
        CentreOnScreen(*this);
    }
    OKButton->setFocus();
}

void TAboutBox::reject() {
    done(ResultCancel);
}

} // namespace ombrix
