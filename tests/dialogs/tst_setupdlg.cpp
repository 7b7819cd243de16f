#include "Child.h"
#include "Setup.h"
#include "TestModel.h"
#include "WhenModal.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>

#include <cstring>
#include <memory>

using namespace ombrix;
using ombrix::testing::Child;
using ombrix::testing::WhenModal;

namespace {

const QStringList EditNames{QStringLiteral("AreaWEd"),     QStringLiteral("AreaHEd"),
                            QStringLiteral("UseColCntEd"), QStringLiteral("ColDivEd"),
                            QStringLiteral("PrmGEd"),      QStringLiteral("PrmK1Ed"),
                            QStringLiteral("PrmK2Ed")};

// The default model with a field that shows whether any cell changed.
std::unique_ptr<TFieldModel> PatternModel() {
    auto model = ombrix::testing::NewModel();
    for (int x = 0; x < MaxAreaW + 2; ++x)
        for (int y = 0; y < MaxAreaH + 2; ++y)
            model->Field[x][y] = (x * 7 + y * 3) % 256;
    return model;
}

QLineEdit* Edit(TSetupDlg& dlg, const QString& name) {
    return Child<QLineEdit>(dlg, qPrintable(name));
}

QPushButton* Button(QWidget& dlg, const char* name) {
    return Child<QPushButton>(dlg, name);
}

QRadioButton* Item(TSetupDlg& dlg, const QString& text) {
    for (QRadioButton* item : dlg.findChildren<QRadioButton*>())
        if (item->text() == text)
            return item;
    return nullptr;
}

void SetTexts(TSetupDlg& dlg, const QStringList& texts) {
    for (int i = 0; i < EditNames.size(); ++i)
        Edit(dlg, EditNames[i])->setText(texts[i]);
}

const QStringList ValidTexts{"128", "64", "256", "8", "5", "2", "2"};
const QStringList InvalidTexts{"0", "64", "256", "8", "5", "2", "2"};

// The main window's hand-over: fill, show modally, copy back only after OK.
int HandOver(TSetupDlg& dlg, TFieldModel& model) {
    dlg.ShowValues(model);
    const int result = dlg.exec();
    if (result == ResultOK)
        dlg.TakeValues(model);
    return result;
}

} // namespace

class TestSetupDlg : public QObject {
    Q_OBJECT
private slots:
    void okValidatesEveryValue_data();
    void okValidatesEveryValue();
    void closingWays_data();
    void closingWays();
    void cancelAfterRefusedOkChangesNothing();
    void tilingTypeRoundTrip_data();
    void tilingTypeRoundTrip();
    void growingTheFieldKeepsItsCells();
    void isCentredOnTheScreen();
    void editTipsGiveTheRanges();
    void captionsKeepClearOfTheirEditBoxes_data();
    void captionsKeepClearOfTheirEditBoxes();
};

void TestSetupDlg::editTipsGiveTheRanges() {
    TSetupDlg dlg;
    QStringList tips;
    for (const QString& name : EditNames)
        tips << Edit(dlg, name)->toolTip();
    // Sources are the program's Japanese; no translation is loaded here.
    const QStringList expected{
        "1 to 512", "1 to 256", "1 to 256", "1 to the number of colours (使用色数)",
        "0 to 100", "1 to 10",  "1 to 10"};
    QCOMPARE(tips, expected);
}

void TestSetupDlg::captionsKeepClearOfTheirEditBoxes_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("edit");
    const char* labels[] = {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7"};
    for (int i = 0; i < EditNames.size(); ++i)
        QTest::newRow(labels[i]) << QString::fromLatin1(labels[i]) << EditNames[i];
}

// The caption's drawn text ends at least 6 pixels before its edit box begins.
void TestSetupDlg::captionsKeepClearOfTheirEditBoxes() {
    QFETCH(QString, label);
    QFETCH(QString, edit);
    TSetupDlg dlg;
    dlg.show();
    const auto* caption = dlg.findChild<QLabel*>(label);
    QVERIFY(caption != nullptr);
    const int textRight =
        caption->x() + QFontMetrics(caption->font()).horizontalAdvance(caption->text());
    QVERIFY2(textRight + 6 <= Edit(dlg, edit)->x(),
             qPrintable(QStringLiteral("%1 ends at %2").arg(caption->text()).arg(textRight)));
}

