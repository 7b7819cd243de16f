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

class TFontColorDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFontColorDialog(QWidget* parent = nullptr);

    /// Puts a font and its colour into the chooser before it is shown.
    void SetChoice(const QFont& font, const QColor& color);
    QFont ChosenFont() const;
    QColor ChosenColor() const { return Color_; }
    /// Sets the colour as the colour button does.
    void SetColor(const QColor& color);

private:
    void ColorBtnClick();

    QFontDialog* FontChooser_;
    QCheckBox* BoldBox_;
    QCheckBox* ItalicBox_;
    QPushButton* ColorBtn_;
    QColor Color_ = Qt::black;
};

} // namespace ombrix
