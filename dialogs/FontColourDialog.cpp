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
    explicit TEmbeddedFontDialog(QDialog* owner) : QFontDialog(owner), Owner_(owner) {
        setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        setWindowFlags(Qt::Widget);
    }
    void accept() override { Owner_->accept(); }
    void reject() override { Owner_->reject(); }

private:
    QDialog* Owner_;
};

QIcon Swatch(const QColor& colour) {
    QPixmap pixmap(24, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

TFontColourDialog::TFontColourDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Font"));
    FontChooser_ = new TEmbeddedFontDialog(this);
    FontChooser_->setObjectName(QStringLiteral("FontChooser"));
    FontChooser_->show();

    BoldBox_ = new QCheckBox(tr("Bold"), this);
    BoldBox_->setObjectName(QStringLiteral("BoldBox"));
    ItalicBox_ = new QCheckBox(tr("Italic"), this);
    ItalicBox_->setObjectName(QStringLiteral("ItalicBox"));
    ColourBtn_ = new QPushButton(tr("Color..."), this);
    ColourBtn_->setObjectName(QStringLiteral("ColourBtn"));
    ColourBtn_->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ColourBtn_);
    bottom->addWidget(BoldBox_);
    bottom->addWidget(ItalicBox_);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FontChooser_);
    layout->addLayout(bottom);

    connect(ColourBtn_, &QPushButton::clicked, this, &TFontColourDialog::ColourBtnClick);
    // Picking a style in the list sets the boxes; the boxes have the last word.
    connect(FontChooser_, &QFontDialog::currentFontChanged, this, [this](const QFont& font) {
        BoldBox_->setChecked(font.bold());
        ItalicBox_->setChecked(font.italic());
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    SetColour(Colour_);
}

void TFontColourDialog::SetChoice(const QFont& font, const QColor& colour) {
    // The chooser lists installed families only; a face that is not installed is shown
    // as the family that stands in for it, so that OK without changes keeps the look.
    QFont shown = font;
    if (!QFontDatabase::hasFamily(font.family()))
        shown.setFamily(QFontInfo(font).family());
    FontChooser_->setCurrentFont(shown);
    BoldBox_->setChecked(font.bold());
    ItalicBox_->setChecked(font.italic());
    SetColour(colour);
}

QFont TFontColourDialog::ChosenFont() const {
    QFont font = FontChooser_->currentFont();
    font.setBold(BoldBox_->isChecked());
    font.setItalic(ItalicBox_->isChecked());
    return font;
}

void TFontColourDialog::SetColour(const QColor& colour) {
    Colour_ = colour;
    ColourBtn_->setIcon(Swatch(colour));
}

void TFontColourDialog::ColourBtnClick() {
    const QColor chosen = QColorDialog::getColor(Colour_, this);
    if (chosen.isValid())
        SetColour(chosen);
}

} // namespace ombrix
