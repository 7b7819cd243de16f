// The gallery driven like a user on the offscreen platform, with the program's forms.
#include "Application.h"
#include "AutomatonTimer.h"
#include "Child.h"
#include "Colors.h"
#include "Files.h"
#include "Forms.h"
#include "Gallery.h"
#include "LookFile.h"
#include "OmbrixMain.h"
#include "PaintBox.h"
#include "RadioGroup.h"
#include "Random.h"
#include "TestModel.h"
#include "TrackBar.h"
#include "WhenModal.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <memory>

using namespace ombrix;
using ombrix::testing::Child;
using ombrix::testing::RandomStateGuard;
using ombrix::testing::TempDir;
using ombrix::testing::WhenModal;

class TestGallery : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> Dir;
    std::unique_ptr<RandomStateGuard> Seed;
    std::unique_ptr<TForms> Forms;
    TOmbrixFm* Form = nullptr;

    QPushButton* Button(const char* name) const { return Child<QPushButton>(*Form, name); }

    // The gallery's thumbnails, first to last, by their names.
    static std::vector<TThumbnail*> Thumbnails(const TGalleryFm& gallery) {
        std::vector<TThumbnail*> all;
        while (auto* next = gallery.findChild<TThumbnail*>(
                   QStringLiteral("Thumbnail%1").arg(all.size() + 1)))
            all.push_back(next);
        return all;
    }
    static TAutomatonTimer* Timer1(const TGalleryFm& gallery) {
        return Child<TAutomatonTimer>(gallery, "Timer1");
    }
    TTrackBar* SpeedTb() const { return Child<TTrackBar>(*Form, "SpeedTb"); }

    TGalleryFm* OpenGallery() {
        SpeedTb()->setValue(2000); // the test steps the thumbnails itself
        QTest::mouseClick(Button("GalleryBtn"), Qt::LeftButton);
        auto* gallery = Form->findChild<TGalleryFm*>();
        if (gallery && !QTest::qWaitForWindowExposed(gallery))
            return nullptr;
        return gallery;
    }

