#include "OmbrixMain.h"

#include "AboutDlg.h"
#include "Application.h"
#include "AutomatonTimer.h"
#include "BmpFile.h"
#include "ColorTable.h"
#include "Colors.h"
#include "Export.h"
#include "Forms.h"
#include "Gallery.h"
#include "IniFile.h"
#include "LiveLaunch.h"
#include "ModalResult.h"
#include "PaintBox.h"
#include "PlasmaWallpaper.h"
#include "PngFile.h"
#include "PreviousBackground.h"
#include "Publish.h"
#include "Settings.h"
#include "SettingsPath.h"
#include "Setup.h"
#include "TextSet.h"
#include "TrackBar.h"
#include "Variation.h"
#include "Wall.h"
#include "Wallpaper.h"
#include "WallpaperDlg.h"
#include "WallpaperStore.h"
#include "WindowPlacement.h"

#include <QColorDialog>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSlider>
#include <QStandardPaths>
#include <QWindow>
#include <QtMath>

#include <exception>
#include <stdexcept>
#include <utility>

namespace ombrix {

namespace {

constexpr int TopPanelHeight = 65;
constexpr int LeftPanelWidth = 145;

QFrame* Panel(QWidget* parent, const char* name, QRect geometry, QFrame::Shadow shadow) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(geometry);
    panel->setFrameStyle(QFrame::Panel | shadow);
    panel->setLineWidth(1);
    return panel;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    FitCaption(*button);
    return button;
}

} // namespace

QSize ScreenPixels(const QScreen& screen) {
    return screen.geometry().size() * screen.devicePixelRatio();
}

QSize DesktopPixels(const QList<QScreen*>& screens) {
    QRect desktop;
    for (const QScreen* screen : screens) {
        const QRect area = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        desktop |= QRect(QPoint(qRound(area.x() * ratio), qRound(area.y() * ratio)),
                         ScreenPixels(*screen));
    }
    return desktop.size();
}

namespace {

QImage ToQImage(const TPixelImage& image) {
    QImage result(image.Width(), image.Height(), QImage::Format_RGB32);
    for (int y = 0; y < image.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        const TColor* pixels = image.Row(y);
        for (int x = 0; x < image.Width(); ++x)
            line[x] = ToQRgb(pixels[x]);
    }
    return result;
}

} // namespace

std::string TSaveDialog::LocalFileName() const {
    if (FileName == LocalBytesShownAs_)
        return LocalBytes_;
    return QFile::encodeName(FileName).toStdString();
}

void TSaveDialog::SetLocalFileName(std::string bytes) {
    LocalBytes_ = std::move(bytes);
    LocalBytesShownAs_ = QFile::decodeName(QByteArray::fromStdString(LocalBytes_));
    FileName = LocalBytesShownAs_;
}

bool TSaveDialog::Execute(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The toolkit's own dialog asks before an existing file is replaced.
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(Filter);
    dialog.setDefaultSuffix(DefaultExt);
    // A name typed without an extension gets the one of the filter the user picked.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(filter.contains(QStringLiteral("*.png")) ? QStringLiteral("png")
                                                                         : DefaultExt);
    });
    if (!FileName.isEmpty()) {
        // Offer the remembered folder where it still exists, and the remembered name.
        const QFileInfo remembered(FileName);
        if (remembered.absoluteDir().exists())
            dialog.setDirectory(remembered.absolutePath());
        dialog.selectFile(remembered.fileName());
    } else {
        // Nothing saved yet: the user's pictures folder, where it exists.
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
            dialog.setDirectory(pictures);
    }
    // Centred across the screen, a third of the free height above it and two thirds below.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QSize size = dialog.sizeHint();
        dialog.move(area.x() + (area.width() - size.width()) / 2,
                    area.y() + (area.height() - size.height()) / 3);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    FileName = dialog.selectedFiles().constFirst();
    return true;
}

TOmbrixFm::TOmbrixFm(const TFormRefs& forms)
    : Model(std::make_unique<TFieldModel>()), Forms_(forms) {
    BuildControls();
}

TOmbrixFm::~TOmbrixFm() = default;

