#include "Setup.h"

#include "IntFromText.h"
#include "RadioGroup.h"
#include "WindowPlacement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <limits>
#include <optional>

namespace ombrix {

namespace {

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    PlaceLabel(*label, geometry.x(), geometry.y(), geometry.width(), geometry.height());
    // A caption wider than the room before the edit boxes is narrowed to fit, so the
    // edit box does not cover its end where the stand-in font is wider; a gap of 6
    // pixels stays between the caption and the edit box at 80.
    FitCaption(*label, 80 - 6);
    PlaceLabel(*label, geometry.x(), geometry.y(), geometry.width(), geometry.height());
    return label;
}

QLineEdit* NewEdit(QWidget* parent, const char* name, QRect geometry, const QString& tip) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setToolTip(tip);
    return edit;
}

QString RangeTip(TParamRange range) {
    return TSetupDlg::tr("%1 to %2").arg(range.Min).arg(range.Max);
}

std::optional<std::int32_t> Strict(const QLineEdit* edit) {
    return StrictIntFromText(edit->text().toStdString());
}

std::int32_t Lenient(const QLineEdit* edit) {
    return IntFromText(edit->text().toStdString(), 0);
}

} // namespace

TSetupDlg::TSetupDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SetupDlg"));
    setWindowTitle(tr("詳細設定"));
    setFont(DialogFont(13));
    setFixedSize(274, 186);

    // Created in the order of the tab chain's start: OK first, so it has the focus.
    OKBtn = new QPushButton(tr("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(142, 154, 59, 24);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(205, 154, 60, 24);

    Label1 = NewLabel(this, "Label1", tr("ユニット幅"), {8, 11, 54, 13});
    Label2 = NewLabel(this, "Label2", tr("ユニット高さ"), {8, 35, 64, 13});
    AreaWEd = NewEdit(this, "AreaWEd", {80, 8, 41, 21}, RangeTip(Ranges::AreaW));
    AreaHEd = NewEdit(this, "AreaHEd", {80, 32, 41, 21}, RangeTip(Ranges::AreaH));
    Label3 = NewLabel(this, "Label3", tr("使用色数"), {8, 59, 52, 13});
    Label4 = NewLabel(this, "Label4", tr("分割数"), {8, 83, 41, 17});
    UseColCntEd = NewEdit(this, "UseColCntEd", {80, 56, 41, 21}, RangeTip(Ranges::UseColCnt));
    ColDivEd = NewEdit(this, "ColDivEd", {80, 80, 41, 21},
                       tr("1 to the number of colours (%1)").arg(tr("使用色数")));
    TilingTypeRg = new TRadioGroup(tr("Tiling Type"), {tr("Type 1"), tr("Type 2")}, this);
    TilingTypeRg->setObjectName(QStringLiteral("TilingTypeRg"));
    TilingTypeRg->setGeometry(152, 8, 89, 81);
    TilingTypeRg->SetItemIndex(0);
    Label5 = NewLabel(this, "Label5", QStringLiteral("PrmG"), {8, 107, 32, 13});
    Label6 = NewLabel(this, "Label6", QStringLiteral("PrmK1"), {8, 131, 38, 13});
    Label7 = NewLabel(this, "Label7", QStringLiteral("PrmK2"), {8, 155, 38, 13});
    PrmGEd = NewEdit(this, "PrmGEd", {80, 104, 41, 21}, RangeTip(Ranges::PrmG));
    PrmK1Ed = NewEdit(this, "PrmK1Ed", {80, 128, 41, 21}, RangeTip(Ranges::PrmK1));
    PrmK2Ed = NewEdit(this, "PrmK2Ed", {80, 152, 41, 21}, RangeTip(Ranges::PrmK2));
    for (QLineEdit* edit : {AreaWEd, AreaHEd, UseColCntEd, ColDivEd, PrmGEd, PrmK1Ed, PrmK2Ed})
        connect(edit, &QLineEdit::textEdited, this, [this, edit] {
            if (edit == Marked_)
                MarkInvalid(nullptr);
        });

    QList<QWidget*> chain{OKBtn, CancelBtn, AreaWEd, AreaHEd, UseColCntEd, ColDivEd};
    for (QRadioButton* item : TilingTypeRg->Items())
        chain.append(item);
    chain << PrmGEd << PrmK1Ed << PrmK2Ed;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    connect(OKBtn, &QPushButton::clicked, this, &TSetupDlg::accept);
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        CancelBtnClick();
        done(ResultCancel);
    });
}

