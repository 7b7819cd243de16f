// The program's languages: Japanese for Japanese and C, English for every other
// language, and Qt's own texts in the user's language.
#include "Child.h"
#include "DesktopBackground.h"
#include "OmbrixMain.h"
#include "RadioGroup.h"
#include "Setup.h"
#include "Translations.h"
#include "WallpaperDlg.h"

#include <QDialogButtonBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

#include <memory>

using namespace ombrix;
using ombrix::testing::Child;

const QString JapaneseTried =
    QStringLiteral("- デスクトップポータル: セッションバスがありません\n"
                   "- X11 のルートウィンドウ: X ディスプレイがありません");
const QString EnglishTried =
    QStringLiteral("- desktop portal: no session bus\n- X11 root window: no X display");

class TestTranslations : public QObject {
    Q_OBJECT

private slots:
    // Each case starts with no translator installed.
    void cleanup() {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>())
            delete translator;
    }

    // A few captions in each language: designed Japanese and English ones, texts added
    // since in either language, and one of Qt's own.
    void LanguageChoosesTheTexts_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("details"); // the main window's detail settings button
        QTest::addColumn<QString>("start");   // its Start/Stop button
        QTest::addColumn<QString>("range");   // the tip of the detail dialog's width
        QTest::addColumn<QString>("screen");  // the wallpaper dialog's first choice
        QTest::addColumn<QString>("cancel");  // Qt's own Cancel button
        QTest::addColumn<QString>("tried");   // the ways tried for the desktop background

        QTest::newRow("Japanese") << "ja_JP" << false << "詳細設定..."
                                  << "Start"
                                  << "1 ～ 512"
                                  << "この画面"
                                  << "キャンセル" << JapaneseTried;
        QTest::newRow("C") << "C" << false << "詳細設定..."
                           << "Start"
                           << "1 ～ 512"
                           << "この画面"
                           << "Cancel" << JapaneseTried;
        QTest::newRow("German") << "de_DE" << true << "Details..."
                                << "Start"
                                << "1 to 512"
                                << "This screen"
                                << "Abbrechen" << EnglishTried;
        QTest::newRow("English") << "en_US" << true << "Details..."
                                 << "Start"
                                 << "1 to 512"
                                 << "This screen"
                                 << "Cancel" << EnglishTried;
    }

    void LanguageChoosesTheTexts() {
        QFETCH(QString, locale);
        QFETCH(bool, english);
        QFETCH(QString, details);
        QFETCH(QString, start);
        QFETCH(QString, range);
        QFETCH(QString, screen);
        QFETCH(QString, cancel);
        QFETCH(QString, tried);

        QCOMPARE(InstallTranslations(QLocale(locale)), english);
        const TFormRefs noDialogs;
        TOmbrixFm form(noDialogs);
        QCOMPARE(Child<QPushButton>(form, "Button4")->text(), details);
        QCOMPARE(Child<QPushButton>(form, "StartStopBtn")->text(), start);
        TSetupDlg setup;
        QCOMPARE(Child<QLineEdit>(setup, "AreaWEd")->toolTip(), range);
        TWallpaperDlg wallpaper;
        QCOMPARE(Child<TRadioGroup>(wallpaper, "KindRg")->Items().first()->text(), screen);
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), cancel);
        // The wallpaper button opens the dialog of its own name.
        QCOMPARE(Child<QPushButton>(form, "WallpaperBtn")->text(),
                 wallpaper.windowTitle() + QStringLiteral("..."));
        // A session with neither a bus nor a display: the portal and the root window fail,
        // each way named and its reason said in the language of the rest.
        TBackgroundSetter setter;
        QSignalSpy finished(&setter, &TBackgroundSetter::Finished);
        setter.Start(QStringLiteral("/nowhere/picture.png"), TWallpaperKind::Screen, {});
        QVERIFY(finished.wait(5000));
        const QString message =
            BackgroundFailureMessage(finished.at(0).at(0).value<TBackgroundResult>(), {});
        QCOMPARE(message.section(QLatin1Char('\n'), -2), tried);
    }

    // In each language, at the scale the test runs at (QT_SCALE_FACTOR), every caption
    // fits its control: a button's with 4 pixels to spare on each side, a detail
    // setting's with 6 pixels before its edit box at 80, a wallpaper choice's beside its
    // mark.
    void CaptionsFitTheirControls_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("Japanese") << "ja_JP";
        QTest::newRow("English") << "en_GB";
    }

    void CaptionsFitTheirControls() {
        QFETCH(QString, locale);
        InstallTranslations(QLocale(locale));
        const TFormRefs noDialogs;
        TOmbrixFm form(noDialogs);
        TSetupDlg setup;
        TWallpaperDlg wallpaper;
        QList<QPushButton*> buttons = Child<QFrame>(form, "Panel3")->findChildren<QPushButton*>();
        buttons += setup.findChildren<QPushButton*>();
        buttons += wallpaper.findChildren<QPushButton*>();
        // The wallpaper dialog's choices, as shown: the mark and the caption within each.
        wallpaper.show();
        for (const QAbstractButton* choice : wallpaper.findChildren<QAbstractButton*>())
            if (!qobject_cast<const QPushButton*>(choice))
                QVERIFY2(choice->sizeHint().width() <= choice->width(),
                         qPrintable(QStringLiteral("\"%1\": %2 of %3 pixels")
                                        .arg(choice->text())
                                        .arg(choice->sizeHint().width())
                                        .arg(choice->width())));
        for (const QPushButton* button : buttons) {
            const qreal advance = QFontMetricsF(button->font()).horizontalAdvance(button->text());
            QVERIFY2(advance + 2 * 4 <= button->width(),
                     qPrintable(QStringLiteral("%1 \"%2\": %3 of %4 pixels")
                                    .arg(button->objectName(), button->text())
                                    .arg(advance)
                                    .arg(button->width())));
        }
        for (const QLabel* label : setup.findChildren<QLabel*>()) {
            const qreal right =
                label->x() + QFontMetricsF(label->font()).horizontalAdvance(label->text());
            QVERIFY2(right <= 80 - 6,
                     qPrintable(QStringLiteral("\"%1\" ends at %2").arg(label->text()).arg(right)));
        }
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
