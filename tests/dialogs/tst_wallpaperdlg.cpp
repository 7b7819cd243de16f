#include "RadioGroup.h"
#include "WallpaperDlg.h"
#include "WhenModal.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace ombrix;
using ombrix::testing::WhenModal;

Q_DECLARE_METATYPE(ombrix::TWallpaperKind)
Q_DECLARE_METATYPE(ombrix::TPreviousState)

class TestWallpaperDlg : public QObject {
    Q_OBJECT

private slots:
    // How the dialog ends, with the choice made before: modal result and picture kind.
    void Ends_data() {
        QTest::addColumn<int>("item"); // -1: left as it opened
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("result");
        QTest::addColumn<TWallpaperKind>("kind");
        QTest::newRow("Enter takes the default")
            << -1 << "enter" << int(ResultOK) << TWallpaperKind::Screen;
        QTest::newRow("All screens, OK")
            << 1 << "ok" << int(ResultOK) << TWallpaperKind::AllScreens;
        QTest::newRow("Tile, Enter") << 2 << "enter" << int(ResultOK) << TWallpaperKind::Tile;
        QTest::newRow("Cancel") << 2 << "cancel" << int(ResultCancel) << TWallpaperKind::Tile;
        QTest::newRow("Esc") << 1 << "esc" << int(ResultCancel) << TWallpaperKind::AllScreens;
        QTest::newRow("close command")
            << -1 << "close" << int(ResultCancel) << TWallpaperKind::Screen;
    }
    void Ends() {
        QFETCH(int, item);
        QFETCH(QString, action);
        QFETCH(int, result);
        QFETCH(TWallpaperKind, kind);
        TWallpaperDlg dialog;
        WhenModal(&dialog, [&] {
            if (item >= 0)
                dialog.findChild<TRadioGroup*>(QStringLiteral("KindRg"))->Items().at(item)->click();
            if (action == QLatin1String("enter"))
                QTest::keyClick(&dialog, Qt::Key_Return);
            else if (action == QLatin1String("esc"))
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else if (action == QLatin1String("close"))
                dialog.close();
            else
                dialog
                    .findChild<QPushButton*>(action == QLatin1String("ok") ? "OKBtn" : "CancelBtn")
                    ->click();
        });
        QCOMPARE(dialog.exec(), result);
        QCOMPARE(dialog.Kind(), kind);
        QVERIFY(!dialog.Live());
    }

    // "Live" and the picture choices exclude each other; "Start at login" counts only
    // with "Live", and opens as it was set.
    void LiveChoice() {
        TWallpaperDlg dialog;
        dialog.SetStartAtLogin(true);
        auto* live = dialog.findChild<QRadioButton*>(QStringLiteral("LiveRb"));
        auto* login = dialog.findChild<QCheckBox*>(QStringLiteral("StartAtLoginCb"));
        auto* kinds = dialog.findChild<TRadioGroup*>(QStringLiteral("KindRg"));
        WhenModal(&dialog, [&] {
            QVERIFY(!login->isEnabled() && login->isChecked());
            live->click();
            QCOMPARE(kinds->ItemIndex(), -1);
            QVERIFY(login->isEnabled());
            kinds->Items().at(2)->click();
            QVERIFY(!live->isChecked() && !login->isEnabled());
            live->click();
            login->click();
            dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        });
        QCOMPARE(dialog.exec(), int(ResultOK));
        QVERIFY(dialog.Live());
        QVERIFY(!dialog.StartAtLogin());
    }

    // "Previous wallpaper" can be chosen only when a background is remembered; otherwise
    // its tooltip says why not. Chosen, it excludes the pictures and "Live", and the
    // dialog ends with it.
    void PreviousChoice_data() {
        QTest::addColumn<TPreviousState>("state");
        QTest::addColumn<QString>("tip");
        QTest::newRow("remembered")
            << TPreviousState::Remembered
            << "Puts back the background the desktop had before Ombrix's picture.";
        QTest::newRow("nothing yet")
            << TPreviousState::NothingYet
            << "Nothing to put back yet: Ombrix remembers the desktop's background when it first "
               "sets a picture there.";
        QTest::newRow("unreadable") << TPreviousState::Unreadable
                                    << "This desktop does not let Ombrix read its background, so "
                                       "there is none to put back.";
    }
    void PreviousChoice() {
        QFETCH(TPreviousState, state);
        QFETCH(QString, tip);
        TWallpaperDlg dialog;
        dialog.SetPrevious(state);
        auto* previous = dialog.findChild<QRadioButton*>(QStringLiteral("PreviousRb"));
        auto* live = dialog.findChild<QRadioButton*>(QStringLiteral("LiveRb"));
        auto* kinds = dialog.findChild<TRadioGroup*>(QStringLiteral("KindRg"));
        const bool remembered = state == TPreviousState::Remembered;
        WhenModal(&dialog, [&] {
            QCOMPARE(previous->text(), QStringLiteral("Previous wallpaper"));
            QCOMPARE(previous->isEnabled(), remembered);
            QCOMPARE(previous->toolTip(), tip);
            // The new choice sits in free space, below the others, in the frame of the
            // choices added below the designed ones.
            auto* frame = dialog.findChild<QGroupBox*>(QStringLiteral("MoreFrame"));
            QVERIFY(frame->geometry().contains(previous->geometry()));
            for (QWidget* other : dialog.findChildren<QWidget*>())
                if (other != previous && other != frame && other->parentWidget() == &dialog)
                    QVERIFY2(!other->geometry().intersects(previous->geometry()),
                             qPrintable(other->objectName()));
            QVERIFY(dialog.rect().contains(previous->geometry()));
            live->click();
            previous->click(); // does nothing while disabled
            QCOMPARE(live->isChecked(), !remembered);
            QCOMPARE(kinds->ItemIndex(), -1);
            if (remembered) {
                kinds->Items().at(1)->click();
                QVERIFY(!previous->isChecked());
                previous->click();
                QCOMPARE(kinds->ItemIndex(), -1);
            }
            dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        });
        QCOMPARE(dialog.exec(), int(ResultOK));
        QCOMPARE(dialog.Previous(), remembered);
        QCOMPARE(dialog.Live(), !remembered);
    }
};

QTEST_MAIN(TestWallpaperDlg)
#include "tst_wallpaperdlg.moc"
