#include "Application.h"
#include "AutomatonTimer.h"
#include "Colors.h"
#include "Error.h"
#include "ErrorText.h"
#include "PaintBox.h"
#include "Translations.h"
#include "WhenModal.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <QtTest>
#include <functional>

#include <new>
#include <stdexcept>

using namespace ombrix;

Q_DECLARE_METATYPE(std::exception_ptr)

using ombrix::testing::WhenModal;

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    // Each case starts with no translator installed.
    void cleanup() { qDeleteAll(qApp->findChildren<QTranslator*>()); }
    void ThrowingHandlerShowsErrorBoxAndLoopCarriesOn();
    void ErrorWordsInBothLanguages_data();
    void ErrorWordsInBothLanguages();
    void ThrowingTickKeepsTimerRunning();
    void TimerCountsFromEnableAndIntervalChange();
    void TimerIntervalSameValueKeepsCount();
    void PaintBoxRepaintsAtOnceAndReportsButtons();
    void ColorConversionSwapsRedAndBlue();
};

void TestPlatform::ThrowingHandlerShowsErrorBoxAndLoopCarriesOn() {
    QPushButton button(QStringLiteral("Go"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, Guarded([&] {
        ++clicks;
        throw TError(TFailure::CreateFile, "/x/y.bmp", std::make_error_code(std::errc::io_error));
    }));
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        text = box->text();
        caption = box->windowTitle();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    QTRY_COMPARE(text, QStringLiteral("ﾌｧｲﾙ /x/y.bmp を作成できません."));
    QCOMPARE(caption, QStringLiteral("Ombrix"));
    QCOMPARE(icon, QMessageBox::Critical);
    // The loop carries on: the handler runs again on the next click.
    WhenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->accept(); });
    QTest::mouseClick(&button, Qt::LeftButton);
    QTRY_COMPARE(clicks, 2);
}

// What the window says for each failure on a Japanese desktop (the designed texts) and
// on any other (English).
void TestPlatform::ErrorWordsInBothLanguages_data() {
    QTest::addColumn<std::exception_ptr>("error");
    QTest::addColumn<QString>("japanese");
    QTest::addColumn<QString>("english");

    const auto error = [](TFailure failure, const char* subject) {
        return std::make_exception_ptr(
            TError(failure, subject, std::make_error_code(std::errc::permission_denied)));
    };
    QTest::newRow("create file") << error(TFailure::CreateFile, "/tmp/a b/壁紙.bmp")
                                 << "ﾌｧｲﾙ /tmp/a b/壁紙.bmp を作成できません"
                                 << "Cannot create the file /tmp/a b/壁紙.bmp";
    QTest::newRow("write file") << error(TFailure::WriteFile, "/tmp/w.bmp")
                                << "ｽﾄﾘｰﾑへの書き込みｴﾗｰ"
                                << "Error writing to the file";
    QTest::newRow("read file") << error(TFailure::ReadFile, "/h/ombrix.ini")
                               << "/h/ombrix.ini を読み込めません"
                               << "Cannot read /h/ombrix.ini";
    QTest::newRow("write settings")
        << error(TFailure::WriteSettings, "/h/ombrix.ini") << "/h/ombrix.ini に書き込めません"
        << "Cannot write to /h/ombrix.ini";
    QTest::newRow("remove file") << error(TFailure::RemoveFile, "/f/favourite-0001.ini")
                                 << "/f/favourite-0001.ini を削除できません"
                                 << "Cannot remove /f/favourite-0001.ini";
    QTest::newRow("not a look file")
        << error(TFailure::NotALookFile, "/d/x.ini") << "/d/x.ini にはルックがありません"
        << "/d/x.ini holds no Ombrix look";
    QTest::newRow("make folder") << error(TFailure::MakeFolder, "/d/wallpapers")
                                 << "ﾌｫﾙﾀﾞ /d/wallpapers を作成できません"
                                 << "Cannot create the folder /d/wallpapers";
    QTest::newRow("start program") << error(TFailure::StartProgram, "/usr/bin/ombrix-live")
                                   << "/usr/bin/ombrix-live を起動できません"
                                   << "Cannot start /usr/bin/ombrix-live";
    QTest::newRow("no memory") << std::make_exception_ptr(std::bad_alloc())
                               << "ｼｽﾃﾑ ﾘｿｰｽが足りません"
                               << "Not enough system resources";
    QTest::newRow("another exception")
        << std::make_exception_ptr(std::runtime_error("disk on fire")) << "disk on fire"
        << "disk on fire";
    QTest::newRow("not an exception")
        << std::make_exception_ptr(42) << "予期しないエラーが発生しました"
        << "An unexpected error occurred";
}

