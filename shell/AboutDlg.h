// The About box: the program's name and version in a small modal dialog, and where the
// settings file is.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace ombrix {

struct TFormRefs;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    /// Reads the settings files' names from `forms.OmbrixFm` as it is shown; `forms` must
    /// outlive the box.
    explicit TAboutBox(const TFormRefs& forms, QWidget* parent = nullptr);
    ~TAboutBox() override;

protected:
    void showEvent(QShowEvent* event) override;
    /// Esc and the window's close command end the box with ResultCancel.
    void reject() override;

private:
    /// Shows where the settings file is (elided in the middle to fit, whole as a tip).
    void ShowSettingsPath();

    const TFormRefs& Forms_;

    QFrame* Panel1;        ///< the lowered panel around the name and the lines below it
    QPushButton* OKButton; ///< closes the box
    QLabel* ProductName;   ///< the program's name in large letters
    QLabel* Version;       ///< the version line
    QLabel* NoticeLabel;   ///< what the program does, in one line
    QLabel* ContactLabel1; ///< introduces the next line
    QLabel* ContactLabel2; ///< where the settings file is
};

} // namespace ombrix
