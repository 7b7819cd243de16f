#include "AboutDlg.h"
#include "Application.h"
#include "AutomatonTimer.h"
#include "Child.h"
#include "ColorTable.h"
#include "Colors.h"
#include "DialogFont.h"
#include "Files.h"
#include "Forms.h"
#include "ModalResult.h"
#include "OmbrixMain.h"
#include "PaintBox.h"
#include "RadioGroup.h"
#include "Random.h"
#include "Setup.h"
#include "TestModel.h"
#include "TextSet.h"
#include "TrackBar.h"
#include "WhenModal.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSlider>
#include <QtTest>

#include <algorithm>

#include <cstring>
#include <memory>
#include <optional>

using namespace ombrix;
using ombrix::testing::Child;
using ombrix::testing::RandomStateGuard;
using ombrix::testing::ReadFile;
using ombrix::testing::TempDir;
using ombrix::testing::TopLevel;
using ombrix::testing::WhenModal;
using ombrix::testing::WriteFile;

namespace {

// The program's four forms, by their names.
const char* const FormNames[] = {"OmbrixFm", "SetupDlg", "AboutBox", "TextSetDlg"};

bool SameLiveArea(const TFieldModel& a, const TFieldModel& b) {
    for (int x = 1; x <= a.AreaW; ++x)
        if (std::memcmp(&a.Field[x][1], &b.Field[x][1], sizeof(std::int32_t) * a.AreaH) != 0)
            return false;
    return true;
}

// The tile shows every live cell in its colour, one pixel per cell.
bool TileShowsField(const TOmbrixFm& form) {
    const TFieldModel& m = *form.Model;
    if (form.TileBitmap.Width() != m.AreaW || form.TileBitmap.Height() != m.AreaH)
        return false;
    for (int x = 1; x <= m.AreaW; ++x)
        for (int y = 1; y <= m.AreaH; ++y)
            if (form.TileBitmap.Pixel(x - 1, y - 1) != m.ColorTable[m.Field[x][y]])
                return false;
    return true;
}

QString IniValue(const QString& path, const QString& key) {
    const QByteArray text = QByteArray::fromStdString(ReadFile(path.toStdString()));
    for (const QByteArray& line : text.split('\n'))
        if (line.startsWith(key.toUtf8() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1)).trimmed();
    return {};
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> Dir;
    std::optional<RandomStateGuard> Seed;
    std::unique_ptr<TForms> Forms;
    TOmbrixFm* Form = nullptr; // the main form of Forms, while it is open

    QString InDir(const QString& name) const {
        return QString::fromStdString(*Dir / name.toStdString());
    }
    QString IniPath() const { return InDir(QStringLiteral("ombrix.ini")); }

    // Starts the program's forms in order, with `settings` as the settings file.
    void Start(const QByteArray& settings = {}) {
        if (!settings.isEmpty())
            WriteFile(IniPath().toStdString(), settings.toStdString());
        Seed.emplace(0);
        Forms.reset();
        Forms = std::make_unique<TForms>(IniPath().toStdString());
        Form = &Forms->Main();
    }

    // Ends the run as the program does: the main form writes the settings file.
    void Close() {
        Form = nullptr;
        Forms->Close();
    }

    void ShowForm() {
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form));
    }

    std::unique_ptr<TFieldModel> CopyOfModel() const {
        return std::make_unique<TFieldModel>(*Form->Model);
    }

    // The main form's controls, by name.
    QPushButton* Button(const char* name) const { return Child<QPushButton>(*Form, name); }
    QFrame* Panel(const char* name) const { return Child<QFrame>(*Form, name); }
    TTrackBar* SpeedTb() const { return Child<TTrackBar>(*Form, "SpeedTb"); }
    TAutomatonTimer* Timer1() const { return Child<TAutomatonTimer>(*Form, "Timer1"); }
    TPaintBox* WallPbx() const { return Child<TPaintBox>(*Form, "WallPbx"); }
    TPaintBox* ColTblPbx() const { return Child<TPaintBox>(*Form, "ColTblPbx"); }

    // The file the save dialog offers when "Save" is pressed: its folder and the name in
    // its name box, or nothing when that box is empty. The dialog is cancelled.
    QString OfferedSaveName() {
        QString offered;
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            const QString name = Child<QLineEdit>(*dialog, "fileNameEdit")->text();
            if (!name.isEmpty())
                offered = dialog->directory().absoluteFilePath(name);
            dialog->reject();
        });
        QTest::mouseClick(Button("Button2"), Qt::LeftButton);
        return offered;
    }

