// The main window: the colour strip, the controls that drive the automaton and the
// wall view. It owns the field model and the tile for its whole life, and hands the
// model to the dialogs, which know nothing of the main window.
#pragma once

#include "FieldModel.h"
#include "Forms.h"
#include "PixelImage.h"

#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>

class QColorDialog;
class QFrame;
class QLabel;
class QPainter;
class QPushButton;
class QScreen;

namespace ombrix {

class TAutomatonTimer;
class TGalleryFm;
class TPaintBox;
struct TLook;
class TTrackBar;
class TWallpaperPublisher;

/// The save-file dialog's settings: the remembered file name, the filter and the
/// default extension. The dialog itself is made when it is shown.
struct TSaveDialog {
    QString FileName;
    QString Filter;
    QString DefaultExt;
    /// Shows the dialog with FileName as the initial name, or in the user's pictures
    /// folder when there is none; asks before an existing file is replaced. On OK
    /// FileName holds the choice.
    bool Execute(QWidget* parent);

    /// FileName as the file system's bytes. A name set by SetLocalFileName and not
    /// changed since comes back byte for byte, even where it is no valid UTF-8 (which
    /// FileName cannot show exactly).
    std::string LocalFileName() const;
    void SetLocalFileName(std::string bytes);

private:
    std::string LocalBytes_;
    QString LocalBytesShownAs_;
};

/// The size of `screen` in device pixels: its geometry times its pixel ratio; 0 x 0 for
/// a screen that reports no size.
QSize ScreenPixels(const QScreen& screen);
/// The size in device pixels of the rectangle around all `screens`.
QSize DesktopPixels(const QList<QScreen*>& screens);

/// The main form. Its controls are its own; what others need of it is the field model,
/// the tile, the settings files and the operations below.
class TOmbrixFm : public QWidget {
    Q_OBJECT
public:
    /// `forms`: how the main form reaches the dialogs; it must outlive the form.
    explicit TOmbrixFm(const TFormRefs& forms);
    ~TOmbrixFm() override;

    /// One tile of the picture, AreaW x AreaH after each DrawWall.
    TPixelImage TileBitmap;
    /// The field, the colour table and the eight parameters.
    std::unique_ptr<TFieldModel> Model;

    /// Where the settings are read from and written to (see ChooseSettingsFiles).
    std::string SettingsPath;
    /// A file an earlier version left beside an installed program, read instead of
    /// SettingsPath while that does not exist; never written. Empty for other copies.
    std::string EarlierSettingsPath;
    /// The file FormCreate read: SettingsPath or EarlierSettingsPath.
    std::string SettingsReadFrom;

    /// Reads the settings, sets the speed, seeds the field. Draws nothing.
    void FormCreate();
    /// Writes the settings. Throws when the settings file cannot be written.
    void FormDestroy();

    void StepField();
    void InitField();
    void MakeColorTable();
    void DrawWall();

    /// One tick of Timer1: a generation, and a redraw where the wall can be seen.
    void Timer1Timer();

    /// The gallery window, made when it is first opened.
    TGalleryFm* Gallery();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void SetSpeed(int position);

    const TFormRefs& Forms_;
    /// True exactly while Timer1 is enabled; only StartStopBtnClick changes it.
    bool Running = false;

    // Event handlers.
    void StartStopBtnClick();
    void SpeedTbChange();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void WallpaperBtnClick();
    /// The window's one publisher of wallpapers, made at its first use.
    TWallpaperPublisher& Publisher();
    void GalleryBtnClick();
    void WallPbxContextMenu(QPoint at);
    void ColTblPbxPaint(QPainter& canvas);
    void ColTblPbxMouseUp(Qt::MouseButton button, QPoint at);
    void WallPbxPaint(QPainter& canvas);

    /// Takes a look over as OK in the detail dialog does, with the look's colour table,
    /// then seeds the field and draws it as "Field Initialize" does.
    void AdoptLook(const TLook& look);

    /// Whether the wall can be seen: the window is shown, not minimised, and exposed.
    bool WallShown() const;
    /// Renders the tile from the field and, when the picture changed, converts it
    /// for the screen.
    void RenderWall();

    // Controls, as laid out on the window.
    QFrame* Panel1;            ///< the top panel, across the window, holding the colour strip
    QFrame* Panel2;            ///< the lowered bevel around the colour strip
    TPaintBox* ColTblPbx;      ///< the colour strip; a click on it picks a key colour
    QFrame* Panel3;            ///< the left panel with the buttons and the speed bar
    QPushButton* Button1;      ///< "ColorTable Randomize": re-randomises the colour table
    TPaintBox* WallPbx;        ///< the wall: the tile repeated over the rest of the window
    QPushButton* StartStopBtn; ///< starts and stops the automaton; its caption names the next press
    QPushButton* Button3;      ///< "Field Initialize": seeds the field afresh
    QPushButton* Button4;      ///< opens the detail settings dialog
    QColorDialog* ColorDialog1; ///< picks the key colour clicked on the strip
    TTrackBar* SpeedTb;         ///< the speed: Timer1's interval, 10 ms at the top to 2000 ms
    TAutomatonTimer* Timer1;    ///< one generation per tick while the automaton runs
    QLabel* Label1;             ///< the speed bar's caption
    QPushButton* Button2;       ///< "Save": writes the picture as a BMP or PNG file
    TSaveDialog SaveDialog1;    ///< the save-file dialog and the name it remembers
    QPushButton* Button5;       ///< shows the About box
    QPushButton* Button6;       ///< "Text": opens the text stamp dialog
    QPushButton* WallpaperBtn;  ///< puts the picture on the desktop as its background
    QPushButton* GalleryBtn;    ///< opens the gallery of variations and favourite looks
    /// Sets the wallpaper button's pictures as the background; made at the first use.
    TWallpaperPublisher* WallpaperPublisher = nullptr;

    // The picture the wall repeats, made from ShownTile_, shifted or not.
    QPixmap WallPixmap_;
    TPixelImage ShownTile_;
    bool ShownShifted_ = false;
};

} // namespace ombrix
