#include "Child.h"
#include "FontColorDialog.h"
#include "ModalResult.h"
#include "TestModel.h"
#include "TextSet.h"
#include "TextStamp.h"
#include "WhenModal.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <cstring>
#include <memory>

using namespace ombrix;
using ombrix::testing::Child;
using ombrix::testing::WhenModal;

namespace {

constexpr int Untouched = 77; // what every cell holds before a test acts

std::unique_ptr<TFieldModel> UntouchedModel(int w, int h, int useColCnt = 256) {
    auto model = ombrix::testing::NewModel(w, h, useColCnt);
    ombrix::testing::FillField(*model, Untouched);
    return model;
}

// The stamp font as the dialog starts with it: its own font, bold, 24 points.
QFont StartFont() {
    QFont font;
    font.setFamily(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    font.setBold(true);
    font.setPointSize(24);
    return font;
}

// The sample drawn here on its own: grey, then the text with its top-left corner at (0, 0).
QImage ExpectedSample(int w, int h, const QString& text, const QFont& font, QColor color) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 128));
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QPointF(0, QFontMetrics(font, &image).ascent()), text);
    return image;
}

// Live cells: 0 where the picture has the text colour exactly, v elsewhere.
bool LiveCellsMatch(const TFieldModel& model, const QImage& picture, QColor color, int v) {
    const QRgb text = color.rgb() & RGB_MASK;
    for (int x = 1; x <= model.AreaW; ++x)
        for (int y = 1; y <= model.AreaH; ++y) {
            const int expected = (picture.pixel(x - 1, y - 1) & RGB_MASK) == text ? 0 : v;
            if (model.Field[x][y] != expected)
                return false;
        }
    return true;
}

// Every cell outside the live area still holds what it held before.
bool OthersUntouched(const TFieldModel& model) {
    for (int x = 0; x < MaxAreaW + 2; ++x)
        for (int y = 0; y < MaxAreaH + 2; ++y) {
            const bool live = x >= 1 && x <= model.AreaW && y >= 1 && y <= model.AreaH;
            if (!live && model.Field[x][y] != Untouched)
                return false;
        }
    return true;
}

int CountCells(const TFieldModel& model, int value, QRect cells) {
    int count = 0;
    for (int x = cells.left(); x <= cells.right(); ++x)
        for (int y = cells.top(); y <= cells.bottom(); ++y)
            count += model.Field[x][y] == value ? 1 : 0;
    return count;
}

int Stamp(TTextSetDlg& dlg) {
    WhenModal(&dlg, [&] { Child<QPushButton>(dlg, "OKBtn")->click(); });
    return dlg.exec();
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint global, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    const QPoint local = global - target->mapToGlobal(QPoint(0, 0));
    QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestTextSetDlg : public QObject {
    Q_OBJECT
private slots:
    void emptyTextStampsEveryLiveCell_data();
    void emptyTextStampsEveryLiveCell();
    void textStampsItsPixels();
    void greyTextColorMakesEveryCellHealthy();
    void fontChoiceReachesTheStamp();
    void fontDialogCancelChangesNothing();
    void fontDialogOkWithoutChangesKeepsTheLook();
    void quickSecondPressStartsANewDrag();
    void sampleFollowsTheFieldSize_data();
    void sampleFollowsTheFieldSize();
    void dragResizesTheField_data();
    void dragResizesTheField();
    void cancelKeepsTheDraggedSize();
    void resizeKeepsButtonsAboveTheBottom_data();
    void resizeKeepsButtonsAboveTheBottom();
};

void TestTextSetDlg::emptyTextStampsEveryLiveCell_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("useColCnt");
    QTest::addColumn<int>("v");

    QTest::newRow("256 states") << 128 << 64 << 256 << 129;
    QTest::newRow("255 states") << 128 << 64 << 255 << 128;
    QTest::newRow("3 states") << 17 << 9 << 3 << 2;
    QTest::newRow("2 states") << 1 << 1 << 2 << 2;
    QTest::newRow("1 state") << 40 << 3 << 1 << 1;
    QTest::newRow("largest field") << 512 << 256 << 256 << 129;
}

