// The wallpaper dialog: which picture to put on the desktop. The main window shows it
// modally and reads the choice after OK:
//
//     TWallpaperDlg dialog(window);
//     if (dialog.exec() == ResultOK)
//         ... dialog.Previous() ? the background before Ombrix's
//             : dialog.Live() ? the live wallpaper : dialog.Kind() ...
//
// OK (the default button) ends it with ResultOK; Cancel, Esc and the close command with
// ResultCancel.
#pragma once

#include "DesktopBackground.h"
#include "ModalResult.h"
#include "PreviousBackground.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace ombrix {

class TRadioGroup;

class TWallpaperDlg : public QDialog {
    Q_OBJECT
public:
    explicit TWallpaperDlg(QWidget* parent = nullptr);

    /// The chosen picture; "This screen" until the user picks another.
    TWallpaperKind Kind() const;

    /// "Live" chosen: the automaton running as the background instead of a picture.
    bool Live() const;
    /// "Start at login": the live wallpaper starts with the session. Set before showing to
    /// what is in place.
    bool StartAtLogin() const;
    void SetStartAtLogin(bool on);
    /// "Previous wallpaper" chosen: the background the desktop had before Ombrix's put
    /// back. It can be chosen only when one is remembered: set before showing; until then
    /// it cannot, as if nothing were remembered yet.
    bool Previous() const;
    void SetPrevious(TPreviousState state);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TRadioGroup* KindRg_;
    QRadioButton* LiveRb_;
    QCheckBox* StartAtLoginCb_;
    QRadioButton* PreviousRb_;
    QPushButton* OKBtn_;
    QPushButton* CancelBtn_;
};

} // namespace ombrix