void TestSetupDlg::okValidatesEveryValue_data() {
    QTest::addColumn<QStringList>("texts"); // w, h, u, d, g, k1, k2
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QList<int>>("values"); // read back after OK
    QTest::addColumn<QString>("marked");    // the box marked when OK is refused

    // The first box out of range, in tab order, is the one marked.
    auto open = [](const char* name, QStringList texts, const char* marked) {
        QTest::newRow(name) << texts << false << QList<int>{} << QString::fromLatin1(marked);
    };
    auto closes = [](const char* name, QStringList texts, QList<int> values) {
        QTest::newRow(name) << texts << true << values << QString();
    };
    closes("all at their upper bounds", {"512", "256", "256", "256", "100", "10", "10"},
           {512, 256, 256, 256, 100, 10, 10});
    closes("all at their lower bounds", {"1", "1", "1", "1", "0", "1", "1"}, {1, 1, 1, 1, 0, 1, 1});
    open("w 513", {"513", "64", "256", "8", "5", "2", "2"}, "AreaWEd");
    open("h 257", {"128", "257", "256", "8", "5", "2", "2"}, "AreaHEd");
    open("u 257", {"128", "64", "257", "8", "5", "2", "2"}, "UseColCntEd");
    open("w 0", {"0", "64", "256", "8", "5", "2", "2"}, "AreaWEd");
    open("h 0", {"128", "0", "256", "8", "5", "2", "2"}, "AreaHEd");
    open("u 0", {"128", "64", "0", "8", "5", "2", "2"}, "UseColCntEd");
    open("d 0", {"128", "64", "256", "0", "5", "2", "2"}, "ColDivEd");
    open("k1 0", {"128", "64", "256", "8", "5", "0", "2"}, "PrmK1Ed");
    open("k2 0", {"128", "64", "256", "8", "5", "2", "0"}, "PrmK2Ed");
    open("g 101", {"128", "64", "256", "8", "101", "2", "2"}, "PrmGEd");
    open("g -1", {"128", "64", "256", "8", "-1", "2", "2"}, "PrmGEd");
    open("k1 11", {"128", "64", "256", "8", "5", "11", "2"}, "PrmK1Ed");
    open("k2 11", {"128", "64", "256", "8", "5", "2", "11"}, "PrmK2Ed");
    open("h 0 and k2 11", {"128", "0", "256", "8", "5", "2", "11"}, "AreaHEd");
    open("u 8 below d 9", {"128", "64", "8", "9", "5", "2", "2"}, "ColDivEd");
    closes("u 8 with d 8", {"128", "64", "8", "8", "5", "2", "2"}, {128, 64, 8, 8, 5, 2, 2});
    closes("g 0", {"128", "64", "256", "8", "0", "2", "2"}, {128, 64, 256, 8, 0, 2, 2});
    open("empty width", {"", "64", "256", "8", "5", "2", "2"}, "AreaWEd");
    open("width with a trailing blank", {"12 ", "64", "256", "8", "5", "2", "2"}, "AreaWEd");
    open("width in letters", {"abc", "64", "256", "8", "5", "2", "2"}, "AreaWEd");
    closes("width after blanks", {"  12", "64", "256", "8", "5", "2", "2"},
           {12, 64, 256, 8, 5, 2, 2});
    closes("width with a plus sign", {"+12", "64", "256", "8", "5", "2", "2"},
           {12, 64, 256, 8, 5, 2, 2});
    closes("hexadecimal width", {"$200", "64", "256", "8", "5", "2", "2"},
           {512, 64, 256, 8, 5, 2, 2});
    open("g in letters", {"128", "64", "256", "8", "x", "2", "2"}, "PrmGEd");
    open("empty g", {"128", "64", "256", "8", "", "2", "2"}, "PrmGEd");
    open("width beyond 32 bits", {"4294967297", "64", "256", "8", "5", "2", "2"}, "AreaWEd");
}