private slots:
    void init() { Dir = std::make_unique<TempDir>(); }
    void cleanup() {
        Form = nullptr;
        Forms.reset();
        Seed.reset();
        Dir.reset();
    }

    void StartsWithDefaultsWithoutSettingsFile() {
        Start();
        QCOMPARE(SpeedTb()->value(), 1000);
        QCOMPARE(Timer1()->Interval(), 1000);
        QVERIFY(!Timer1()->Enabled());
        QCOMPARE(Button("StartStopBtn")->text(), QStringLiteral("Start"));
        QCOMPARE(Form->Model->ColorTable[0], TColor(0x000008DC));
        QCOMPARE(Form->Model->ColorTable[1], TColor(0x003345AB));
        QCOMPARE(Form->Model->Field[1][1], 237);
        QCOMPARE(Form->Model->Field[2][1], 177);
        QCOMPARE(Form->Model->Field[128][64], 252);
        QVERIFY(Form->TileBitmap.Empty()); // start-up draws nothing
        QVERIFY(OfferedSaveName().isEmpty());
    }

    void StoredSpeedIsClamped_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("position");
        QTest::newRow("below") << QByteArray("5") << 10;
        QTest::newRow("above") << QByteArray("5000") << 2000;
        QTest::newRow("inside") << QByteArray("250") << 250;
        QTest::newRow("hex") << QByteArray("0x64") << 100;
    }
    void StoredSpeedIsClamped() {
        QFETCH(QByteArray, stored);
        QFETCH(int, position);
        Start("[Pendrel]\nSpeed=" + stored + "\n");
        QCOMPARE(SpeedTb()->value(), position);
        QCOMPARE(Timer1()->Interval(), position);
        Close();
        QCOMPARE(IniValue(IniPath(), QStringLiteral("Speed")), QString::number(position));
    }

    void TickPerformsOneGenerationAndOneRedraw() {
        Start();
        ShowForm();
        auto expected = CopyOfModel();
        ombrix::StepField(*expected);
        int paints = 0;
        auto paintWall = WallPbx()->OnPaint;
        WallPbx()->OnPaint = [&](QPainter& canvas) {
            ++paints;
            paintWall(canvas);
        };
        SpeedTb()->setValue(300);
        QCOMPARE(Timer1()->Interval(), 300);
        const auto before = CopyOfModel();
        QTest::mouseClick(Button("StartStopBtn"), Qt::LeftButton);
        QCOMPARE(Button("StartStopBtn")->text(), QStringLiteral("Stop"));
        QTRY_VERIFY_WITH_TIMEOUT(!SameLiveArea(*Form->Model, *before), 5000);
        QTest::mouseClick(Button("StartStopBtn"), Qt::LeftButton);
        QVERIFY(SameLiveArea(*Form->Model, *expected));
        QCOMPARE(paints, 1);
        QVERIFY(TileShowsField(*Form));
    }

    void HiddenWindowStepsButDrawsNothing_data() {
        QTest::addColumn<bool>("minimise");
        QTest::newRow("hidden") << false;
        QTest::newRow("minimised") << true;
    }
    void HiddenWindowStepsButDrawsNothing() {
        QFETCH(bool, minimise);
        Start();
        ShowForm();
        Form->DrawWall();
        const TPixelImage shown = Form->TileBitmap;
        int paints = 0;
        auto paintWall = WallPbx()->OnPaint;
        WallPbx()->OnPaint = [&](QPainter& canvas) {
            ++paints;
            paintWall(canvas);
        };
        if (minimise)
            Form->showMinimized();
        else
            Form->hide();
        auto expected = CopyOfModel();
        for (int tick = 0; tick < 3; ++tick) {
            ombrix::StepField(*expected);
            Form->Timer1Timer();
        }
        QVERIFY(SameLiveArea(*Form->Model, *expected));
        QCOMPARE(paints, 0);
        QVERIFY(Form->TileBitmap == shown);
        // Shown again, the wall shows the field as it is now.
        Form->showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(Form));
        QTRY_VERIFY_WITH_TIMEOUT(paints > 0, 10000);
        QVERIFY(TileShowsField(*Form));
    }

    void StartThenStopBeforeAnIntervalPerformsNone() {
        Start();
        SpeedTb()->setValue(300);
        const auto before = CopyOfModel();
        QTest::mouseClick(Button("StartStopBtn"), Qt::LeftButton);
        QTest::mouseClick(Button("StartStopBtn"), Qt::LeftButton);
        QTest::qWait(700);
        QVERIFY(SameLiveArea(*Form->Model, *before));
        QVERIFY(!Timer1()->Enabled());
        QCOMPARE(Button("StartStopBtn")->text(), QStringLiteral("Start"));
    }

    void TrackBarKeysDriveTheInterval_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("position");
        QTest::newRow("home is fastest") << int(Qt::Key_Home) << 10;
        QTest::newRow("end is slowest") << int(Qt::Key_End) << 2000;
        QTest::newRow("down moves the thumb down, slower") << int(Qt::Key_Down) << 1001;
        QTest::newRow("up moves the thumb up, faster") << int(Qt::Key_Up) << 999;
        QTest::newRow("right moves towards the bottom") << int(Qt::Key_Right) << 1001;
        QTest::newRow("left moves towards the top") << int(Qt::Key_Left) << 999;
        QTest::newRow("page down by 2") << int(Qt::Key_PageDown) << 1002;
        QTest::newRow("page up by 2") << int(Qt::Key_PageUp) << 998;
    }
    void TrackBarKeysDriveTheInterval() {
        QFETCH(int, key);
        QFETCH(int, position);
        Start();
        QTest::keyClick(SpeedTb(), Qt::Key(key));
        QCOMPARE(SpeedTb()->value(), position);
        QCOMPARE(Timer1()->Interval(), position);
    }

    void TrackBarStopsAtItsEnds() {
        Start();
        QTest::keyClick(SpeedTb(), Qt::Key_Home);
        QTest::keyClick(SpeedTb(), Qt::Key_Up);
        QCOMPARE(Timer1()->Interval(), 10);
        QTest::keyClick(SpeedTb(), Qt::Key_End);
        QTest::keyClick(SpeedTb(), Qt::Key_PageDown);
        QCOMPARE(Timer1()->Interval(), 2000);
    }

    // The wall repeats the tile from the paint box's origin; odd tile rows are shifted
    // left by AreaW div 2 unless the tiling is plain.
    void WallRepeatsTheTile_data() {
        QTest::addColumn<int>("areaW");
        QTest::addColumn<int>("tiling");
        QTest::newRow("4 plain") << 4 << 0;
        QTest::newRow("4 shifted") << 4 << 1;
        QTest::newRow("5 shifted") << 5 << 1;
        QTest::newRow("1 shifted") << 1 << 1;
        QTest::newRow("4 tiling 7") << 4 << 7;
    }
    void WallRepeatsTheTile() {
        QFETCH(int, areaW);
        QFETCH(int, tiling);
        Start();
        TFieldModel& m = *Form->Model;
        m.AreaW = areaW;
        m.AreaH = 3;
        m.TilingType = tiling;
        for (int x = 1; x <= areaW; ++x)
            for (int y = 1; y <= 3; ++y) {
                m.Field[x][y] = 10 * x + y;
                m.ColorTable[10 * x + y] = PackColor(20 * x, 60 * y, 7);
            }
        Form->resize(145 + 12, 65 + 10);
        ShowForm();
        QCOMPARE(WallPbx()->size(), QSize(12, 10));
        const QImage wall = WallPbx()->grab().toImage();
        for (int y = 0; y < 10; ++y) {
            const int row = y / 3;
            const int shift = (tiling != 0 && row % 2 == 1) ? areaW / 2 : 0;
            for (int x = 0; x < 12; ++x) {
                const int cellX = (x + shift) % areaW + 1;
                const int cellY = y % 3 + 1;
                QCOMPARE(FromQRgb(wall.pixel(x, y)), m.ColorTable[m.Field[cellX][cellY]]);
            }
        }
        QVERIFY(TileShowsField(*Form));
    }

    void ResizingRepaintsTheWholeWall() {
        Start();
        ShowForm();
        Form->resize(900, 700);
        QCOMPARE(WallPbx()->geometry(), QRect(145, 65, 755, 635));
        QCOMPARE(Panel("Panel1")->width(), 900);
        QCOMPARE(Panel("Panel3")->height(), 635);
        const QImage wall = WallPbx()->grab().toImage();
        const TFieldModel& m = *Form->Model;
        // The far corner (754, 634) is pixel (754 mod 128, 634 mod 64) of the tile.
        QCOMPARE(FromQRgb(wall.pixel(754, 634)),
                 m.ColorTable[m.Field[754 % 128 + 1][634 % 64 + 1]]);
    }

    void ColorStripStripes() {
        Start(
            "[Pendrel]\nUseColCnt=3\nColDiv=3\nColor000=255\nColor001=65280\nColor002=16711680\n");
        const QImage strip = ColTblPbx()->grab().toImage();
        QCOMPARE(strip.size(), QSize(512, 45));
        const struct {
            int X;
            TColor Color;
        } expected[] = {{0, 0xFF},     {169, 0xFF},     {170, 0xFF00},
                        {340, 0xFF00}, {341, 0xFF0000}, {511, 0xFF0000}};
        for (const auto& e : expected) {
            QCOMPARE(FromQRgb(strip.pixel(e.X, 0)), e.Color);
            QCOMPARE(FromQRgb(strip.pixel(e.X, 44)), e.Color);
        }
    }

    void PickingAKeyColorRebuildsTheGradient() {
        Start("[Pendrel]\nUseColCnt=10\nColDiv=3\nColor003=1\nColor006=0\n");
        TFieldModel& m = *Form->Model;
        Form->DrawWall();
        const TPixelImage wallBefore = Form->TileBitmap;
        QColor offered;
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QColorDialog*>(modal);
            QVERIFY(dialog);
            offered = dialog->currentColor();
            dialog->setCurrentColor(QColor(30, 60, 90));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        // x = 200 lies in the second of three zones, which picks key entry 3.
        QTest::mouseRelease(ColTblPbx(), Qt::LeftButton, {}, QPoint(200, 20));
        QCOMPARE(offered, ToQColor(1));
        QCOMPARE(m.ColorTable[3], PackColor(30, 60, 90));
        // From entry 3 towards black entry 6 over three steps.
        QCOMPARE(m.ColorTable[4], PackColor(20, 40, 60));
        QCOMPARE(m.ColorTable[5], PackColor(10, 20, 30));
        QVERIFY(Form->TileBitmap == wallBefore); // the wall waits for its next redraw
    }

    void CancelledOrOutsidePickChangesNothing() {
        Start("[Pendrel]\nUseColCnt=10\nColDiv=3\n");
        const auto before = CopyOfModel();
        WhenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<QColorDialog*>(modal);
            dialog->setCurrentColor(Qt::white);
            dialog->reject();
        });
        QTest::mouseRelease(ColTblPbx(), Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(!QApplication::activeModalWidget());
        for (int x : {-3, 512, 900}) {
            QTest::mouseRelease(ColTblPbx(), Qt::LeftButton, {}, QPoint(x, 5));
            QVERIFY2(!QApplication::activeModalWidget(),
                     "a release past the strip opened a dialog");
        }
        QVERIFY(std::memcmp(before->ColorTable, Form->Model->ColorTable,
                            sizeof before->ColorTable) == 0);
    }

    void RandomizeDrawsNewColorsRebuildsAndRedraws() {
        Start();
        const std::uint32_t seedBefore = RandSeed;
        const TColor entry0 = Form->Model->ColorTable[0];
        QTest::mouseClick(Button("Button1"), Qt::LeftButton);
        std::uint32_t seed = seedBefore;
        for (int i = 0; i < 768; ++i)
            seed = seed * 134775813u + 1u;
        QCOMPARE(RandSeed, seed);
        const TFieldModel& m = *Form->Model;
        QVERIFY(m.ColorTable[0] != entry0);
        // Entry 16 is half way from key 0 to key 32.
        auto half = [&](std::uint32_t (*channel)(TColor)) {
            const int from = int(channel(m.ColorTable[0]));
            const int to = int(channel(m.ColorTable[32]));
            return std::uint32_t(from + (to - from) * 16 / 32);
        };
        QCOMPARE(m.ColorTable[16], PackColor(half(RedOf), half(GreenOf), half(BlueOf)));
        QVERIFY(TileShowsField(*Form));
    }

    void FieldInitializeReseedsAndRedrawsAtOnce() {
        Start();
        const auto before = CopyOfModel();
        QTest::mouseClick(Button("Button3"), Qt::LeftButton);
        QVERIFY(!SameLiveArea(*Form->Model, *before));
        QVERIFY(TileShowsField(*Form));
        QVERIFY(!Timer1()->Enabled());
        QCOMPARE(Button("StartStopBtn")->text(), QStringLiteral("Start"));
        QVERIFY(std::memcmp(before->ColorTable, Form->Model->ColorTable,
                            sizeof before->ColorTable) == 0);
    }

    void DetailSettingsOkHandsValuesOver() {
        Start();
        const auto before = CopyOfModel();
        WhenModal([](QWidget* modal) {
            Child<QLineEdit>(*modal, "AreaWEd")->setText(QStringLiteral("200"));
            Child<QLineEdit>(*modal, "AreaHEd")->setText(QStringLiteral("100"));
            Child<QPushButton>(*modal, "OKBtn")->click();
        });
        QTest::mouseClick(Button("Button4"), Qt::LeftButton);
        const TFieldModel& m = *Form->Model;
        QCOMPARE(m.AreaW, 200);
        QCOMPARE(m.AreaH, 100);
        for (int x = 1; x <= 128; ++x)
            for (int y = 1; y <= 64; ++y)
                QCOMPARE(m.Field[x][y], before->Field[x][y]);
        // The colour table was rebuilt: entry 1 now lies on the way from key 0 to key 32.
        QCOMPARE(RedOf(m.ColorTable[1]),
                 std::uint32_t(int(RedOf(m.ColorTable[0])) +
                               (int(RedOf(m.ColorTable[32])) - int(RedOf(m.ColorTable[0]))) / 32));
        QVERIFY(Form->TileBitmap.Empty()); // no redraw
    }

    void DetailSettingsCancelChangesNothing() {
        Start();
        const auto before = CopyOfModel();
        WhenModal([](QWidget* modal) {
            Child<QLineEdit>(*modal, "AreaWEd")->setText(QStringLiteral("9"));
            Child<QPushButton>(*modal, "CancelBtn")->click();
        });
        QTest::mouseClick(Button("Button4"), Qt::LeftButton);
        QVERIFY(std::memcmp(before.get(), Form->Model.get(), sizeof(TFieldModel)) == 0);
    }

    void TextOkStampsAndRedraws() {
        Start();
        WhenModal([](QWidget* modal) { Child<QPushButton>(*modal, "OKBtn")->click(); });
        QTest::mouseClick(Button("Button6"), Qt::LeftButton);
        const TFieldModel& m = *Form->Model;
        int text = 0;
        for (int x = 1; x <= m.AreaW; ++x)
            for (int y = 1; y <= m.AreaH; ++y) {
                QVERIFY(m.Field[x][y] == 0 || m.Field[x][y] == 129);
                text += m.Field[x][y] == 0;
            }
        QVERIFY(text > 0);
        QVERIFY(TileShowsField(*Form));
    }

    void TextCancelDoesNotRedraw() {
        Start();
        const auto before = CopyOfModel();
        WhenModal([](QWidget* modal) { modal->close(); });
        QTest::mouseClick(Button("Button6"), Qt::LeftButton);
        QVERIFY(Form->TileBitmap.Empty());
        QVERIFY(SameLiveArea(*Form->Model, *before));
    }

    void AboutBoxClosesWithEnterOrEscapeAndChangesNothing_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(ResultOK);
        QTest::newRow("Escape") << int(Qt::Key_Escape) << int(ResultCancel);
    }
    void AboutBoxClosesWithEnterOrEscapeAndChangesNothing() {
        QFETCH(int, key);
        QFETCH(int, result);
        Start();
        const auto before = CopyOfModel();
        QString version;
        QPointer<QDialog> box;
        WhenModal([&](QWidget* modal) {
            box = qobject_cast<QDialog*>(modal);
            version = Child<QLabel>(*modal, "Version")->text();
            QTest::keyClick(modal, Qt::Key(key));
        });
        QTest::mouseClick(Button("Button5"), Qt::LeftButton);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->objectName(), QStringLiteral("AboutBox"));
        QCOMPARE(box->result(), result);
        QCOMPARE(version, QStringLiteral("Version  1.03"));
        QVERIFY(std::memcmp(before.get(), Form->Model.get(), sizeof(TFieldModel)) == 0);
    }

    // The lines under the name show whole, descenders included, one below the other
    // inside the panel; the last one names the settings file.
    void AboutBoxLinesFitTheirFontAndNameTheSettingsFile() {
        Start();
        const QStringList names{QStringLiteral("Version"), QStringLiteral("SettingsPathLabel")};
        QDialog* const about = TopLevel<QDialog>("AboutBox");
        QVERIFY(about);
        const QFrame* panel = Child<QFrame>(*about, "Panel1");
        const QLabel* productName = Child<QLabel>(*about, "ProductName");
        const QPushButton* okButton = Child<QPushButton>(*about, "OKButton");
        QList<QLabel*> lines;
        for (QLabel* label : panel->findChildren<QLabel*>())
            if (label != productName)
                lines.append(label);
        std::sort(lines.begin(), lines.end(), [](QLabel* a, QLabel* b) { return a->y() < b->y(); });
        QCOMPARE(lines.size(), 4);
        about->show();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QFontMetricsF metrics(lines[i]->font());
            QVERIFY(lines[i]->height() >= metrics.ascent() + metrics.descent());
            // Drawn in the palette's colours, which a dark palette makes light.
            QCOMPARE(lines[i]->foregroundRole(), QPalette::WindowText);
            QVERIFY(!lines[i]->testAttribute(Qt::WA_SetPalette));
            QVERIFY(lines[i]->geometry().bottom() < panel->height() - 1);
            if (i > 0)
                QVERIFY(lines[i]->y() >= lines[i - 1]->geometry().bottom() + 1);
        }
        QCOMPARE(lines.front()->objectName(), names.front());
        QCOMPARE(lines.back()->objectName(), names.back());
        QCOMPARE(lines.back()->toolTip(), IniPath());
        QVERIFY(!lines.back()->text().isEmpty());
        QVERIFY(lines.back()->fontMetrics().horizontalAdvance(lines.back()->text()) <=
                lines.back()->width());
        QVERIFY(okButton->y() >= panel->geometry().bottom() + 1);
        QVERIFY(okButton->geometry().bottom() < about->height());
        about->hide();
    }

    void SaveWritesThePicture_data() {
        QTest::addColumn<int>("tiling");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("bytes"); // 0: a PNG file, whose size is the encoder's
        QTest::addColumn<bool>("pngFilter");
        QTest::newRow("plain, suffix added") << 0 << "wall"
                                             << "wall.bmp" << 24630 << false;
        QTest::newRow("shifted") << 1 << "wall.bmp"
                                 << "wall.bmp" << 49206 << false;
        QTest::newRow("other extension kept") << 0 << "wall.pic"
                                              << "wall.pic" << 24630 << false;
        QTest::newRow("png filter, suffix added") << 0 << "wall"
                                                  << "wall.png" << 0 << true;
    }
    void SaveWritesThePicture() {
        QFETCH(int, tiling);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(int, bytes);
        QFETCH(bool, pngFilter);
        Start("[Pendrel]\nTilingType=" + QByteArray::number(tiling) + "\n");
        Form->DrawWall();
        const QString typedPath = InDir(typed);
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            if (pngFilter) { // as the user picks it from the list
                auto* types = Child<QComboBox>(*dialog, "fileTypeCombo");
                types->setCurrentIndex(1);
                emit types->activated(1);
                emit types->textActivated(types->itemText(1));
            }
            Child<QLineEdit>(*dialog, "fileNameEdit")->setText(typedPath);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(Button("Button2"), Qt::LeftButton);
        const QString path = InDir(written);
        QCOMPARE(OfferedSaveName(), path);
        if (bytes != 0)
            QCOMPARE(QFileInfo(path).size(), qint64(bytes));
        const QImage picture(path, bytes != 0 ? "BMP" : "PNG");
        QCOMPARE(picture.size(), QSize(128, tiling != 0 ? 128 : 64));
        const TFieldModel& m = *Form->Model;
        QCOMPARE(FromQRgb(picture.pixel(5, 7)), m.ColorTable[m.Field[6][8]]);
        if (tiling != 0) // the lower half is the tile shifted by half its width
            QCOMPARE(FromQRgb(picture.pixel(5, 64 + 7)), m.ColorTable[m.Field[6 + 64][8]]);
    }

    void WallpaperButtonSitsBetweenStartAndSave() {
        Start();
        QCOMPARE(Button("WallpaperBtn")->parentWidget(), Panel("Panel3"));
        QCOMPARE(Button("WallpaperBtn")->geometry(), QRect(64, 272, 57, 25));
        QCOMPARE(Button("WallpaperBtn")->text(), QStringLiteral("壁紙..."));
        QCOMPARE(Button("Button2")->nextInFocusChain(), Button("WallpaperBtn"));
        QCOMPARE(Button("WallpaperBtn")->nextInFocusChain(), Button("Button5"));
    }

    void WallpaperWithNoWayLeftSaysWhereThePictureIs() {
        // No bus, no known desktop, no display: every way fails.
        for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP", "SWAYSOCK",
                                 "DISPLAY", "WAYLAND_DISPLAY"})
            qunsetenv(name);
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Dir->Path().string()));
        Start("[Pendrel]\nTilingType=1\n");
        Form->DrawWall();
        Button("StartStopBtn")->click();
        QString message;
        WhenModal([&](QWidget* modal) {
            auto* group = Child<TRadioGroup>(*modal, "KindRg");
            QVERIFY(group);
            group->Items().at(2)->click(); // "Tile"
            WhenModal([&](QWidget* box) {
                message = qobject_cast<QMessageBox*>(box)->text();
                qobject_cast<QMessageBox*>(box)->accept();
            });
            QTest::keyClick(modal, Qt::Key_Return); // OK is the default button
        });
        QTest::mouseClick(Button("WallpaperBtn"), Qt::LeftButton);
        QTRY_VERIFY(!message.isEmpty());
        qunsetenv("XDG_DATA_HOME");

        const QDir folder(QString::fromStdString(*Dir / "Ombrix/wallpapers"));
        const QStringList files = folder.entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        const QString path = folder.filePath(files[0]);
        QVERIFY2(message.startsWith(QStringLiteral("The desktop background could not be set. The "
                                                   "picture is saved as\n") +
                                    path + QLatin1Char('\n')),
                 qPrintable(message));
        QVERIFY(message.endsWith(QStringLiteral("- X11 root window: no X display.")));
        // The tile over two rows, the lower one shifted by half its width.
        const QImage picture(path, "PNG");
        QCOMPARE(picture.size(), QSize(128, 128));
        const TFieldModel& m = *Form->Model;
        QCOMPARE(FromQRgb(picture.pixel(5, 7)), m.ColorTable[m.Field[6][8]]);
        QCOMPARE(FromQRgb(picture.pixel(5, 64 + 7)), m.ColorTable[m.Field[6 + 64][8]]);
        QCOMPARE(Button("StartStopBtn")->text(), QStringLiteral("Stop"));
        QVERIFY(Timer1()->Enabled());
        QVERIFY(Button("WallpaperBtn")->isEnabled());
    }

    void CancelledSaveKeepsTheName() {
        const QString remembered = InDir(QStringLiteral("old.bmp"));
        Start("[Pendrel]\nFileName=" + remembered.toUtf8() + "\n");
        QCOMPARE(OfferedSaveName(), remembered);
        QCOMPARE(OfferedSaveName(), remembered); // still, after the cancel
    }

    void FirstSaveOpensInThePicturesFolder() {
        const QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", home);
            qputenv("XDG_CONFIG_HOME", config);
        });
        qputenv("HOME", Dir->Path().c_str());
        qputenv("XDG_CONFIG_HOME", InDir(QStringLiteral("config")).toUtf8());
        QDir(InDir(QString())).mkpath(QStringLiteral("Pictures"));
        Start();
        QString offered;
        WhenModal([&](QWidget* modal) {
            offered = qobject_cast<QFileDialog*>(modal)->directory().absolutePath();
            modal->close();
        });
        QTest::mouseClick(Button("Button2"), Qt::LeftButton);
        QCOMPARE(offered, InDir(QStringLiteral("Pictures")));
    }

    void FailedSaveSaysWhyAndRemembersTheName() {
        Start();
        Form->DrawWall();
        const QString path = InDir(QStringLiteral("missing/wall.bmp"));
        QString message;
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            Child<QLineEdit>(*dialog, "fileNameEdit")->setText(path);
            WhenModal([&](QWidget* box) {
                message = qobject_cast<QMessageBox*>(box)->text();
                qobject_cast<QMessageBox*>(box)->accept();
            });
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(Button("Button2"), Qt::LeftButton);
        QTRY_COMPARE(message, QStringLiteral("ﾌｧｲﾙ %1 を作成できません.").arg(path));
        QVERIFY(!QFile::exists(path));
        Close();
        QCOMPARE(IniValue(IniPath(), QStringLiteral("FileName")), path);
    }

    void RefusedSettingsWriteSaysWhyAndKeepsGoing() {
        Start();
        // A folder where the settings file should be: no write can replace it.
        QVERIFY(
            QDir(QString::fromStdString(Dir->Path().string())).mkdir(QStringLiteral("ombrix.ini")));
        QString message;
        WhenModal([&](QWidget* modal) {
            message = qobject_cast<QMessageBox*>(modal)->text();
            qobject_cast<QMessageBox*>(modal)->accept();
        });
        Close();
        QCOMPARE(message, QStringLiteral("%1 に書き込めません.").arg(IniPath()));
        QVERIFY(QFileInfo(IniPath()).isDir());
    }

    void FormsAreReachableWhileOpenAndGoneAfterClose() {
        Start();
        QCOMPARE(TopLevel<QWidget>("OmbrixFm"), Form);
        for (const char* name : FormNames)
            QVERIFY2(TopLevel<QWidget>(name), name);
        QVERIFY(!QFile::exists(IniPath())); // nothing written while the forms are open
        Close();
        for (const char* name : FormNames)
            QVERIFY2(!TopLevel<QWidget>(name), name);
        QCOMPARE(IniValue(IniPath(), QStringLiteral("AreaW")), QStringLiteral("128"));
        QFile::remove(IniPath());
        Forms->Close(); // a second close writes nothing
        QVERIFY(!QFile::exists(IniPath()));
    }

    void AbandonedFormsWriteNoSettings() {
        Start("[Pendrel]\nSpeed=250\n");
        SpeedTb()->setValue(300);
        Form = nullptr;
        Forms.reset();
        for (const char* name : FormNames)
            QVERIFY2(!TopLevel<QWidget>(name), name);
        QCOMPARE(IniValue(IniPath(), QStringLiteral("Speed")), QStringLiteral("250"));
    }

    // A settings file too large to read: the defaults, one message, and the file is kept.
    void UnreadableSettingsStartWithDefaultsAndSayWhy() {
        {
            QFile file(IniPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Pendrel]\nPrmK1=0\nUseColCnt=0\n");
            QVERIFY(file.resize(qint64(1) << 40)); // sparse: takes no disk
        }
        QStringList messages;
        const auto answer = [&](QWidget* modal) {
            messages << qobject_cast<QMessageBox*>(modal)->text();
            qobject_cast<QMessageBox*>(modal)->accept();
        };
        WhenModal(answer);
        Start();
        QCOMPARE(messages, QStringList{QStringLiteral("%1 を読み込めません.").arg(IniPath())});
        const TFieldModel& m = *Form->Model;
        QCOMPARE(m.PrmK1, 2);
        QCOMPARE(m.UseColCnt, 256);
        QCOMPARE(m.Field[1][1], 237); // seeded as on a first start
        Form->StepField();
        // The exit cannot merge the settings into a file it cannot read: it leaves it.
        WhenModal(answer);
        Close();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[1], QStringLiteral("%1 に書き込めません.").arg(IniPath()));
        QCOMPARE(QFileInfo(IniPath()).size(), qint64(1) << 40);
    }

    // Bytes that are no UTF-8 stay as the file system gave them.
    void ExportNameThatIsNoUtf8ComesBackByteForByte() {
        const QByteArray line = "FileName=/tmp/\xff\xfe\x80.bmp\n";
        Start("[Pendrel]\n" + line);
        Close();
        QFile file(IniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\n" + line));
    }

    void SettingsComeBackAfterARestart() {
        Start("[Pendrel]\nAreaW=40\nAreaH=20\nUseColCnt=16\nColDiv=4\nPrmG=7\nTilingType=1\n"
              "FileName=/tmp/x.bmp\n");
        SpeedTb()->setValue(321);
        Form->Model->ColorTable[5] = 0x00123456;
        const auto first = CopyOfModel();
        Close();
        Start(); // the same folder, the settings file just written
        const TFieldModel& m = *Form->Model;
        QCOMPARE(m.AreaW, 40);
        QCOMPARE(m.AreaH, 20);
        QCOMPARE(m.UseColCnt, 16);
        QCOMPARE(m.ColDiv, 4);
        QCOMPARE(m.PrmG, 7);
        QCOMPARE(m.TilingType, 1);
        QCOMPARE(SpeedTb()->value(), 321);
        QCOMPARE(OfferedSaveName(), QStringLiteral("/tmp/x.bmp"));
        QVERIFY(std::memcmp(first->ColorTable, m.ColorTable, sizeof(TColor) * 16) == 0);
        QCOMPARE(m.ColorTable[5], TColor(0x00123456));
        QVERIFY(SameLiveArea(*first, m)); // the same seeded field
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ombrix"));
    InstallFontSubstitutes();
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