private slots:
    void init() {
        Dir = std::make_unique<TempDir>();
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Dir->Path().string()));
        Seed = std::make_unique<RandomStateGuard>(0);
        Forms = std::make_unique<TForms>(*Dir / "ombrix.ini");
        Form = &Forms->Main();
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form));
    }
    void cleanup() {
        Form = nullptr;
        Forms.reset();
        Seed.reset();
        Dir.reset();
    }

    // Opening the gallery leaves the program's sequence alone; every thumbnail lives at
    // generation 300 and steps only while the gallery shows. A click adopts the look
    // exactly as the detail dialog's OK with the look's colours and "Field Initialize".
    void AdoptingEqualsDetailDialogPlusColours() {
        const std::uint32_t seed = RandSeed;
        TGalleryFm* gallery = OpenGallery();
        QVERIFY(gallery);
        QCOMPARE(RandSeed, seed);
        const std::vector<TThumbnail*> thumbnails = Thumbnails(*gallery);
        QCOMPARE(int(thumbnails.size()), 12);
        QVERIFY(Timer1(*gallery)->Enabled());
        Timer1(*gallery)->SetEnabled(false); // the test steps the thumbnails itself
        for (TThumbnail* thumbnail : thumbnails) {
            QVERIFY(thumbnail->Variation().Generation >= 300);
            QCOMPARE(thumbnail->Variation().Fate, TFieldFate::Lives);
            QVERIFY(LivelyRanges.Contains(thumbnail->Variation().Look));
            QCOMPARE(thumbnail->Variation().Field->Width(), 128);
        }
        QCOMPARE(Timer1(*gallery)->Interval(), 2000);
        const int generation = thumbnails[0]->Variation().Generation;
        gallery->Timer1Timer();
        QCOMPARE(thumbnails[0]->Variation().Generation, generation + 1);

        const TLook look = thumbnails[4]->Variation().Look;
        const auto before = std::make_unique<TFieldModel>(*Form->Model);
        QTest::mouseClick(Child<TPaintBox>(*thumbnails[4], "FieldPbx"), Qt::LeftButton);
        const auto adopted = std::make_unique<TFieldModel>(*Form->Model);
        const std::uint32_t seedAdopted = RandSeed;
        QCOMPARE(LookOf(*adopted), look);
        QVERIFY(seedAdopted != seed);

        *Form->Model = *before;
        RandSeed = seed;
        WhenModal([&](QWidget* modal) {
            const auto edit = [&](const char* name, int value) {
                Child<QLineEdit>(*modal, name)->setText(QString::number(value));
            };
            edit("AreaWEd", look.AreaW);
            edit("AreaHEd", look.AreaH);
            edit("UseColCntEd", look.UseColCnt);
            edit("ColDivEd", look.ColDiv);
            edit("PrmGEd", look.PrmG);
            edit("PrmK1Ed", look.PrmK1);
            edit("PrmK2Ed", look.PrmK2);
            Child<TRadioGroup>(*modal, "TilingTypeRg")->Items()[look.TilingType]->click();
            Child<QPushButton>(*modal, "OKBtn")->click();
        });
        QTest::mouseClick(Button("Button4"), Qt::LeftButton);
        std::copy_n(look.ColorTable.begin(), look.UseColCnt, Form->Model->ColorTable);
        Form->MakeColorTable();
        QTest::mouseClick(Button("Button3"), Qt::LeftButton);
        QCOMPARE(RandSeed, seedAdopted);
        QVERIFY(std::memcmp(adopted.get(), Form->Model.get(), sizeof(TFieldModel)) == 0);

        gallery->hide(); // steps only while shown
        QVERIFY(!Timer1(*gallery)->Enabled());
        gallery->show();
        QVERIFY(Timer1(*gallery)->Enabled());
        gallery->hide();
        QVERIFY(!Timer1(*gallery)->Enabled());
    }

    // Stars keep a thumbnail and the current look with their pictures; the favourites tab
    // adopts and removes them; an exported look reads back as the window's.
    void FavouritesAndExport() {
        TGalleryFm* gallery = OpenGallery();
        QVERIFY(gallery);
        const QString folder =
            QString::fromStdString(Dir->Path().string()) + QStringLiteral("/Ombrix/favourites/");
        TThumbnail* starred = Thumbnails(*gallery)[1];
        QTest::mouseClick(Child<QToolButton>(*starred, "StarBtn"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(*gallery, "StarCurrentBtn"), Qt::LeftButton);
        QCOMPARE(ReadLookFile((folder + "favourite-0001.ini").toStdString()),
                 starred->Variation().Look);
        QCOMPARE(ReadLookFile((folder + "favourite-0002.ini").toStdString()), LookOf(*Form->Model));
        // The picture: the field repeated 2 x 2, one pixel per cell.
        const QImage picture(folder + "favourite-0001.png");
        const TLargeField& field = *starred->Variation().Field;
        QCOMPARE(picture.size(), QSize(256, 128));
        const TLook& look = starred->Variation().Look;
        for (const QPoint at : {QPoint(0, 0), QPoint(37, 5), QPoint(40, 70), QPoint(255, 127)}) {
            const int shift = look.TilingType != 0 && at.y() >= 64 ? 64 : 0;
            const TColor cell =
                look.ColorTable[field.At((at.x() + shift) % 128 + 1, at.y() % 64 + 1)];
            QCOMPARE(FromQRgb(picture.pixel(at)), cell);
        }

        const int generation = starred->Variation().Generation;
        auto* favourites = Child<QScrollArea>(*gallery, "FavouritesTab");
        Child<QTabWidget>(*gallery, "Tabs")->setCurrentWidget(favourites);
        gallery->Timer1Timer(); // the thumbnails are out of sight: no step
        QCOMPARE(starred->Variation().Generation, generation);
        auto* first = favourites->findChild<QWidget*>(QStringLiteral("Favourite1"));
        QVERIFY(first);
        QTest::mouseClick(first->findChild<TPaintBox*>(), Qt::LeftButton);
        QCOMPARE(LookOf(*Form->Model), starred->Variation().Look);
        auto* second = favourites->findChild<QWidget*>(QStringLiteral("Favourite2"));
        QTest::mouseClick(second->findChild<QToolButton*>(QStringLiteral("RemoveBtn")),
                          Qt::LeftButton);
        QVERIFY(!QFile::exists(folder + "favourite-0002.ini"));
        QVERIFY(!QFile::exists(folder + "favourite-0002.png"));
        QVERIFY(QFile::exists(folder + "favourite-0001.png"));

        const QString shared = QString::fromStdString(*Dir / "shared");
        gallery->ExportLook(shared + ".ini");
        QCOMPARE(ReadLookFile((shared + ".ini").toStdString()), LookOf(*Form->Model));
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ombrix"));
    TestGallery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_gallery.moc"