void TOmbrixFm::BuildControls() {
    setObjectName(QStringLiteral("OmbrixFm"));
    setWindowTitle(QStringLiteral("Ombrix"));
    setFont(DialogFont(12));
    move(237, 102);
    resize(531, 452);

    Panel1 = Panel(this, "Panel1", QRect(0, 0, 531, TopPanelHeight), QFrame::Raised);
    Panel2 = Panel(Panel1, "Panel2", QRect(8, 8, 516, 49), QFrame::Sunken);
    ColTblPbx = new TPaintBox(Panel2);
    ColTblPbx->setObjectName(QStringLiteral("ColTblPbx"));
    ColTblPbx->setGeometry(2, 2, 512, 45);
    ColTblPbx->OnPaint = [this](QPainter& canvas) { ColTblPbxPaint(canvas); };
    ColTblPbx->OnMouseUp = [this](Qt::MouseButton button, QPoint at) {
        ColTblPbxMouseUp(button, at);
    };

    Panel3 = Panel(this, "Panel3", QRect(0, TopPanelHeight, LeftPanelWidth, 387), QFrame::Raised);
    Button4 = Button(Panel3, "Button4", tr("詳細設定..."), QRect(8, 8, 65, 17));
    Button5 = Button(Panel3, "Button5", tr("About"), QRect(96, 8, 41, 17));
    Button1 = Button(Panel3, "Button1", tr("ColorTable Randomize"), QRect(8, 40, 129, 25));
    Button3 = Button(Panel3, "Button3", tr("Field Initialize"), QRect(8, 72, 129, 25));
    Button6 = Button(Panel3, "Button6", tr("Text"), QRect(88, 104, 49, 25));
    Label1 = new QLabel(tr("Speed"), Panel3);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(16, 120);
    Label1->adjustSize(); // the label sizes itself to its caption
    SpeedTb = new TTrackBar(Panel3);
    SpeedTb->setObjectName(QStringLiteral("SpeedTb"));
    SpeedTb->setGeometry(18, 136, 25, 225);
    SpeedTb->setRange(MinSpeed, MaxSpeed);
    SpeedTb->setValue(MinSpeed);
    SpeedTb->setTickPosition(QSlider::TicksRight);
    SpeedTb->setTickInterval(1);
    SpeedTb->setSingleStep(1);
    SpeedTb->setPageStep(2);
    StartStopBtn = Button(Panel3, "StartStopBtn", tr("Start"), QRect(64, 208, 57, 25));
    Button2 = Button(Panel3, "Button2", tr("Save"), QRect(64, 336, 57, 25));
    WallpaperBtn = Button(Panel3, "WallpaperBtn", tr("壁紙..."), QRect(64, 272, 57, 25));
    GalleryBtn = Button(Panel3, "GalleryBtn", tr("見本..."), QRect(64, 240, 57, 25));
    GalleryBtn->setToolTip(tr("ギャラリー"));

    WallPbx = new TPaintBox(this);
    WallPbx->setObjectName(QStringLiteral("WallPbx"));
    WallPbx->setGeometry(LeftPanelWidth, TopPanelHeight, 386, 387);
    WallPbx->OnPaint = [this](QPainter& canvas) { WallPbxPaint(canvas); };
    WallPbx->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(WallPbx, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { WallPbxContextMenu(at); });

    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
    ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);

    Timer1 = new TAutomatonTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->SetInterval(MinSpeed);
    Timer1->OnTimer = [this] { Timer1Timer(); };

    SaveDialog1.Filter = tr("ビットマップ･ファイル (*.bmp)") + QStringLiteral(";;PNG (*.png)");
    SaveDialog1.DefaultExt = QStringLiteral("bmp");

    // Tab order: the two panels, then within the left panel.
    setTabOrder(Button1, StartStopBtn);
    setTabOrder(StartStopBtn, Button3);
    setTabOrder(Button3, Button4);
    setTabOrder(Button4, SpeedTb);
    setTabOrder(SpeedTb, Button2);
    setTabOrder(Button2, WallpaperBtn);
    setTabOrder(StartStopBtn, GalleryBtn);
    setTabOrder(WallpaperBtn, Button5);
    setTabOrder(Button5, Button6);

    connect(StartStopBtn, &QPushButton::clicked, this, Guarded([this] { StartStopBtnClick(); }));
    connect(SpeedTb, &QSlider::valueChanged, this, Guarded([this] { SpeedTbChange(); }));
    connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, Guarded([this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, Guarded([this] { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, Guarded([this] { Button4Click(); }));
    connect(Button5, &QPushButton::clicked, this, Guarded([this] { Button5Click(); }));
    connect(Button6, &QPushButton::clicked, this, Guarded([this] { Button6Click(); }));
    connect(WallpaperBtn, &QPushButton::clicked, this, Guarded([this] { WallpaperBtnClick(); }));
    connect(GalleryBtn, &QPushButton::clicked, this, Guarded([this] { GalleryBtnClick(); }));
}

void TOmbrixFm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Ticks drew nothing while the window was minimised: show the field as it is now,
    // also where the window system sends no paint of its own on restoring.
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        WallPbx->update();
}

void TOmbrixFm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    Panel1->setGeometry(0, 0, w, TopPanelHeight);
    Panel3->setGeometry(0, TopPanelHeight, LeftPanelWidth, std::max(0, h - TopPanelHeight));
    WallPbx->setGeometry(LeftPanelWidth, TopPanelHeight, std::max(0, w - LeftPanelWidth),
                         std::max(0, h - TopPanelHeight));
}