TSetupDlg::~TSetupDlg() = default;

void TSetupDlg::ShowValues(const TFieldModel& model) {
    AreaWEd->setText(QString::number(model.AreaW));
    AreaHEd->setText(QString::number(model.AreaH));
    UseColCntEd->setText(QString::number(model.UseColCnt));
    ColDivEd->setText(QString::number(model.ColDiv));
    TilingTypeRg->SetItemIndex(model.TilingType);
    PrmGEd->setText(QString::number(model.PrmG));
    PrmK1Ed->setText(QString::number(model.PrmK1));
    PrmK2Ed->setText(QString::number(model.PrmK2));
    MarkInvalid(nullptr);
}

bool TSetupDlg::TakeValues(TFieldModel& model) const {
    const auto areaW = Strict(AreaWEd);
    const auto areaH = Strict(AreaHEd);
    const auto useColCnt = Strict(UseColCntEd);
    const auto colDiv = Strict(ColDivEd);
    const auto prmG = Strict(PrmGEd);
    const auto prmK1 = Strict(PrmK1Ed);
    const auto prmK2 = Strict(PrmK2Ed);
    if (!areaW || !areaH || !useColCnt || !colDiv || !prmG || !prmK1 || !prmK2)
        return false;
    model.AreaW = *areaW;
    model.AreaH = *areaH;
    model.UseColCnt = *useColCnt;
    model.ColDiv = *colDiv;
    model.TilingType = TilingTypeRg->ItemIndex();
    model.PrmG = *prmG;
    model.PrmK1 = *prmK1;
    model.PrmK2 = *prmK2;
    return true;
}

void TSetupDlg::done(int result) {
    TCloseAction action = TCloseAction::Hide;
    FormClose(action);
    if (action == TCloseAction::None) {
        setResult(ResultNone);
        return;
    }
    QDialog::done(result);
}

void TSetupDlg::accept() {
    OKBtnClick();
    done(ResultOK);
}

void TSetupDlg::reject() {
    done(ResultCancel);
}

void TSetupDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        CentreOnScreen(*this);
}

void TSetupDlg::keyPressEvent(QKeyEvent* event) {
    // Esc presses the cancel button, as a click would.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CancelBtn->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TSetupDlg::OKBtnClick() {
    Accepted = true;
}

void TSetupDlg::CancelBtnClick() {
    Accepted = false;
}

void TSetupDlg::FormClose(TCloseAction& action) {
    if (!Accepted)
        return;
    if (QLineEdit* invalid = FirstInvalid()) {
        action = TCloseAction::None;
        MarkInvalid(invalid);
    }
}

QLineEdit* TSetupDlg::FirstInvalid() const {
    const std::int32_t u = Lenient(UseColCntEd);
    // A PrmG text that is no integer would pass as 0 and then fail the strict read after
    // OK; it is refused like any value out of range.
    const std::pair<QLineEdit*, bool> boxes[] = {
        {AreaWEd, Ranges::AreaW.Contains(Lenient(AreaWEd))},
        {AreaHEd, Ranges::AreaH.Contains(Lenient(AreaHEd))},
        {UseColCntEd, Ranges::UseColCnt.Contains(u)},
        {ColDivEd, ColDivRange(u).Contains(Lenient(ColDivEd))},
        {PrmGEd, Strict(PrmGEd).has_value() && Ranges::PrmG.Contains(Lenient(PrmGEd))},
        {PrmK1Ed, Ranges::PrmK1.Contains(Lenient(PrmK1Ed))},
        {PrmK2Ed, Ranges::PrmK2.Contains(Lenient(PrmK2Ed))},
    };
    for (const auto& [edit, valid] : boxes)
        if (!valid)
            return edit;
    return nullptr;
}

void TSetupDlg::MarkInvalid(QLineEdit* edit) {
    if (Marked_ != nullptr) {
        Marked_->setPalette(QPalette());
        Marked_->setProperty("invalid", false);
    }
    Marked_ = edit;
    if (edit == nullptr)
        return;
    // The box's ground turns towards the palette's red, readable on light and dark.
    QPalette marked = edit->palette();
    const QColor base = marked.color(QPalette::Base);
    const QColor red(220, 40, 40);
    marked.setColor(QPalette::Base,
                    QColor((base.red() + red.red()) / 2, (base.green() + red.green()) / 2,
                           (base.blue() + red.blue()) / 2));
    edit->setPalette(marked);
    edit->setProperty("invalid", true);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

} // namespace ombrix
