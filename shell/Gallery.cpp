#include "Gallery.h"

#include "Application.h"
#include "AutomatonTimer.h"
#include "Colors.h"
#include "Favourites.h"
#include "LookFile.h"
#include "PaintBox.h"
#include "PngFile.h"
#include "Wall.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <utility>

namespace ombrix {

namespace {

// The room of one thumbnail: a 128 x 64 tile repeated 2 x 2, one pixel per cell.
constexpr int ThumbnailW = 2 * VariationMaxW;
constexpr int ThumbnailH = 2 * VariationMaxH;
constexpr int Columns = 4;
// The gallery's stream starts at the same place in every run, as the program's does.
constexpr std::uint32_t GallerySeed = 0x9A11E7u;

// Draws `picture` as large as fits into `room`, in whole multiples where it can, centred.
void DrawFitted(QPainter& canvas, const QImage& picture, QRect room) {
    if (picture.isNull())
        return;
    double scale =
        std::min(double(room.width()) / picture.width(), double(room.height()) / picture.height());
    if (scale >= 1)
        scale = std::floor(scale);
    const QSizeF size(picture.width() * scale, picture.height() * scale);
    const QRectF target(room.x() + (room.width() - size.width()) / 2,
                        room.y() + (room.height() - size.height()) / 2, size.width(),
                        size.height());
    canvas.drawImage(target, picture);
}

} // namespace

std::string LocalName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

TPixelImage RepeatedTile(const TPixelImage& tile, int tilingType) {
    TPixelImage picture(2 * tile.Width(), 2 * tile.Height());
    ForEachTilePosition(tile.Width(), tile.Height(), tilingType, picture.Width(), picture.Height(),
                        [&](TilePosition at) { DrawImage(picture, tile, at.X, at.Y); });
    return picture;
}

TThumbnail::TThumbnail(QWidget* parent) : QWidget(parent) {
    setFixedSize(ThumbnailW, ThumbnailH);
    FieldPbx = new TPaintBox(this);
    FieldPbx->setObjectName(QStringLiteral("FieldPbx"));
    FieldPbx->setGeometry(0, 0, ThumbnailW, ThumbnailH);
    FieldPbx->setCursor(Qt::PointingHandCursor);
    FieldPbx->setToolTip(tr("クリックでこのルックを使います"));
    FieldPbx->OnPaint = [this](QPainter& canvas) { FieldPbxPaint(canvas); };
    FieldPbx->OnMouseUp = [this](Qt::MouseButton button, QPoint at) {
        if (button == Qt::LeftButton && FieldPbx->rect().contains(at) && OnAdopt)
            OnAdopt();
    };
    StarBtn = new QToolButton(this);
    StarBtn->setObjectName(QStringLiteral("StarBtn"));
    StarBtn->setText(QStringLiteral("☆"));
    StarBtn->setToolTip(tr("お気に入りに追加"));
    StarBtn->setAutoRaise(true);
    StarBtn->setGeometry(ThumbnailW - 26, 2, 24, 24);
    connect(StarBtn, &QToolButton::clicked, this, Guarded([this] {
                if (OnStar)
                    OnStar();
            }));
}

void TThumbnail::SetVariation(TLivingVariation variation) {
    Variation_ = std::move(variation);
    std::copy(Variation_.Look.ColorTable.begin(), Variation_.Look.ColorTable.end(), Colors_);
    for (int i = 0; i < ColorTableSize; ++i)
        Rgb_[i] = ToQRgb(Colors_[i]);
    TileStale_ = true;
    FieldPbx->update();
}

void TThumbnail::Step() {
    if (!Variation_.Field)
        return;
    const TLook& look = Variation_.Look;
    StepField(*Variation_.Field,
              TRuleParams{look.UseColCnt, look.PrmG, look.PrmK1, look.PrmK2, look.TilingType}, 1);
    ++Variation_.Generation;
    TileStale_ = true;
    FieldPbx->update();
}

TPixelImage TThumbnail::Picture() const {
    if (!Variation_.Field)
        return {};
    TPixelImage tile;
    RenderTile(Variation_.Field->View(), Colors_, tile);
    return RepeatedTile(tile, Variation_.Look.TilingType);
}

void TThumbnail::FieldPbxPaint(QPainter& canvas) {
    if (!Variation_.Field) {
        canvas.fillRect(FieldPbx->rect(), palette().window());
        return;
    }
    // The tile in the screen's form, made once per generation; then drawn 2 x 2 at a
    // whole scale, centred. Costs a lookup per cell and four blits of the tile.
    const TLargeField& field = *Variation_.Field;
    const int w = field.Width(), h = field.Height();
    if (TileStale_ || ScreenTile_.size() != QSize(w, h)) {
        if (ScreenTile_.size() != QSize(w, h))
            ScreenTile_ = QImage(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(ScreenTile_.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[x] = Rgb_[field.At(x + 1, y + 1) & 0xFF];
        }
        TileStale_ = false;
    }
    const int scale = std::max(1, std::min(ThumbnailW / (2 * w), ThumbnailH / (2 * h)));
    const QRect picture((ThumbnailW - 2 * w * scale) / 2, (ThumbnailH - 2 * h * scale) / 2,
                        2 * w * scale, 2 * h * scale);
    if (picture != FieldPbx->rect())
        canvas.fillRect(FieldPbx->rect(), palette().window());
    canvas.save();
    canvas.setClipRect(picture);
    canvas.translate(picture.topLeft());
    canvas.scale(scale, scale);
    ForEachTilePosition(w, h, Variation_.Look.TilingType, 2 * w, 2 * h,
                        [&](TilePosition at) { canvas.drawImage(at.X, at.Y, ScreenTile_); });
    canvas.restore();
}

TGalleryFm::TGalleryFm(TGalleryHost host, QString favouritesFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), Host_(std::move(host)),
      FavouritesFolder_(std::move(favouritesFolder)), Stream_(GallerySeed) {
    setObjectName(QStringLiteral("GalleryFm"));
    setWindowTitle(tr("ギャラリー"));

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));