void TOmbrixFm::SetSpeed(int position) {
    const QSignalBlocker quiet(SpeedTb); // not a move by the user
    SpeedTb->setValue(position);         // the track bar clamps into 10..2000
    Timer1->SetInterval(SpeedTb->value());
}

void TOmbrixFm::FormCreate() {
    std::int32_t speed = 1000;
    std::string fileName;
    SettingsReadFrom = TSettingsFiles{SettingsPath, EarlierSettingsPath}.ReadPath();
    const TIniFile ini(SettingsReadFrom);
    ReadSettings(ini, *Model, speed, fileName);
    SaveDialog1.SetLocalFileName(fileName);
    SetSpeed(speed);
    TileBitmap = TPixelImage{};
    InitField();
    // The model is whole and in range either way; the user learns that the file's
    // values were not used.
    if (ini.ReadError())
        throw ini.ReadFailure();
}

void TOmbrixFm::FormDestroy() {
    TileBitmap = TPixelImage{};
    MakeSettingsFolder(SettingsPath);
    TIniFile ini(SettingsPath);
    WriteSettings(ini, *Model, SpeedTb->value(), SaveDialog1.LocalFileName());
}

void TOmbrixFm::StepField() {
    ombrix::StepField(*Model);
}

void TOmbrixFm::InitField() {
    ombrix::InitField(*Model);
}

void TOmbrixFm::MakeColorTable() {
    ombrix::MakeColorTable(*Model);
    ColTblPbx->Repaint();
}

bool TOmbrixFm::WallShown() const {
    const QWindow* handle = windowHandle();
    return WallPbx->isVisible() && !isMinimized() && handle != nullptr && handle->isExposed();
}

void TOmbrixFm::RenderWall() {
    RenderTile(*Model, TileBitmap);
    const bool shifted = Model->TilingType != 0;
    if (!WallPixmap_.isNull() && shifted == ShownShifted_ && TileBitmap == ShownTile_)
        return;
    WallPixmap_ = QPixmap();
    ShownTile_ = TileBitmap;
    ShownShifted_ = shifted;
    if (TileBitmap.Empty())
        return;
    // The converted image is handed over, not copied.
    WallPixmap_ = QPixmap::fromImage(ToQImage(WallPattern(TileBitmap, Model->TilingType)));
}

void TOmbrixFm::DrawWall() {
    // The wall's paint renders the tile; a wall nobody sees only keeps the tile.
    if (WallShown())
        WallPbx->Repaint();
    else
        RenderTile(*Model, TileBitmap);
}