void TestTextSetDlg::emptyTextStampsEveryLiveCell() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, useColCnt);
    QFETCH(int, v);

    auto model = UntouchedModel(w, h, useColCnt);
    TTextSetDlg dlg(*model);
    Child<QLineEdit>(dlg, "Edit1")->clear();
    QCOMPARE(Stamp(dlg), int(ResultOK));
    QCOMPARE(CountCells(*model, v, QRect(1, 1, w, h)), w * h);
    QVERIFY(OthersUntouched(*model));
}

void TestTextSetDlg::textStampsItsPixels() {
    auto model = UntouchedModel(300, 60);
    TTextSetDlg dlg(*model);
    QCOMPARE(Stamp(dlg), int(ResultOK));

    const QImage expected =
        ExpectedSample(300, 60, QStringLiteral("Ombrix"), StartFont(), Qt::black);
    QVERIFY(LiveCellsMatch(*model, expected, Qt::black, 129));
    QVERIFY(OthersUntouched(*model));
    // Plausibility apart from the drawing above: the first letters lie in the top-left
    // corner, and a six-letter word at 24 points ends well before x = 250.
    QVERIFY(CountCells(*model, 0, QRect(1, 1, 40, 40)) > 20);
    QCOMPARE(CountCells(*model, 129, QRect(250, 1, 51, 60)), 51 * 60);
}

void TestTextSetDlg::greyTextColorMakesEveryCellHealthy() {
    auto model = UntouchedModel(64, 32);
    TTextSetDlg dlg(*model);
    auto* fontDialog = Child<TFontColorDialog>(dlg, "FontDialog1");
    WhenModal(fontDialog, [&] {
        fontDialog->SetColor(QColor(0x80, 0x80, 0x80));
        fontDialog->accept();
    });
    Child<QPushButton>(dlg, "Button1")->click();
    QCOMPARE(Stamp(dlg), int(ResultOK));
    QCOMPARE(CountCells(*model, 0, QRect(1, 1, 64, 32)), 64 * 32);
    QVERIFY(OthersUntouched(*model));
}

void TestTextSetDlg::fontChoiceReachesTheStamp() {
    auto model = UntouchedModel(200, 80, 100);
    TTextSetDlg dlg(*model);
    Child<QLineEdit>(dlg, "Edit1")->setText(QStringLiteral("Ab"));
    auto* fontDialog = Child<TFontColorDialog>(dlg, "FontDialog1");
    QFont chosen;
    WhenModal(fontDialog, [&] {
        auto* chooser = Child<QFontDialog>(*fontDialog, "FontChooser");
        QFont font = chooser->currentFont();
        font.setPointSize(40);
        font.setItalic(true);
        font.setUnderline(true);
        chooser->setCurrentFont(font);
        fontDialog->SetColor(QColor(0xFF, 0, 0));
        chosen = fontDialog->ChosenFont();
        fontDialog->accept();
    });
    Child<QPushButton>(dlg, "Button1")->click();
    QVERIFY(chosen.underline());
    QCOMPARE(Stamp(dlg), int(ResultOK));

    const QColor red(0xFF, 0, 0);
    const QImage expected = ExpectedSample(200, 80, QStringLiteral("Ab"), chosen, red);
    QVERIFY(LiveCellsMatch(*model, expected, red, 51));
    QVERIFY(CountCells(*model, 0, QRect(1, 1, 200, 80)) > 0);
}

void TestTextSetDlg::fontDialogCancelChangesNothing() {
    auto model = UntouchedModel(300, 60);
    TTextSetDlg dlg(*model);
    auto* fontDialog = Child<TFontColorDialog>(dlg, "FontDialog1");
    WhenModal(fontDialog, [&] {
        auto* chooser = Child<QFontDialog>(*fontDialog, "FontChooser");
        QFont font = chooser->currentFont();
        font.setPointSize(60);
        font.setStrikeOut(true);
        chooser->setCurrentFont(font);
        fontDialog->SetColor(QColor(0x80, 0x80, 0x80));
        fontDialog->reject();
    });
    Child<QPushButton>(dlg, "Button1")->click();
    QCOMPARE(Stamp(dlg), int(ResultOK));

    const QImage expected =
        ExpectedSample(300, 60, QStringLiteral("Ombrix"), StartFont(), Qt::black);
    QVERIFY(LiveCellsMatch(*model, expected, Qt::black, 129));
}

