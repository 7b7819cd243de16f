// Setting the background through the real services: a private dbus-daemon with a test
// portal on it, the real gsettings with its schema on the keyfile backend, and feh on
// an Xvfb screen read back pixel by pixel.
#include "DesktopBackground.h"
#include "WallpaperStore.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QUrl>
#include <QtTest>

#include <memory>
#include <vector>

using namespace ombrix;

Q_DECLARE_METATYPE(ombrix::TWallpaperKind)
Q_DECLARE_METATYPE(ombrix::TBackgroundOutcome)

namespace {

const QString PortalScript = QStringLiteral(OMBRIX_TEST_SOURCE_DIR "/portal_service.py");

// Starts `program` and returns the first line it prints, or an empty text.
QString StartAndReadLine(QProcess& process, const QString& program, const QStringList& arguments) {
    process.setProgram(program);
    process.setArguments(arguments);
    process.start();
    if (!process.waitForStarted(20000))
        return {};
    while (!process.canReadLine())
        if (!process.waitForReadyRead(20000))
            return {};
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A tile of four colours, 4 x 2, written as a PNG file.
QImage Tile4x2() {
    QImage tile(4, 2, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0),   qRgb(0, 255, 0),    qRgb(0, 0, 255),
                            qRgb(255, 255, 0), qRgb(0, 255, 255),  qRgb(255, 0, 255),
                            qRgb(40, 80, 120), qRgb(255, 255, 255)};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            tile.setPixel(x, y, colours[4 * y + x]);
    return tile;
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> Dir;
    std::vector<std::unique_ptr<QProcess>> Services;
    QString Picture;

    QProcess& NewService() {
        Services.push_back(std::make_unique<QProcess>());
        return *Services.back();
    }

    // A session with nothing in it: no bus, no desktop, no display; the tools find
    // their settings and home under the test's folder.
    TDesktopSession EmptySession() const {
        TDesktopSession session;
        QProcessEnvironment tools;
        tools.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        tools.insert(QStringLiteral("HOME"), Dir->path());
        tools.insert(QStringLiteral("XDG_CONFIG_HOME"), Dir->filePath(QStringLiteral("config")));
        tools.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
        session.Tools = tools;
        session.PortalTimeout = 30000;
        return session;
    }

    QString StartBus() {
        const QString address =
            StartAndReadLine(NewService(), QStringLiteral("dbus-daemon"),
                             {QStringLiteral("--session"), QStringLiteral("--print-address"),
                              QStringLiteral("--nofork")});
        return address;
    }

    bool StartPortal(const QString& address, int response, bool withWallpaper = true) {
        QProcess& portal = NewService();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        portal.setProcessEnvironment(environment);
        portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{PortalScript, QString::number(response), Dir->path()};
        if (!withWallpaper)
            arguments << QStringLiteral("--no-wallpaper");
        return StartAndReadLine(portal, QStringLiteral("/usr/bin/python3"), arguments) ==
               QStringLiteral("ready");
    }

    QString Gsettings(const TDesktopSession& session, const QString& key) {
        QProcess get;
        get.setProcessEnvironment(session.Tools);
        get.start(QStringLiteral("gsettings"),
                  {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.background"), key});
        get.waitForFinished(30000);
        return QString::fromUtf8(get.readAllStandardOutput()).trimmed();
    }

private slots:
    void init() {
        Dir = std::make_unique<QTemporaryDir>();
        Picture = Dir->filePath(QStringLiteral("it's a wall.png"));
        QVERIFY(Tile4x2().save(Picture, "PNG"));
    }
    void cleanup() {
        for (auto& service : Services) {
            service->terminate();
            if (!service->waitForFinished(10000))
                service->kill();
            service->waitForFinished(10000);
        }
        Services.clear();
        Dir.reset();
    }

    void PortalAnswers_data() {
        QTest::addColumn<int>("response");
        QTest::addColumn<TBackgroundOutcome>("outcome");
        QTest::newRow("set") << 0 << TBackgroundOutcome::Done;
        QTest::newRow("cancelled by the user") << 1 << TBackgroundOutcome::Cancelled;
        QTest::newRow("failed") << 2 << TBackgroundOutcome::Failed;
    }
    void PortalAnswers() {
        QFETCH(int, response);
        QFETCH(TBackgroundOutcome, outcome);
        TDesktopSession session = EmptySession();
        session.BusAddress = StartBus();
        QVERIFY(!session.BusAddress.isEmpty());
        QVERIFY(StartPortal(session.BusAddress, response));
        const TBackgroundResult result =
            SetDesktopBackground(Picture, TWallpaperKind::Tile, session);
        QCOMPARE(result.Outcome, outcome);
        // The portal was handed the picture itself, to be set on the background only.
        QCOMPARE(Contents(Dir->filePath(QStringLiteral("received"))), Contents(Picture));
        const QString options =
            QString::fromUtf8(Contents(Dir->filePath(QStringLiteral("options"))));
        QVERIFY2(options.contains(QStringLiteral("set-on=background\n")), qPrintable(options));
        QVERIFY2(options.contains(QStringLiteral("show-preview=0\n")), qPrintable(options));
        if (outcome == TBackgroundOutcome::Failed) {
            QCOMPARE(result.Tried.size(), size_t(5)); // then every other way, none applying
            QCOMPARE(
                result.Tried[0],
                (TWayTried{PortalWay,
                           QStringLiteral("the desktop portal could not set it (response 2)")}));
        } else {
            QCOMPARE(result.Way, PortalWay);
            QVERIFY(result.Tried.empty());
        }
    }

    void NoPortal_data() {
        QTest::addColumn<bool>("bus");
        QTest::addColumn<int>("portal"); // 0 none, 1 without the Wallpaper interface
        QTest::addColumn<QString>("reason");
        QTest::newRow("no session bus") << false << 0 << "no session bus";
        QTest::newRow("a bus without the portal")
            << true << 0 << "no desktop portal on the session bus";
        QTest::newRow("a portal without the Wallpaper interface")
            << true << 1 << "the desktop portal has no Wallpaper interface";
    }
    void NoPortal() {
        QFETCH(bool, bus);
        QFETCH(int, portal);
        QFETCH(QString, reason);
        TDesktopSession session = EmptySession();
        if (bus) {
            session.BusAddress = StartBus();
            QVERIFY(!session.BusAddress.isEmpty());
        }
        if (portal == 1)
            QVERIFY(StartPortal(session.BusAddress, 0, false));
        const TBackgroundResult result =
            SetDesktopBackground(Picture, TWallpaperKind::Screen, session);
        QCOMPARE(result.Outcome, TBackgroundOutcome::Failed);
        const std::vector<TWayTried> tried{{PortalWay, reason},
                                           {GnomeWay, QStringLiteral("not a GNOME-family desktop")},
                                           {PlasmaWay, QStringLiteral("not a KDE Plasma desktop")},
                                           {SwayWay, QStringLiteral("not a sway session")},
                                           {FehWay, QStringLiteral("no X display")}};
        QVERIFY(result.Tried == tried);
    }

    void GnomeSettings_data() {
        QTest::addColumn<TWallpaperKind>("kind");
        QTest::addColumn<QString>("options");
        QTest::newRow("tile") << TWallpaperKind::Tile << "'wallpaper'";
        QTest::newRow("all screens") << TWallpaperKind::AllScreens << "'spanned'";
        QTest::newRow("this screen") << TWallpaperKind::Screen << "'zoom'";
    }
    void GnomeSettings() {
        QFETCH(TWallpaperKind, kind);
        QFETCH(QString, options);
        TDesktopSession session = EmptySession();
        session.DesktopNames = {QStringLiteral("ubuntu"), QStringLiteral("GNOME")};
        // The portal answers 2 first: the next way takes over.
        session.BusAddress = StartBus();
        QVERIFY(StartPortal(session.BusAddress, 2));
        const TBackgroundResult result = SetDesktopBackground(Picture, kind, session);
        QCOMPARE(result.Outcome, TBackgroundOutcome::Done);
        QCOMPARE(result.Way, GnomeWay);
        QCOMPARE(result.Tried.size(), size_t(1));
        // gsettings prints a text holding a ' between double quotes.
        const QString uri = QUrl::fromLocalFile(Picture).toString(QUrl::FullyEncoded);
        QCOMPARE(Gsettings(session, QStringLiteral("picture-uri")),
                 QLatin1Char('"') + uri + QLatin1Char('"'));
        QCOMPARE(Gsettings(session, QStringLiteral("picture-uri-dark")),
                 QLatin1Char('"') + uri + QLatin1Char('"'));
        QCOMPARE(Gsettings(session, QStringLiteral("picture-options")), options);
    }

    void GnomeWithoutTheSchema() {
        TDesktopSession session = EmptySession();
        session.DesktopNames = {QStringLiteral("GNOME")};
        QVERIFY(QDir(Dir->path()).mkdir(QStringLiteral("no-schemas")));
        session.Tools.insert(QStringLiteral("XDG_DATA_DIRS"),
                             Dir->filePath(QStringLiteral("no-schemas")));
        const TBackgroundResult result =
            SetDesktopBackground(Picture, TWallpaperKind::Tile, session);
        QCOMPARE(result.Outcome, TBackgroundOutcome::Failed);
        QCOMPARE(
            result.Tried.at(1),
            (TWayTried{GnomeWay, QStringLiteral(
                                     "the schema org.gnome.desktop.background is not installed")}));
        QVERIFY(!QFile::exists(Dir->filePath(QStringLiteral("config/glib-2.0/settings/keyfile"))));
    }

    void FehOnTheRootWindow_data() {
        QTest::addColumn<TWallpaperKind>("kind");
        QTest::newRow("tile repeated by feh") << TWallpaperKind::Tile;
        QTest::newRow("a picture the size of the screen") << TWallpaperKind::Screen;
        QTest::newRow("a picture the size of the desktop") << TWallpaperKind::AllScreens;
    }
    void FehOnTheRootWindow() {
        QFETCH(TWallpaperKind, kind);
        const int screenW = 64, screenH = 48;
        const QString display = StartAndReadLine(
            NewService(), QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
             QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(screenW).arg(screenH),
             QStringLiteral("-nolisten"), QStringLiteral("tcp"),
             // feh leaves its picture behind when it exits; a reset would clear it.
             QStringLiteral("-noreset")});
        QVERIFY(!display.isEmpty());
        // The expected root: the tile repeated from the corner, as feh tiles it and as
        // the program makes a screen-sized picture.
        QImage expected(screenW, screenH, QImage::Format_RGB32);
        const QImage tile = Tile4x2();
        for (int y = 0; y < screenH; ++y)
            for (int x = 0; x < screenW; ++x)
                expected.setPixel(x, y, tile.pixel(x % 4, y % 2));
        if (kind != TWallpaperKind::Tile)
            QVERIFY(expected.save(Picture, "PNG"));
        TDesktopSession session = EmptySession();
        session.Display = QLatin1Char(':') + display;
        session.Tools.insert(QStringLiteral("DISPLAY"), session.Display);
        const TBackgroundResult result = SetDesktopBackground(Picture, kind, session);
        QCOMPARE(result.Outcome, TBackgroundOutcome::Done);
        QCOMPARE(result.Way, FehWay);

        QProcess import;
        import.setProcessEnvironment(session.Tools);
        import.start(QStringLiteral("import"),
                     {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
        QVERIFY(import.waitForFinished(60000));
        const QImage root = QImage::fromData(import.readAllStandardOutput(), "PNG");
        QCOMPARE(root.size(), QSize(screenW, screenH));
        for (int y = 0; y < screenH; ++y)
            for (int x = 0; x < screenW; ++x)
                QVERIFY2(root.pixel(x, y) == expected.pixel(x, y),
                         qPrintable(QStringLiteral("root pixel (%1, %2)").arg(x).arg(y)));
    }

    void FailureMessageNamesThePictureAndEveryWay() {
        TBackgroundResult result;
        result.Tried = {{PortalWay, QStringLiteral("no session bus")},
                        {FehWay, QStringLiteral("feh is not installed")}};
        QCOMPARE(BackgroundFailureMessage(result, QStringLiteral("/home/u/w/ombrix-1.png")),
                 QStringLiteral("The desktop background could not be set. The picture is saved as\n"
                                "/home/u/w/ombrix-1.png\nto set it by hand.\n\nWays tried:\n"
                                "- desktop portal: no session bus\n"
                                "- X11 root window (feh): feh is not installed"));
    }

    void SessionFromTheEnvironment() {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=/b"));
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("ubuntu:GNOME"));
        environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":0"));
        environment.insert(QStringLiteral("SWAYSOCK"), QStringLiteral("/run/sway.sock"));
        const TDesktopSession session = TDesktopSession::FromEnvironment(environment);
        QCOMPARE(session.BusAddress, QStringLiteral("unix:path=/b"));
        QCOMPARE(session.DesktopNames,
                 (QStringList{QStringLiteral("ubuntu"), QStringLiteral("GNOME")}));
        QVERIFY(session.Wayland);
        QCOMPARE(session.Display, QStringLiteral(":0"));
        QCOMPARE(session.SwaySocket, QStringLiteral("/run/sway.sock"));
        QVERIFY(!TDesktopSession::FromEnvironment(QProcessEnvironment()).Wayland);
    }

    void WaylandSessionIsNotSetThroughX11() {
        TDesktopSession session = EmptySession();
        session.Display = QStringLiteral(":99");
        session.Wayland = true;
        const TBackgroundResult result =
            SetDesktopBackground(Picture, TWallpaperKind::Tile, session);
        QCOMPARE(result.Tried.back(),
                 (TWayTried{FehWay, QStringLiteral(
                                        "a Wayland session, whose background X11 cannot reach")}));
    }

    void NewNamesFollowTheClock() {
        const QDateTime now(QDate(2026, 12, 7), QTime(16, 18, 0, 123), QTimeZone::utc());
        const QString first = NewWallpaperPath(Dir->path(), now);
        QCOMPARE(first, Dir->filePath(QStringLiteral("ombrix-20261207-161800-123.png")));
        QVERIFY(QFile(first).open(QIODevice::WriteOnly));
        QCOMPARE(NewWallpaperPath(Dir->path(), now),
                 Dir->filePath(QStringLiteral("ombrix-20261207-161800-124.png")));
    }

    void OnlyTheFiveNewestAreKept() {
        const QStringList names{QStringLiteral("ombrix-20261207-161800-001.png"),
                                QStringLiteral("ombrix-20261207-161800-002.png"),
                                QStringLiteral("ombrix-20261208-000000-000.png"),
                                QStringLiteral("ombrix-20261207-235959-999.png"),
                                QStringLiteral("ombrix-20251207-161800-000.png"),
                                QStringLiteral("ombrix-20261207-161801-000.png"),
                                QStringLiteral("ombrix-20261207-161800-003.png"),
                                QStringLiteral("mine.png"),
                                QStringLiteral("ombrix-old.png")};
        for (const QString& name : names)
            QVERIFY(QFile(Dir->filePath(name)).open(QIODevice::WriteOnly));
        KeepNewestWallpapers(Dir->path());
        QStringList left =
            QDir(Dir->path()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
        left.removeOne(QStringLiteral("it's a wall.png"));
        QCOMPARE(left, (QStringList{QStringLiteral("mine.png"),
                                    QStringLiteral("ombrix-20261207-161800-002.png"),
                                    QStringLiteral("ombrix-20261207-161800-003.png"),
                                    QStringLiteral("ombrix-20261207-161801-000.png"),
                                    QStringLiteral("ombrix-20261207-235959-999.png"),
                                    QStringLiteral("ombrix-20261208-000000-000.png"),
                                    QStringLiteral("ombrix-old.png")}));
    }

    void WallpaperFolderIsMadeOrNamed() {
        const QString data = Dir->filePath(QStringLiteral("data/Ombrix"));
        QCOMPARE(MakeWallpaperFolder(data), data + QStringLiteral("/wallpapers"));
        QVERIFY(QFileInfo(data + QStringLiteral("/wallpapers")).isDir());
        // A file where the folder should be.
        const QString blocked = Dir->filePath(QStringLiteral("blocked"));
        QVERIFY(QFile(blocked).open(QIODevice::WriteOnly));
        try {
            MakeWallpaperFolder(blocked);
            QFAIL("no error");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QStringLiteral("The folder %1/wallpapers for the wallpaper pictures cannot be "
                                    "made or written to")
                         .arg(blocked));
        }
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