void TOmbrixFm::WallPbxPaint(QPainter& canvas) {
    // Every paint shows the field as it is now. When the tile cannot be rendered the
    // wall keeps the picture it had, and the failure is reported after drawing it.
    std::exception_ptr failure;
    try {
        RenderWall();
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    if (!WallPixmap_.isNull()) {
        // One cell to one device pixel, also on a scaled screen; the pattern is
        // anchored at the box's top-left corner whatever part is repainted.
        WallPixmap_.setDevicePixelRatio(WallPbx->devicePixelRatioF());
        canvas.drawTiledPixmap(QRectF(0, 0, WallPbx->width(), WallPbx->height()), WallPixmap_);
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TOmbrixFm::StartStopBtnClick() {
    if (Running) {
        Running = false;
        StartStopBtn->setText(tr("Start"));
        Timer1->SetEnabled(false);
    } else {
        Running = true;
        StartStopBtn->setText(tr("Stop"));
        Timer1->SetEnabled(true);
    }
}

void TOmbrixFm::SpeedTbChange() {
    Timer1->SetInterval(SpeedTb->value());
}

void TOmbrixFm::Timer1Timer() {
    StepField();
    // Behind a minimised or hidden window a tick only steps; the wall is drawn from
    // the field as it is when it shows again.
    if (WallShown())
        DrawWall();
}

void TOmbrixFm::Button1Click() {
    RandomizeColorTable(*Model);
    MakeColorTable();
    DrawWall();
}

void TOmbrixFm::Button2Click() {
    if (!SaveDialog1.Execute(this))
        return;
    if (TileBitmap.Empty())
        RenderTile(*Model, TileBitmap); // nothing drawn yet: save the field as it is
    const TPixelImage picture = ComposeExport(TileBitmap, Model->TilingType);
    SavePicture(SaveDialog1.LocalFileName(), picture);
}

void TOmbrixFm::Button3Click() {
    InitField();
    DrawWall();
}

void TOmbrixFm::Button4Click() {
    Forms_.SetupDlg->ShowValues(*Model);
    if (Forms_.SetupDlg->exec() != ResultOK)
        return;
    Forms_.SetupDlg->TakeValues(*Model);
    MakeColorTable();
}

void TOmbrixFm::Button5Click() {
    Forms_.AboutBox->exec();
}

void TOmbrixFm::Button6Click() {
    if (Forms_.TextSetDlg->exec() == ResultOK)
        DrawWall();
}

void TOmbrixFm::WallpaperBtnClick() {
    TWallpaperDlg dialog(this);
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString autostart = LiveAutostartPath(environment);
    const QString data = DataFolder();
    TDesktopSession session = TDesktopSession::FromEnvironment(environment);
    for (const QScreen* each : QGuiApplication::screens())
        session.Monitors << each->name();
    dialog.SetStartAtLogin(QFileInfo::exists(autostart));
    dialog.SetPrevious(PreviousState(data, session));
    if (dialog.exec() != ResultOK)
        return;
    if (dialog.Live()) {
        // The live wallpaper runs on the window's settings as they are now, and outlives it.
        const QString settings = LiveSettingsPath(environment);
        const std::string settingsFile = QFile::encodeName(settings).toStdString();
        MakeSettingsFolder(settingsFile);
        TIniFile ini(settingsFile);
        WriteSettings(ini, *Model, SpeedTb->value(), SaveDialog1.LocalFileName());
        if (IsPlasmaSession(environment)) { // Plasma's own wallpaper starts the live program
            auto* plasma = new TPlasmaWallpaper(this);
            connect(plasma, &TPlasmaWallpaper::Answered, this, [this, plasma](const QString& why) {
                plasma->deleteLater();
                if (!why.isEmpty())
                    ShowErrorBox(
                        tr("The live wallpaper could not be chosen in Plasma: %1").arg(why));
            });
            plasma->Start(environment.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")),
                          QString::fromLatin1(PlasmaLiveId));
            return;
        }
        const QString unsaved =
            LaunchLive(dialog.StartAtLogin(), autostart, LiveProgram(), settings);
        if (!unsaved.isEmpty())
            ShowErrorBox(unsaved);
        return;
    }
    if (dialog.Previous()) {
        Publisher().Restore(data, session);
        WallpaperBtn->setEnabled(false);
        return;
    }
    const TWallpaperKind kind = dialog.Kind();
    if (TileBitmap.Empty())
        RenderTile(*Model, TileBitmap); // nothing drawn yet: the field as it is
    if (TileBitmap.Empty()) {
        ShowErrorBox(tr("The field has no cells, so there is no picture to put on the desktop"));
        return;
    }
    QSize size;
    switch (kind) {
    case TWallpaperKind::Screen:
        size = ScreenPixels(*screen());
        break;
    case TWallpaperKind::AllScreens:
        size = DesktopPixels(QGuiApplication::screens());
        break;
    case TWallpaperKind::Tile: // one tile row, or two when the odd rows are shifted
        size = QSize(TileBitmap.Width(),
                     Model->TilingType != 0 ? 2 * TileBitmap.Height() : TileBitmap.Height());
        break;
    }
    if (size.isEmpty() || size.width() > MaxWallpaperSide || size.height() > MaxWallpaperSide) {
        ShowErrorBox(tr("The screen reports a size of %1 x %2 pixels, so no picture can be made "
                        "for it; try \"%3\"")
                         .arg(size.width())
                         .arg(size.height())
                         .arg(ombrix::TWallpaperDlg::tr("Tile")));
        return;
    }
    // Where the desktop cannot repeat the tile, the publisher makes it a screen's picture.
    Publisher().Publish(
        data, WallpaperPicture(TileBitmap, Model->TilingType, size.width(), size.height()), kind,
        ScreenPixels(*screen()), session);
    WallpaperBtn->setEnabled(false);
}

TWallpaperPublisher& TOmbrixFm::Publisher() {
    // The desktop may take a while to answer; the window carries on meanwhile, and
    // closing it cancels the run (the publisher is its child).
    if (!WallpaperPublisher) {
        WallpaperPublisher = new TWallpaperPublisher(this);
        // A still picture takes the live wallpaper's place, now and at the next logins.
        WallpaperPublisher->EndLiveFirst(TLivePlace::Of(QProcessEnvironment::systemEnvironment()));
        connect(
            WallpaperPublisher, &TWallpaperPublisher::Finished, this,
            [this](const TBackgroundResult& result, const QString& path, const QString& unsaved) {
                WallpaperBtn->setEnabled(true);
                QStringList said;
                if (result.Outcome == TBackgroundOutcome::Failed)
                    said << BackgroundFailureMessage(result, path);
                if (!unsaved.isEmpty())
                    said << unsaved;
                if (!said.isEmpty())
                    ShowErrorBox(said.join(QStringLiteral("\n\n")));
            });
    }
    return *WallpaperPublisher;
}

void TOmbrixFm::ColTblPbxPaint(QPainter& canvas) {
    const int w = ColTblPbx->width();
    const int h = ColTblPbx->height();
    for (int i = 0; i < Model->UseColCnt; ++i) {
        const Stripe stripe = StripeOf(i, w, Model->UseColCnt);
        canvas.fillRect(QRect(stripe.Left, 0, stripe.Right - stripe.Left, h),
                        ToQColor(Model->ColorTable[i]));
    }
}

void TOmbrixFm::ColTblPbxMouseUp(Qt::MouseButton, QPoint at) {
    const std::optional<int> index =
        PickedKeyEntry(at.x(), ColTblPbx->width(), Model->UseColCnt, Model->ColDiv);
    if (!index)
        return; // released past either end of the strip
    ColorDialog1->setCurrentColor(ToQColor(Model->ColorTable[*index]));
    ColorDialog1->adjustSize();
    CentreOnScreen(*ColorDialog1);
    if (ColorDialog1->exec() != QDialog::Accepted)
        return;
    Model->ColorTable[*index] = FromQColor(ColorDialog1->selectedColor());
    MakeColorTable();
}

TGalleryFm* TOmbrixFm::Gallery() {
    if (auto* gallery = findChild<TGalleryFm*>(QString(), Qt::FindDirectChildrenOnly))
        return gallery;
    TGalleryHost host;
    host.CurrentLook = [this] { return LookOf(*Model); };
    host.CurrentTile = [this] {
        RenderTile(*Model, TileBitmap);
        return TileBitmap;
    };
    host.Adopt = [this](const TLook& look) { AdoptLook(look); };
    host.Interval = [this] { return SpeedTb->value(); };
    const QString data = DataFolder();
    return new TGalleryFm(std::move(host), data + QStringLiteral("/favourites"), this);
}

void TOmbrixFm::GalleryBtnClick() {
    TGalleryFm* gallery = Gallery();
    gallery->show();
    gallery->raise();
    gallery->activateWindow();
}

void TOmbrixFm::WallPbxContextMenu(QPoint at) {
    QMenu menu(this);
    menu.addAction(tr("ギャラリー..."), this, Guarded([this] { GalleryBtnClick(); }));
    menu.addAction(tr("☆ お気に入りに追加"), this,
                   Guarded([this] { Gallery()->StarCurrentBtnClick(); }));
    menu.addSeparator();
    menu.addAction(tr("ルックを読み込む..."), this,
                   Guarded([this] { Gallery()->ImportBtnClick(); }));
    menu.addAction(tr("ルックを書き出す..."), this,
                   Guarded([this] { Gallery()->ExportBtnClick(); }));
    menu.exec(WallPbx->mapToGlobal(at));
}

void TOmbrixFm::AdoptLook(const TLook& look) {
    ApplyLook(look, *Model);
    MakeColorTable();
    Button3Click();
}

} // namespace ombrix