void TestTextSetDlg::sampleFollowsTheFieldSize_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<QRect>("panel");
    QTest::addColumn<QRect>("widthHandle");
    QTest::addColumn<QRect>("heightHandle");
    QTest::addColumn<QRect>("cornerHandle");
    QTest::addColumn<QSize>("dialog");

    // A sample that fits keeps the design size; a larger one grows the dialog to the
    // corner handle plus 8 pixels, and below it 8 pixels and the 30 of the buttons.
    QTest::newRow("128 x 64") << 128 << 64 << QRect(8, 35, 130, 66) << QRect(138, 35, 4, 66)
                              << QRect(8, 101, 130, 4) << QRect(138, 101, 4, 4) << QSize(339, 208);
    QTest::newRow("1 x 1") << 1 << 1 << QRect(8, 35, 3, 3) << QRect(11, 35, 4, 3)
                           << QRect(8, 38, 3, 4) << QRect(11, 38, 4, 4) << QSize(339, 208);
    QTest::newRow("400 x 100") << 400 << 100 << QRect(8, 35, 402, 102) << QRect(410, 35, 4, 102)
                               << QRect(8, 137, 402, 4) << QRect(410, 137, 4, 4) << QSize(422, 208);
    QTest::newRow("100 x 200") << 100 << 200 << QRect(8, 35, 102, 202) << QRect(110, 35, 4, 202)
                               << QRect(8, 237, 102, 4) << QRect(110, 237, 4, 4) << QSize(339, 279);
    QTest::newRow("512 x 256") << 512 << 256 << QRect(8, 35, 514, 258) << QRect(522, 35, 4, 258)
                               << QRect(8, 293, 514, 4) << QRect(522, 293, 4, 4) << QSize(534, 335);
}

void TestTextSetDlg::sampleFollowsTheFieldSize() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(QRect, panel);
    QFETCH(QRect, widthHandle);
    QFETCH(QRect, heightHandle);
    QFETCH(QRect, cornerHandle);
    QFETCH(QSize, dialog);

    auto model = UntouchedModel(w, h);
    TTextSetDlg dlg(*model);
    dlg.show();
    QCOMPARE(Child<QFrame>(dlg, "SamplePnl")->geometry(), panel);
    QCOMPARE(Child<QWidget>(dlg, "SamplePbx")->geometry(), QRect(1, 1, w, h));
    QCOMPARE(Child<QFrame>(dlg, "ResizeWPnl")->geometry(), widthHandle);
    QCOMPARE(Child<QFrame>(dlg, "ResizeHPnl")->geometry(), heightHandle);
    QCOMPARE(Child<QFrame>(dlg, "ResizeWHPnl")->geometry(), cornerHandle);
    // The dialog holds the sample, the handles and the buttons, in the middle of the screen.
    const QRect screen = dlg.screen()->geometry();
    const QRect frame = dlg.frameGeometry();
    QCOMPARE(dlg.size(), dialog);
    QCOMPARE(Child<QPushButton>(dlg, "OKBtn")->y(), dlg.height() - 30);
    QCOMPARE(frame.x(), screen.x() + (screen.width() - frame.width()) / 2);
    QCOMPARE(frame.y(), screen.y() + (screen.height() - frame.height()) / 2);
}

