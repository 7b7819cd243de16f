// The font chooser of the text stamp: Qt's font chooser (face, style, size, underline,
// strike-out) with a colour button beside it, and Bold and Italic boxes: Qt lists only
// the styles a face has, and many Japanese faces have only a regular one, drawn bold
// or slanted by the renderer.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QFontDialog;
class QPushButton;

namespace ombrix {

class TFontColourDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFontColourDialog(QWidget* parent = nullptr);

    /// Puts a font and its colour into the chooser before it is shown.
    void SetChoice(const QFont& font, const QColor& colour);
    QFont ChosenFont() const;
    QColor ChosenColour() const { return Colour_; }
    /// Sets the colour as the colour button does.
    void SetColour(const QColor& colour);

private:
    void ColourBtnClick();

    QFontDialog* FontChooser_;
    QCheckBox* BoldBox_;
    QCheckBox* ItalicBox_;
    QPushButton* ColourBtn_;
    QColor Colour_ = Qt::black;
};

} // namespace ombrix
