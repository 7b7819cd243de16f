// The text stamp dialog: a sample exactly as large as the field with a line of text at
// its top-left corner, stamped into the field on OK, and three handles that resize the
// field while they are dragged.
//
// The main window shows it with exec(); ResultOK means the field was stamped (redraw the
// wall), ResultCancel means Cancel. AreaW and AreaH changed by the handles stay changed either way.
#pragma once

#include "FieldModel.h"
#include "ModalResult.h"
#include "TextStamp.h"

#include <QDialog>

#include <cstdint>

class QFrame;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;

namespace ombrix {

class TFontColorDialog;

class TTextSetDlg : public QDialog {
    Q_OBJECT
public:
    /// `model`: the field the dialog stamps and resizes; it must outlive the dialog.
    explicit TTextSetDlg(TFieldModel& model, QWidget* parent = nullptr);
    ~TTextSetDlg() override;

    /// Sizes the sample to AreaW × AreaH and puts the handles against its right and
    /// bottom edges.
    void LayoutSample();

    /// The same as pressing OK: stamps the sample into the field and ends with ResultOK.
    void accept() override;
    /// Esc and the window's close command end the dialog with ResultCancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    /// Makes the window large enough for the sample, its handles and the buttons,
    /// within the screen.
    void GrowToFitSample();
    void FormResize();
    void SamplePbxPaint();
    void Edit1Change();
    void Button1Click();
    void ResizePnlMouseDown(QPoint pos);
    void ResizeWPnlMouseMove(Qt::MouseButtons buttons, QPoint pos);
    void ResizeHPnlMouseMove(Qt::MouseButtons buttons, QPoint pos);
    void ResizeWHPnlMouseMove(Qt::MouseButtons buttons, QPoint pos);
    void OKBtnClick();

    /// A handle's point taken as a point of the client area, on the screen.
    QPoint ClientToScreen(QPoint pos) const;

    TFieldModel& Model_;

    QPushButton* OKBtn;            ///< stamps the sample into the field, closes with ResultOK
    QPushButton* CancelBtn;        ///< closes with ResultCancel
    QLabel* Label1;                ///< caption of Edit1
    QLineEdit* Edit1;              ///< the text to stamp
    QPushButton* Button1;          ///< "Font": picks the stamp's font and colour
    TFontColorDialog* FontDialog1; ///< the font dialog Button1 opens
    QFrame* SamplePnl;             ///< the bevel around the sample
    QWidget* SamplePbx;            ///< the sample, one pixel per cell of the field
    QFrame* ResizeWPnl;            ///< handle right of the sample: drags the field's width
    QFrame* ResizeHPnl;            ///< handle below the sample: drags the field's height
    QFrame* ResizeWHPnl;           ///< corner handle: drags both

    std::int32_t DragStartX = 0;
    std::int32_t DragStartY = 0;
    TTextFont TextFont;
};

} // namespace ombrix