void TestTextSetDlg::dragResizesTheField_data() {
    QTest::addColumn<QString>("handle");
    QTest::addColumn<int>("pressButton");
    QTest::addColumn<int>("heldButtons");
    QTest::addColumn<QSize>("start");
    QTest::addColumn<QList<QPoint>>("moves"); // pointer offsets from the press point
    QTest::addColumn<QSize>("end");

    const int left = Qt::LeftButton;
    const int right = Qt::RightButton;
    const int none = Qt::NoButton;
    QTest::newRow("width +10") << "ResizeWPnl" << left << left << QSize(128, 64)
                               << QList<QPoint>{{10, 0}} << QSize(138, 64);
    QTest::newRow("width follows the pointer")
        << "ResizeWPnl" << left << left << QSize(128, 64) << QList<QPoint>{{10, 0}, {15, 0}, {3, 0}}
        << QSize(131, 64);
    QTest::newRow("width ignores vertical moves") << "ResizeWPnl" << left << left << QSize(128, 64)
                                                  << QList<QPoint>{{0, 40}} << QSize(128, 64);
    QTest::newRow("width with the right button") << "ResizeWPnl" << right << right << QSize(128, 64)
                                                 << QList<QPoint>{{10, 0}} << QSize(128, 64);
    QTest::newRow("width with no button held") << "ResizeWPnl" << left << none << QSize(128, 64)
                                               << QList<QPoint>{{10, 0}} << QSize(128, 64);
    QTest::newRow("width up to 512") << "ResizeWPnl" << left << left << QSize(500, 64)
                                     << QList<QPoint>{{12, 0}} << QSize(512, 64);
    QTest::newRow("width past 512 refused") << "ResizeWPnl" << left << left << QSize(500, 64)
                                            << QList<QPoint>{{5, 0}, {13, 0}} << QSize(505, 64);
    QTest::newRow("width pulled left past 1 stops")
        << "ResizeWPnl" << left << left << QSize(128, 64) << QList<QPoint>{{-100, 0}, {-130, 0}}
        << QSize(28, 64);
    QTest::newRow("width back in range after overshooting")
        << "ResizeWPnl" << left << left << QSize(128, 64)
        << QList<QPoint>{{-100, 0}, {-130, 0}, {-127, 0}} << QSize(1, 64);
    QTest::newRow("height +7") << "ResizeHPnl" << left << left << QSize(128, 64)
                               << QList<QPoint>{{0, 7}} << QSize(128, 71);
    QTest::newRow("height down to 1") << "ResizeHPnl" << left << left << QSize(128, 64)
                                      << QList<QPoint>{{0, -63}} << QSize(128, 1);
    QTest::newRow("height pulled up past 1 stops")
        << "ResizeHPnl" << left << left << QSize(128, 64) << QList<QPoint>{{0, -60}, {0, -70}}
        << QSize(128, 4);
    QTest::newRow("height past 256 refused") << "ResizeHPnl" << left << left << QSize(128, 250)
                                             << QList<QPoint>{{0, 7}} << QSize(128, 250);
    QTest::newRow("height with the right button")
        << "ResizeHPnl" << right << right << QSize(128, 64) << QList<QPoint>{{0, 7}}
        << QSize(128, 64);
    QTest::newRow("corner +5 -4") << "ResizeWHPnl" << left << left << QSize(128, 64)
                                  << QList<QPoint>{{5, -4}} << QSize(133, 60);
    QTest::newRow("corner far beyond the bottom right")
        << "ResizeWHPnl" << left << left << QSize(128, 64) << QList<QPoint>{{5000, 5000}}
        << QSize(512, 256);
    QTest::newRow("corner far beyond the top left")
        << "ResizeWHPnl" << left << left << QSize(128, 64) << QList<QPoint>{{-5000, -5000}}
        << QSize(1, 1);
    QTest::newRow("corner pinned, then back")
        << "ResizeWHPnl" << left << left << QSize(500, 250) << QList<QPoint>{{100, 100}, {-10, -10}}
        << QSize(490, 240);
    QTest::newRow("corner with the right button")
        << "ResizeWHPnl" << right << right << QSize(128, 64) << QList<QPoint>{{20, 20}}
        << QSize(128, 64);
}

void TestTextSetDlg::dragResizesTheField() {
    QFETCH(QString, handle);
    QFETCH(int, pressButton);
    QFETCH(int, heldButtons);
    QFETCH(QSize, start);
    QFETCH(QList<QPoint>, moves);
    QFETCH(QSize, end);

    auto model = UntouchedModel(start.width(), start.height());
    auto before = std::make_unique<TFieldModel>();
    std::memcpy(before.get(), model.get(), sizeof(TFieldModel));
    TTextSetDlg dlg(*model);
    dlg.show();
    auto* target = dlg.findChild<QFrame*>(handle);
    QVERIFY(target != nullptr);

    const QPoint press = target->mapToGlobal(QPoint(1, 2));
    const auto button = static_cast<Qt::MouseButton>(pressButton);
    SendMouse(target, QEvent::MouseButtonPress, press, button, button);
    if (heldButtons == Qt::NoButton)
        SendMouse(target, QEvent::MouseButtonRelease, press, button, Qt::NoButton);
    for (const QPoint& offset : moves)
        SendMouse(target, QEvent::MouseMove, press + offset, Qt::NoButton,
                  Qt::MouseButtons(heldButtons));

    QCOMPARE(QSize(model->AreaW, model->AreaH), end);
    // The sample and the handles follow the new size; the cells stay as they were.
    QCOMPARE(Child<QWidget>(dlg, "SamplePbx")->size(), end);
    QCOMPARE(Child<QFrame>(dlg, "ResizeWHPnl")->pos(),
             QPoint(8 + end.width() + 2, 35 + end.height() + 2));
    QVERIFY(std::memcmp(before->Field, model->Field, sizeof model->Field) == 0);
}