void TestPlatform::ErrorWordsInBothLanguages() {
    QFETCH(std::exception_ptr, error);
    QFETCH(QString, japanese);
    QFETCH(QString, english);

    QCOMPARE(ExceptionText(error), japanese); // no translation: the source texts
    InstallTranslations(QLocale(QStringLiteral("ja_JP")));
    QCOMPARE(ExceptionText(error), japanese);
    cleanup();
    QVERIFY(InstallTranslations(QLocale(QStringLiteral("fr_FR"))));
    QCOMPARE(ExceptionText(error), english);
}

void TestPlatform::ThrowingTickKeepsTimerRunning() {
    TAutomatonTimer timer;
    timer.SetInterval(10);
    int ticks = 0;
    timer.OnTimer = [&] {
        if (++ticks == 1)
            throw std::runtime_error("first tick fails");
    };
    bool boxSeen = false;
    WhenModal([&](QWidget* modal) {
        boxSeen = true;
        qobject_cast<QMessageBox*>(modal)->accept();
    });
    timer.SetEnabled(true);
    QTRY_VERIFY(boxSeen);
    QTRY_VERIFY(ticks >= 3);
    QVERIFY(timer.Enabled());
    timer.SetEnabled(false);
}

// A tick can come late under load but never early, so the checks below measure from
// the moments that start a count.
void TestPlatform::TimerCountsFromEnableAndIntervalChange() {
    TAutomatonTimer timer;
    timer.SetInterval(1000);
    QElapsedTimer clock;
    qint64 firstTick = -1;
    int ticks = 0;
    timer.OnTimer = [&] {
        if (++ticks == 1)
            firstTick = clock.elapsed();
    };
    timer.SetEnabled(true);
    QTest::qWait(300);
    // A different interval restarts the count from this moment.
    clock.start();
    timer.SetInterval(1001);
    QTRY_COMPARE_WITH_TIMEOUT(ticks, 1, 5000);
    QVERIFY2(firstTick >= 995,
             qPrintable(QStringLiteral("tick %1 ms after the change").arg(firstTick)));
    timer.SetEnabled(false);
    QTest::qWait(1300);
    QCOMPARE(ticks, 1); // disabled: no more ticks
}

void TestPlatform::TimerIntervalSameValueKeepsCount() {
    TAutomatonTimer timer;
    timer.SetInterval(2000);
    int ticks = 0;
    qint64 firstTick = -1;
    QElapsedTimer clock;
    timer.OnTimer = [&] {
        if (++ticks == 1)
            firstTick = clock.elapsed();
    };
    clock.start();
    timer.SetEnabled(true);
    QTest::qWait(1000);
    timer.SetInterval(2000); // the same value: the count goes on
    QTRY_COMPARE_WITH_TIMEOUT(ticks, 1, 6000);
    // On time the tick comes at 2000 ms; a restart would have put it at 3000 ms or later.
    QVERIFY2(firstTick < 2800, qPrintable(QStringLiteral("tick at %1 ms").arg(firstTick)));
    timer.SetEnabled(false);
}

void TestPlatform::PaintBoxRepaintsAtOnceAndReportsButtons() {
    QWidget window;
    window.resize(100, 100);
    auto* box = new TPaintBox(&window);
    box->setGeometry(10, 10, 50, 40);
    int paints = 0;
    box->OnPaint = [&](QPainter& p) {
        ++paints;
        p.fillRect(box->rect(), Qt::red);
    };
    Qt::MouseButton released = Qt::NoButton;
    QPoint releasedAt;
    box->OnMouseUp = [&](Qt::MouseButton button, QPoint at) {
        released = button;
        releasedAt = at;
    };
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int before = paints;
    box->Repaint();
    QCOMPARE(paints, before + 1); // painted before Repaint returned
    QTest::mouseRelease(box, Qt::RightButton, {}, QPoint(7, 9));
    QCOMPARE(released, Qt::RightButton);
    QCOMPARE(releasedAt, QPoint(7, 9));
}

void TestPlatform::ColorConversionSwapsRedAndBlue() {
    QCOMPARE(ToQRgb(0x000008DCu), QRgb(0xFFDC0800u));
    QCOMPARE(ToQRgb(0xFF123456u), QRgb(0xFF563412u)); // high byte plays no part
    QCOMPARE(FromQRgb(0xFFDC0800u), TColor(0x000008DCu));
    QCOMPARE(FromQColor(QColor(255, 0, 0)), TColor(0x000000FFu));
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ombrix"));
    TestPlatform test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