    VariationsTab = new QWidget;
    VariationsTab->setObjectName(QStringLiteral("VariationsTab"));
    auto* grid = new QGridLayout(VariationsTab);
    grid->setSpacing(6);
    for (int i = 0; i < ThumbnailCount; ++i) {
        auto* thumbnail = new TThumbnail(VariationsTab);
        thumbnail->setObjectName(QStringLiteral("Thumbnail%1").arg(i + 1));
        thumbnail->OnAdopt = [this, thumbnail] { Host_.Adopt(thumbnail->Variation().Look); };
        thumbnail->OnStar = [this, thumbnail] {
            SaveFavourite(thumbnail->Variation().Look, thumbnail->Picture());
        };
        grid->addWidget(thumbnail, i / Columns, i % Columns);
        Thumbnails.push_back(thumbnail);
    }
    Tabs->addTab(VariationsTab, tr("バリエーション"));

    FavouritesTab = new QScrollArea;
    FavouritesTab->setObjectName(QStringLiteral("FavouritesTab"));
    FavouritesTab->setWidgetResizable(true);
    Tabs->addTab(FavouritesTab, tr("お気に入り"));

    MoreBtn = new QPushButton(tr("もっと"), this);
    MoreBtn->setObjectName(QStringLiteral("MoreBtn"));
    StarCurrentBtn = new QPushButton(tr("☆ 今のルック"), this);
    StarCurrentBtn->setObjectName(QStringLiteral("StarCurrentBtn"));
    StarCurrentBtn->setToolTip(tr("メイン ウィンドウのルックをお気に入りに追加"));
    ImportBtn = new QPushButton(tr("読み込み..."), this);
    ImportBtn->setObjectName(QStringLiteral("ImportBtn"));
    ExportBtn = new QPushButton(tr("書き出し..."), this);
    ExportBtn->setObjectName(QStringLiteral("ExportBtn"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(MoreBtn);
    buttons->addStretch(1);
    buttons->addWidget(StarCurrentBtn);
    buttons->addWidget(ImportBtn);
    buttons->addWidget(ExportBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Tabs);
    layout->addLayout(buttons);

    Timer1 = new TAutomatonTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->OnTimer = [this] { RunReportingErrors([this] { Timer1Timer(); }); };

    connect(MoreBtn, &QPushButton::clicked, this, Guarded([this] { MoreBtnClick(); }));
    connect(StarCurrentBtn, &QPushButton::clicked, this,
            Guarded([this] { StarCurrentBtnClick(); }));
    connect(ImportBtn, &QPushButton::clicked, this, Guarded([this] { ImportBtnClick(); }));
    connect(ExportBtn, &QPushButton::clicked, this, Guarded([this] { ExportBtnClick(); }));
    connect(Tabs, &QTabWidget::currentChanged, this, [this](int index) {
        MoreBtn->setEnabled(index == 0);
        if (Tabs->widget(index) == FavouritesTab)
            ShowFavourites();
    });
}

TGalleryFm::~TGalleryFm() = default;

void TGalleryFm::MoreBtnClick() {
    const TLook current = Host_.CurrentLook();
    for (TThumbnail* thumbnail : Thumbnails)
        thumbnail->SetVariation(Stream_.Run([&] { return DrawLivingVariation(current); }));
    Drawn_ = true;
}

void TGalleryFm::Timer1Timer() {
    Timer1->SetInterval(Host_.Interval());
    const QWindow* handle = windowHandle();
    // Covered, minimised or behind the favourites: nothing is seen, nothing is stepped.
    if (handle == nullptr || !handle->isExposed() || isMinimized() || !VariationsTab->isVisible())
        return;
    for (TThumbnail* thumbnail : Thumbnails)
        thumbnail->Step();
}

void TGalleryFm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!Drawn_)
        MoreBtnClick();
    Timer1->SetInterval(Host_.Interval());
    Timer1->SetEnabled(true);
}

