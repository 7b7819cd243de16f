#include "TextSet.h"

#include "FontColorDialog.h"
#include "ModalResult.h"
#include "WindowPlacement.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>

namespace ombrix {

namespace {

QFrame* NewHandle(QWidget* parent, const char* name, QRect geometry, Qt::CursorShape cursor) {
    auto* handle = new QFrame(parent);
    handle->setObjectName(QString::fromLatin1(name));
    handle->setFrameStyle(QFrame::Panel | QFrame::Raised);
    handle->setLineWidth(1);
    handle->setGeometry(geometry);
    handle->setCursor(cursor);
    return handle;
}

} // namespace

TTextSetDlg::TTextSetDlg(TFieldModel& model, QWidget* parent) : QDialog(parent), Model_(model) {
    setObjectName(QStringLiteral("TextSetDlg"));
    setWindowTitle(tr("Text 設定"));
    setFont(DialogFont(12));
    // The design's outer size is 347 × 233. Its client area, 339 × 208, keeps OK and
    // Cancel at their design top 178, 30 pixels above the bottom.
    resize(339, 208);

    OKBtn = new QPushButton(tr("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(78, 178, 74, 24);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(157, 178, 73, 24);

    Label1 = new QLabel(tr("Text:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    PlaceLabel(*Label1, 8, 8, 25, 12);
    Edit1 = new QLineEdit(QStringLiteral("Ombrix"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(40, 5, 113, 20);
    Button1 = new QPushButton(tr("Font"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(160, 5, 33, 20);

    FontDialog1 = new TFontColorDialog(this);
    FontDialog1->setObjectName(QStringLiteral("FontDialog1"));

    SamplePnl = new QFrame(this);
    SamplePnl->setObjectName(QStringLiteral("SamplePnl"));
    SamplePnl->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    SamplePnl->setLineWidth(1);
    SamplePnl->setGeometry(8, 35, 289, 121);
    SamplePbx = new QWidget(SamplePnl);
    SamplePbx->setObjectName(QStringLiteral("SamplePbx"));
    SamplePbx->setGeometry(1, 1, 287, 119);
    SamplePbx->installEventFilter(this);

    ResizeWPnl = NewHandle(this, "ResizeWPnl", {304, 35, 4, 118}, Qt::SizeHorCursor);
    ResizeHPnl = NewHandle(this, "ResizeHPnl", {8, 160, 289, 4}, Qt::SizeVerCursor);
    ResizeWHPnl = NewHandle(this, "ResizeWHPnl", {304, 160, 4, 4}, Qt::SizeFDiagCursor);
    for (QFrame* handle : {ResizeWPnl, ResizeHPnl, ResizeWHPnl})
        handle->installEventFilter(this);

    // The sample and the handles are worked with the mouse alone: no tab stops.
    const QList<QWidget*> chain{OKBtn, CancelBtn, Edit1, Button1};
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    TextFont = DefaultTextFont();

    connect(Edit1, &QLineEdit::textChanged, this, &TTextSetDlg::Edit1Change);
    connect(Button1, &QPushButton::clicked, this, &TTextSetDlg::Button1Click);
    connect(OKBtn, &QPushButton::clicked, this, &TTextSetDlg::accept);
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(ResultCancel); });
}

TTextSetDlg::~TTextSetDlg() = default;

void TTextSetDlg::LayoutSample() {
    SamplePnl->resize(Model_.AreaW + 2, Model_.AreaH + 2);
    SamplePbx->setGeometry(1, 1, Model_.AreaW, Model_.AreaH);
    const int right = SamplePnl->x() + SamplePnl->width();
    const int bottom = SamplePnl->y() + SamplePnl->height();
    ResizeWPnl->setGeometry(right, ResizeWPnl->y(), ResizeWPnl->width(), SamplePnl->height());
    ResizeHPnl->setGeometry(ResizeHPnl->x(), bottom, SamplePnl->width(), ResizeHPnl->height());
    ResizeWHPnl->move(right, bottom);
}

void TTextSetDlg::accept() {
    OKBtnClick();
    done(ResultOK);
}

void TTextSetDlg::reject() {
    done(ResultCancel);
}

void TTextSetDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
        GrowToFitSample();
        CentreOnScreen(*this);
    }
}

void TTextSetDlg::GrowToFitSample() {
    // The sample and its handles, 8 pixels of room, then OK and Cancel 30 pixels above
    // the bottom; never smaller than the window is, never larger than the screen.
    constexpr int Margin = 8;
    constexpr int ButtonRoom = 30;
    QSize wanted(ResizeWHPnl->geometry().right() + 1 + Margin,
                 ResizeWHPnl->geometry().bottom() + 1 + Margin + ButtonRoom);
    wanted = wanted.expandedTo(size());
    if (const QScreen* screen = this->screen()) {
        QMargins frame;
        if (const QWindow* handle = windowHandle())
            frame = handle->frameMargins();
        const QSize room = screen->availableGeometry().size().shrunkBy(frame);
        wanted = wanted.boundedTo(room.expandedTo(size()));
    }
    if (wanted != size())
        resize(wanted);
}

void TTextSetDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

bool TTextSetDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SamplePbx && event->type() == QEvent::Paint) {
        SamplePbxPaint();
        return true;
    }
    const bool onHandle = watched == ResizeWPnl || watched == ResizeHPnl || watched == ResizeWHPnl;
    // A quick second press comes as a double click; it starts a drag all the same.
    if (onHandle && (event->type() == QEvent::MouseButtonPress ||
                     event->type() == QEvent::MouseButtonDblClick)) {
        ResizePnlMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;
    }
    if (onHandle && event->type() == QEvent::MouseMove) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        if (watched == ResizeWPnl)
            ResizeWPnlMouseMove(mouse->buttons(), pos);
        else if (watched == ResizeHPnl)
            ResizeHPnlMouseMove(mouse->buttons(), pos);
        else
            ResizeWHPnlMouseMove(mouse->buttons(), pos);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TTextSetDlg::FormShow() {
    LayoutSample();
}

void TTextSetDlg::FormResize() {
    const int top = height() - 30;
    OKBtn->move(OKBtn->x(), top);
    CancelBtn->move(CancelBtn->x(), top);
}

void TTextSetDlg::SamplePbxPaint() {
    QPainter painter(SamplePbx);
    DrawTextSample(painter, SamplePbx->size(), Edit1->text(), TextFont);
}

void TTextSetDlg::Edit1Change() {
    SamplePbx->repaint();
}

void TTextSetDlg::Button1Click() {
    FontDialog1->SetChoice(TextFont.Font, TextFont.Color);
    if (FontDialog1->exec() != QDialog::Accepted)
        return;
    TextFont.Font = FontDialog1->ChosenFont();
    TextFont.Color = FontDialog1->ChosenColor();
    SamplePbx->repaint();
}

void TTextSetDlg::ResizePnlMouseDown(QPoint pos) {
    const QPoint start = ClientToScreen(pos);
    DragStartX = start.x();
    DragStartY = start.y();
}

void TTextSetDlg::ResizeWPnlMouseMove(Qt::MouseButtons buttons, QPoint pos) {
    if (!(buttons & Qt::LeftButton))
        return;
    const std::int32_t w = Model_.AreaW + ClientToScreen(pos).x() - DragStartX;
    if (w < 1 || w > MaxAreaW)
        return;
    Model_.AreaW = w;
    LayoutSample();
}

void TTextSetDlg::ResizeHPnlMouseMove(Qt::MouseButtons buttons, QPoint pos) {
    if (!(buttons & Qt::LeftButton))
        return;
    const std::int32_t h = Model_.AreaH + ClientToScreen(pos).y() - DragStartY;
    if (h < 1 || h > MaxAreaH)
        return;
    Model_.AreaH = h;
    LayoutSample();
}

void TTextSetDlg::ResizeWHPnlMouseMove(Qt::MouseButtons buttons, QPoint pos) {
    if (!(buttons & Qt::LeftButton))
        return;
    const QPoint p = ClientToScreen(pos);
    const std::int32_t w = std::clamp(Model_.AreaW + p.x() - DragStartX, 1, MaxAreaW);
    const std::int32_t h = std::clamp(Model_.AreaH + p.y() - DragStartY, 1, MaxAreaH);
    if (w == Model_.AreaW && h == Model_.AreaH)
        return;
    Model_.AreaW = w;
    Model_.AreaH = h;
    LayoutSample();
}

// The sample is drawn again off-screen at the field's size, so that cells whose pixels
// lie beyond the dialog's edge are read just like the visible ones.
void TTextSetDlg::OKBtnClick() {
    StampText(Model_, Edit1->text(), TextFont);
}

QPoint TTextSetDlg::ClientToScreen(QPoint pos) const {
    return mapToGlobal(pos);
}

} // namespace ombrix