void TestSetupDlg::okValidatesEveryValue() {
    QFETCH(QStringList, texts);
    QFETCH(bool, closes);
    QFETCH(QList<int>, values);
    QFETCH(QString, marked);

    auto model = PatternModel();
    TSetupDlg dlg;
    dlg.ShowValues(*model);
    SetTexts(dlg, texts);
    dlg.show();
    Button(dlg, "OKBtn")->click();

    QCOMPARE(!dlg.isVisible(), closes);
    if (!closes) {
        QCOMPARE(dlg.result(), int(ResultNone));
        for (int i = 0; i < EditNames.size(); ++i) {
            QLineEdit* edit = Edit(dlg, EditNames[i]);
            QCOMPARE(edit->text(), texts[i]); // left as typed
            const bool isMarked = EditNames[i] == marked;
            QCOMPARE(edit->property("invalid").toBool(), isMarked);
            QCOMPARE(edit->palette().color(QPalette::Base) != dlg.palette().color(QPalette::Base),
                     isMarked);
        }
        QLineEdit* edit = Edit(dlg, marked);
        QCOMPARE(dlg.focusWidget(), edit);
        QCOMPARE(edit->selectedText(), edit->text());
        QTest::keyClick(edit, Qt::Key_5); // editing the box takes its mark away
        QVERIFY(!edit->property("invalid").toBool());
        QCOMPARE(edit->palette().color(QPalette::Base), dlg.palette().color(QPalette::Base));
        return;
    }
    QCOMPARE(dlg.result(), int(ResultOK));
    QVERIFY(dlg.TakeValues(*model));
    const QList<int> got{model->AreaW, model->AreaH, model->UseColCnt, model->ColDiv,
                         model->PrmG,  model->PrmK1, model->PrmK2};
    QCOMPARE(got, values);
}

void TestSetupDlg::closingWays_data() {
    // Steps: "valid"/"invalid" fill the edits, "show" shows the dialog, "ok", "cancel",
    // "esc", "enter" and "close" try to end it.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("result");

    QTest::newRow("close command, no OK yet, invalid")
        << QStringList{"invalid", "show", "close"} << false << int(ResultCancel);
    QTest::newRow("close command after a refused OK")
        << QStringList{"invalid", "show", "ok", "close"} << true << int(ResultNone);
    QTest::newRow("Esc after a refused OK")
        << QStringList{"invalid", "show", "ok", "esc"} << false << int(ResultCancel);
    QTest::newRow("Cancel after a refused OK")
        << QStringList{"invalid", "show", "ok", "cancel"} << false << int(ResultCancel);
    QTest::newRow("close command, OK in an earlier showing, now invalid")
        << QStringList{"valid", "show", "ok", "invalid", "show", "close"} << true
        << int(ResultNone);
    QTest::newRow("close command, Cancel after an earlier OK, invalid")
        << QStringList{"valid", "show", "ok", "show", "cancel", "invalid", "show", "close"} << false
        << int(ResultCancel);
    QTest::newRow("close command with valid values after OK")
        << QStringList{"valid", "show", "ok", "show", "close"} << false << int(ResultCancel);
    QTest::newRow("Enter with valid values")
        << QStringList{"valid", "show", "enter"} << false << int(ResultOK);
    QTest::newRow("Enter with invalid values")
        << QStringList{"invalid", "show", "enter"} << true << int(ResultNone);
}

void TestSetupDlg::closingWays() {
    QFETCH(QStringList, steps);
    QFETCH(bool, open);
    QFETCH(int, result);

    TSetupDlg dlg;
    for (const QString& step : steps) {
        if (step == "valid")
            SetTexts(dlg, ValidTexts);
        else if (step == "invalid")
            SetTexts(dlg, InvalidTexts);
        else if (step == "show")
            dlg.show();
        else if (step == "ok")
            Button(dlg, "OKBtn")->click();
        else if (step == "cancel")
            Button(dlg, "CancelBtn")->click();
        else if (step == "esc")
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else if (step == "enter")
            QTest::keyClick(&dlg, Qt::Key_Return);
        else if (step == "close")
            dlg.close();
        else
            QFAIL("unknown step");
    }
    QCOMPARE(dlg.isVisible(), open);
    QCOMPARE(dlg.result(), result);
}

