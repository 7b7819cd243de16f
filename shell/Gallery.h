// The gallery: twelve living variations of the current look to choose from, the
// favourite looks, and looks passed on as files. It knows the main window only through
// the host functions it is given: the current look and picture, the speed, and the
// adoption of a look.
//
// The variations are drawn from a random stream of the gallery's own (Variation.h), so
// opening the gallery, "More" and the thumbnails' fields never move the program's own
// sequence: a run that uses the gallery seeds its field as one that does not. The
// thumbnails step at the main window's speed, and only while the gallery is shown.
#pragma once

#include "PixelImage.h"
#include "Random.h"
#include "Variation.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <vector>

class QPainter;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QToolButton;

namespace ombrix {

class TAutomatonTimer;
class TPaintBox;

/// What the gallery asks of the main window.
struct TGalleryHost {
    std::function<TLook()> CurrentLook;
    /// The main window's tile as it shows now.
    std::function<TPixelImage()> CurrentTile;
    /// Takes the look over as OK in the detail dialog would, with its colours, then
    /// seeds the field as "Field Initialize" does.
    std::function<void(const TLook&)> Adopt;
    /// The main window's timer interval in milliseconds.
    std::function<int()> Interval;
};

/// The picture a thumbnail shows and a favourite keeps: the tile repeated 2 x 2 (with the
/// odd row shifted by half a tile for the shifted tiling).
TPixelImage RepeatedTile(const TPixelImage& tile, int tilingType);

/// One living variation: its field drawn 2 x 2, a star that keeps it as a favourite; a
/// click adopts it.
class TThumbnail : public QWidget {
    Q_OBJECT
public:
    explicit TThumbnail(QWidget* parent = nullptr);

    void SetVariation(TLivingVariation variation);
    const TLivingVariation& Variation() const { return Variation_; }
    /// One generation of the field, shown at the next paint.
    void Step();
    /// The 2 x 2 picture of the field as it is now.
    TPixelImage Picture() const;

    std::function<void()> OnAdopt;
    std::function<void()> OnStar;

private:
    void FieldPbxPaint(QPainter& canvas);

    TPaintBox* FieldPbx;  ///< the field drawn 2 x 2; a click adopts its look
    QToolButton* StarBtn; ///< keeps the variation as a favourite

    TLivingVariation Variation_;
    TColor Colors_[ColorTableSize] = {};
    QRgb Rgb_[ColorTableSize] = {};
    QImage ScreenTile_;
    bool TileStale_ = true;
};

class TGalleryFm : public QWidget {
    Q_OBJECT
public:
    static constexpr int ThumbnailCount = 12;

    /// `favouritesFolder`: where favourites are kept (made when the first is saved).
    TGalleryFm(TGalleryHost host, QString favouritesFolder, QWidget* parent = nullptr);
    ~TGalleryFm() override;

    /// Draws twelve new variations of the current look and grows each to generation 300.
    void MoreBtnClick();
    /// One generation of every thumbnail, then a redraw.
    void Timer1Timer();
    /// Keeps the main window's current look.
    void StarCurrentBtnClick();
    /// Reads a look file chosen by the user and adopts it.
    void ImportBtnClick();
    /// Writes the main window's current look to a file chosen by the user.
    void ExportBtnClick();
    /// Writes the main window's current look to `path` as a look file.
    void ExportLook(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    /// Keeps `look` as a new favourite with `picture` as its preview.
    void SaveFavourite(const TLook& look, const TPixelImage& picture);
    /// Rebuilds the favourites tab from the folder.
    void ShowFavourites();

    QTabWidget* Tabs;            ///< the variations and the favourites
    QWidget* VariationsTab;      ///< the twelve thumbnails
    QPushButton* MoreBtn;        ///< draws twelve new variations
    QScrollArea* FavouritesTab;  ///< the favourite looks, each with its picture
    QPushButton* StarCurrentBtn; ///< keeps the main window's look as a favourite
    QPushButton* ImportBtn;      ///< reads a look file and adopts it
    QPushButton* ExportBtn;      ///< writes the main window's look to a file
    std::vector<TThumbnail*> Thumbnails;
    TAutomatonTimer* Timer1; ///< steps the thumbnails at the main window's speed

    TGalleryHost Host_;
    QString FavouritesFolder_;
    TRandomStream Stream_;
    bool Drawn_ = false;
};

/// The look file's name as the file system's bytes.
std::string LocalName(const QString& path);

} // namespace ombrix