// A press soon after a click arrives as a double click: it is a mouse-down all the same,
// so the drag measures from it and not from the earlier press on another handle.
void TestTextSetDlg::quickSecondPressStartsANewDrag() {
    auto model = UntouchedModel(100, 20);
    TTextSetDlg dlg(*model);
    dlg.show();
    auto* width = Child<QFrame>(dlg, "ResizeWPnl");
    auto* corner = Child<QFrame>(dlg, "ResizeWHPnl");
    const QPoint first = width->mapToGlobal(QPoint(1, 1));
    SendMouse(width, QEvent::MouseButtonPress, first, Qt::LeftButton, Qt::LeftButton);
    SendMouse(width, QEvent::MouseButtonRelease, first, Qt::LeftButton, Qt::NoButton);
    const QPoint second = corner->mapToGlobal(QPoint(1, 1));
    SendMouse(corner, QEvent::MouseButtonDblClick, second, Qt::LeftButton, Qt::LeftButton);
    SendMouse(corner, QEvent::MouseMove, second + QPoint(0, 1), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(QSize(model->AreaW, model->AreaH), QSize(100, 21));
}

void TestTextSetDlg::cancelKeepsTheDraggedSize() {
    auto model = UntouchedModel(128, 64);
    TTextSetDlg dlg(*model);
    WhenModal(&dlg, [&] {
        auto* corner = Child<QFrame>(dlg, "ResizeWHPnl");
        const QPoint press = corner->mapToGlobal(QPoint(2, 2));
        SendMouse(corner, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
        SendMouse(corner, QEvent::MouseMove, press + QPoint(10, 6), Qt::NoButton, Qt::LeftButton);
        SendMouse(corner, QEvent::MouseButtonRelease, press + QPoint(10, 6), Qt::LeftButton,
                  Qt::NoButton);
        Child<QPushButton>(dlg, "CancelBtn")->click();
    });
    QCOMPARE(dlg.exec(), int(ResultCancel));
    QCOMPARE(model->AreaW, 138);
    QCOMPARE(model->AreaH, 70);
    QVERIFY(OthersUntouched(*model));
    QCOMPARE(CountCells(*model, Untouched, QRect(1, 1, 138, 70)), 138 * 70);
}

void TestTextSetDlg::resizeKeepsButtonsAboveTheBottom_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("top");

    QTest::newRow("larger") << QSize(600, 450) << 420;
    QTest::newRow("design size") << QSize(339, 208) << 178;
    QTest::newRow("smaller") << QSize(250, 100) << 70;
}

void TestTextSetDlg::resizeKeepsButtonsAboveTheBottom() {
    QFETCH(QSize, size);
    QFETCH(int, top);

    auto model = UntouchedModel(128, 64);
    TTextSetDlg dlg(*model);
    dlg.show();
    dlg.resize(size);
    QCOMPARE(dlg.size(), size);
    QCOMPARE(Child<QPushButton>(dlg, "OKBtn")->pos(), QPoint(78, top));
    QCOMPARE(Child<QPushButton>(dlg, "CancelBtn")->pos(), QPoint(157, top));
}

QTEST_MAIN(TestTextSetDlg)

// Qt lists only the styles a face has; the bold of a face with a regular style alone
// (VL PGothic, the Japanese face installed with the program) must survive an OK
// without changes.
void TestTextSetDlg::fontDialogOkWithoutChangesKeepsTheLook() {
    QFont font(QStringLiteral("VL PGothic"));
    QVERIFY(QFontDatabase::hasFamily(font.family()));
    font.setPixelSize(32);
    font.setBold(true);
    TFontColorDialog fontDialog;
    fontDialog.SetChoice(font, Qt::blue);
    WhenModal(&fontDialog, [&] { fontDialog.accept(); });
    QCOMPARE(fontDialog.exec(), int(QDialog::Accepted));
    QVERIFY(fontDialog.ChosenFont().bold());
    QVERIFY(!fontDialog.ChosenFont().italic());
    QCOMPARE(fontDialog.ChosenFont().family(), font.family());
    QCOMPARE(fontDialog.ChosenColor(), QColor(Qt::blue));
}

#include "tst_textsetdlg.moc"