void TestSetupDlg::cancelAfterRefusedOkChangesNothing() {
    auto model = PatternModel();
    auto before = std::make_unique<TFieldModel>();
    std::memcpy(before.get(), model.get(), sizeof(TFieldModel));

    TSetupDlg dlg;
    bool openAfterOk = false;
    WhenModal(&dlg, [&] {
        SetTexts(dlg, {"300", "300", "16", "4", "7", "3", "3"}); // h 300 is out of range
        Button(dlg, "OKBtn")->click();
        openAfterOk = dlg.isVisible();
        Button(dlg, "CancelBtn")->click();
    });
    QCOMPARE(HandOver(dlg, *model), 2);
    QVERIFY(openAfterOk);
    QVERIFY(std::memcmp(before.get(), model.get(), sizeof(TFieldModel)) == 0);
}

void TestSetupDlg::tilingTypeRoundTrip_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown"); // the checked item, "" for none
    QTest::addColumn<QString>("pick");  // the item the user clicks, "" for none
    QTest::addColumn<int>("taken");

    QTest::newRow("0") << 0 << "Type 1"
                       << "" << 0;
    QTest::newRow("1") << 1 << "Type 2"
                       << "" << 1;
    QTest::newRow("5 clamps to the last item") << 5 << "Type 2"
                                               << "" << 1;
    QTest::newRow("-3 selects nothing") << -3 << ""
                                        << "" << -1;
    QTest::newRow("-3, then the user picks Type 1") << -3 << ""
                                                    << "Type 1" << 0;
    QTest::newRow("0, then the user picks Type 2") << 0 << "Type 1"
                                                   << "Type 2" << 1;
}

void TestSetupDlg::tilingTypeRoundTrip() {
    QFETCH(int, stored);
    QFETCH(QString, shown);
    QFETCH(QString, pick);
    QFETCH(int, taken);

    auto model = PatternModel();
    model->TilingType = stored;
    TSetupDlg dlg;
    QString checked = "?";
    WhenModal(&dlg, [&] {
        checked.clear();
        for (const char* text : {"Type 1", "Type 2"})
            if (Item(dlg, text)->isChecked())
                checked += QString::fromLatin1(text);
        if (!pick.isEmpty())
            Item(dlg, pick)->click();
        Button(dlg, "OKBtn")->click();
    });
    QCOMPARE(HandOver(dlg, *model), 1);
    QCOMPARE(checked, shown);
    QCOMPARE(model->TilingType, taken);
}

void TestSetupDlg::growingTheFieldKeepsItsCells() {
    auto model = PatternModel();
    auto before = std::make_unique<TFieldModel>();
    std::memcpy(before.get(), model.get(), sizeof(TFieldModel));

    TSetupDlg dlg;
    WhenModal(&dlg, [&] {
        Edit(dlg, "AreaWEd")->setText("200");
        Edit(dlg, "AreaHEd")->setText("100");
        Button(dlg, "OKBtn")->click();
    });
    QCOMPARE(HandOver(dlg, *model), 1);
    QCOMPARE(model->AreaW, 200);
    QCOMPARE(model->AreaH, 100);
    QVERIFY(std::memcmp(before->Field, model->Field, sizeof model->Field) == 0);
}

void TestSetupDlg::isCentredOnTheScreen() {
    TSetupDlg dlg;
    dlg.show();
    const QRect screen = dlg.screen()->geometry();
    const QRect frame = dlg.frameGeometry();
    QCOMPARE(dlg.size(), QSize(274, 186));
    QCOMPARE(frame.x(), screen.x() + (screen.width() - frame.width()) / 2);
    QCOMPARE(frame.y(), screen.y() + (screen.height() - frame.height()) / 2);
}

QTEST_MAIN(TestSetupDlg)
#include "tst_setupdlg.moc"
