#include "FontColourDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace ombrix {

namespace {

// Qt's font dialog used as a plain child widget. Enter and Esc inside it would end only
// the embedded part and leave a hole in the window; they end the whole chooser instead.
class TEmbeddedFontDialog : public QFontDialog {
public:
    explicit TEmbeddedFontDialog(QDialog* owner) : QFontDialog(owner), Owner(owner) {
        setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        setWindowFlags(Qt::Widget);
    }
    void accept() override { Owner->accept(); }
    void reject() override { Owner->reject(); }

private:
    QDialog* Owner;
};

QIcon Swatch(const QColor& colour) {
    QPixmap pixmap(24, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

TFontColourDialog::TFontColourDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Font"));
    FontChooser = new TEmbeddedFontDialog(this);
    FontChooser->setObjectName(QStringLiteral("FontChooser"));
    FontChooser->show();

    BoldBox = new QCheckBox(tr("Bold"), this);
    BoldBox->setObjectName(QStringLiteral("BoldBox"));
    ItalicBox = new QCheckBox(tr("Italic"), this);
    ItalicBox->setObjectName(QStringLiteral("ItalicBox"));
    ColourBtn = new QPushButton(tr("Color..."), this);
    ColourBtn->setObjectName(QStringLiteral("ColourBtn"));
    ColourBtn->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ColourBtn);
    bottom->addWidget(BoldBox);
    bottom->addWidget(ItalicBox);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FontChooser);
    layout->addLayout(bottom);

    connect(ColourBtn, &QPushButton::clicked, this, &TFontColourDialog::ColourBtnClick);
    // Picking a style in the list sets the boxes; the boxes have the last word.
    connect(FontChooser, &QFontDialog::currentFontChanged, this, [this](const QFont& font) {
        BoldBox->setChecked(font.bold());
        ItalicBox->setChecked(font.italic());
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    SetColour(Colour);
}

void TFontColourDialog::SetChoice(const QFont& font, const QColor& colour) {
    // The chooser lists installed families only; a face that is not installed is shown
    // as the family that stands in for it, so that OK without changes keeps the look.
    QFont shown = font;
    if (!QFontDatabase::hasFamily(font.family()))
        shown.setFamily(QFontInfo(font).family());
    FontChooser->setCurrentFont(shown);
    BoldBox->setChecked(font.bold());
    ItalicBox->setChecked(font.italic());
    SetColour(colour);
}

QFont TFontColourDialog::ChosenFont() const {
    QFont font = FontChooser->currentFont();
    font.setBold(BoldBox->isChecked());
    font.setItalic(ItalicBox->isChecked());
    return font;
}

void TFontColourDialog::SetColour(const QColor& colour) {
    Colour = colour;
    ColourBtn->setIcon(Swatch(colour));
}

void TFontColourDialog::ColourBtnClick() {
    const QColor chosen = QColorDialog::getColor(Colour, this);
    if (chosen.isValid())
        SetColour(chosen);
}

} // namespace ombrix
