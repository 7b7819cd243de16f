// The About box: the program's name and version in a small modal dialog, and where the
// settings file is.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace ombrix {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    QFrame* Panel1;
    QPushButton* OKButton;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* NoticeLabel;
    QLabel* ContactLabel1;
    QLabel* ContactLabel2;

    /// Shows where the settings file is (elided in the middle to fit, whole as a tip).
    void ShowSettingsPath();

protected:
    void showEvent(QShowEvent* event) override;
    /// Esc and the window's close command end the box with ResultCancel.
    void reject() override;
};

} // namespace ombrix