void TGalleryFm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Timer1->SetEnabled(false);
}

void TGalleryFm::SaveFavourite(const TLook& look, const TPixelImage& picture) {
    std::error_code error;
    std::filesystem::create_directories(LocalName(FavouritesFolder_), error);
    const TFavourite favourite = NextFavourite(LocalName(FavouritesFolder_));
    if (!picture.Empty())
        SavePng(favourite.PreviewPath, picture);
    try {
        WriteLookFile(favourite.LookPath, look);
    } catch (...) {
        std::filesystem::remove(favourite.PreviewPath, error);
        throw;
    }
    if (Tabs->currentWidget() == FavouritesTab)
        ShowFavourites();
}

void TGalleryFm::StarCurrentBtnClick() {
    const TLook look = Host_.CurrentLook();
    SaveFavourite(look, RepeatedTile(Host_.CurrentTile(), look.TilingType));
}

void TGalleryFm::ShowFavourites() {
    auto* grid = new QWidget;
    grid->setObjectName(QStringLiteral("FavouritesGrid"));
    auto* layout = new QGridLayout(grid);
    int i = 0;
    for (const TFavourite& favourite : ListFavourites(LocalName(FavouritesFolder_))) {
        auto* card = new QWidget(grid);
        card->setObjectName(QStringLiteral("Favourite%1").arg(favourite.Number));
        auto* preview = new TPaintBox(card);
        preview->setObjectName(QStringLiteral("PreviewPbx"));
        preview->setFixedSize(ThumbnailW, ThumbnailH);
        preview->setCursor(Qt::PointingHandCursor);
        preview->setToolTip(tr("クリックでこのルックを使います"));
        const QImage picture(QFile::decodeName(QByteArray::fromStdString(favourite.PreviewPath)));
        preview->OnPaint = [preview, picture](QPainter& canvas) {
            canvas.fillRect(preview->rect(), preview->palette().window());
            DrawFitted(canvas, picture, preview->rect());
        };
        const std::string lookPath = favourite.LookPath;
        preview->OnMouseUp = [this, preview, lookPath](Qt::MouseButton button, QPoint at) {
            if (button == Qt::LeftButton && preview->rect().contains(at))
                Host_.Adopt(ReadLookFile(lookPath));
        };
        auto* remove = new QToolButton(card);
        remove->setObjectName(QStringLiteral("RemoveBtn"));
        remove->setText(tr("削除"));
        connect(remove, &QToolButton::clicked, this, Guarded([this, favourite] {
                    RemoveFavourite(favourite);
                    ShowFavourites();
                }));
        auto* column = new QVBoxLayout(card);
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(preview);
        column->addWidget(remove, 0, Qt::AlignRight);
        layout->addWidget(card, i / Columns, i % Columns, Qt::AlignTop | Qt::AlignLeft);
        ++i;
    }
    if (i == 0)
        layout->addWidget(new QLabel(tr("お気に入りはまだありません。☆ で追加します。"), grid));
    layout->setRowStretch(layout->rowCount(), 1);
    layout->setColumnStretch(Columns, 1);
    // The old grid goes with its cards, once the click that may have led here is over.
    if (QWidget* old = FavouritesTab->takeWidget())
        old->deleteLater();
    FavouritesTab->setWidget(grid);
}

void TGalleryFm::ImportBtnClick() {
    const QString path = QFileDialog::getOpenFileName(this, tr("ルックを読み込む"), QString(),
                                                      tr("ルック (*.ini);;すべてのファイル (*)"),
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    Host_.Adopt(ReadLookFile(LocalName(path)));
}

void TGalleryFm::ExportBtnClick() {
    QFileDialog dialog(this, tr("ルックを書き出す"), QString(), tr("ルック (*.ini)"));
    dialog.setObjectName(QStringLiteral("ExportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(QStringLiteral("ini"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ExportLook(dialog.selectedFiles().constFirst());
}

void TGalleryFm::ExportLook(const QString& path) {
    WriteLookFile(LocalName(path), Host_.CurrentLook());
}

} // namespace ombrix
