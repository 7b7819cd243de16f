// The detail settings dialog: field size, colours, segments, tiling and rule parameters.
//
// The main window fills it before each showing and reads it back after OK:
//
//     SetupDlg->ShowValues(model);
//     if (SetupDlg->exec() == ResultOK) {
//         SetupDlg->TakeValues(model);
//         MakeColorTable(model);
//         // repaint the colour strip
//     }
//
// OK closes the dialog (ResultOK) only while every value is in range; Cancel, Esc and
// the window's close command end it with ResultCancel. Each edit box's tip gives its range; a
// refused OK puts the focus on the first box out of range, selects its text and marks
// it until it is edited.
#pragma once

#include "FieldModel.h"
#include "ModalResult.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ombrix {

class TRadioGroup;

/// What a close handler decides: hide the window, or keep it open.
enum class TCloseAction { None, Hide };

class TSetupDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSetupDlg(QWidget* parent = nullptr);
    ~TSetupDlg() override;

    /// Writes the model's eight parameters into the edit boxes and the radio group, in the
    /// order AreaW, AreaH, UseColCnt, ColDiv, TilingType, PrmG, PrmK1, PrmK2.
    void ShowValues(const TFieldModel& model);

    /// Copies the eight values back into the model, converting each text strictly. After
    /// exec() returned ResultOK every text converts; should one not, the model is left unchanged
    /// and the result is false.
    bool TakeValues(TFieldModel& model) const;

    /// Every way of ending the dialog passes here, so FormClose can refuse it.
    void done(int result) override;
    /// The same as pressing OK.
    void accept() override;
    /// Esc and the window's close command end the dialog with ResultCancel, not ResultNone.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OKBtnClick();
    void CancelBtnClick();
    void FormClose(TCloseAction& action);
    /// The first edit box, in tab order, whose value is out of range; null when all are in.
    QLineEdit* FirstInvalid() const;
    /// Shows `edit` as the one to correct, or no box as such for null.
    void MarkInvalid(QLineEdit* edit);

    QPushButton* OKBtn;        ///< closes with ResultOK once every value is in range
    QPushButton* CancelBtn;    ///< closes with ResultCancel, whatever the values
    QLabel* Label1;            ///< caption of AreaWEd
    QLabel* Label2;            ///< caption of AreaHEd
    QLineEdit* AreaWEd;        ///< the field's width, AreaW
    QLineEdit* AreaHEd;        ///< the field's height, AreaH
    QLabel* Label3;            ///< caption of UseColCntEd
    QLabel* Label4;            ///< caption of ColDivEd
    QLineEdit* UseColCntEd;    ///< the number of colours (cell states), UseColCnt
    QLineEdit* ColDivEd;       ///< the number of gradient segments, ColDiv
    TRadioGroup* TilingTypeRg; ///< plain or shifted tiling, TilingType
    QLabel* Label5;            ///< caption of PrmGEd
    QLabel* Label6;            ///< caption of PrmK1Ed
    QLabel* Label7;            ///< caption of PrmK2Ed
    QLineEdit* PrmGEd;         ///< the rule's PrmG
    QLineEdit* PrmK1Ed;        ///< the rule's PrmK1
    QLineEdit* PrmK2Ed;        ///< the rule's PrmK2

    /// True after OK, false after Cancel; kept between showings.
    bool Accepted = false;
    /// The box marked after a refused OK, until it is edited.
    QLineEdit* Marked_ = nullptr;
};

} // namespace ombrix
