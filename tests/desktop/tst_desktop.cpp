// Setting the background through the real services: a private dbus-daemon with a test
// portal and notification service on it, xfconf's own daemon, the real gsettings with
// GNOME's, MATE's and Cinnamon's schemas on the keyfile backend, the root window of an
// Xvfb screen and a headless sway (as an unprivileged user), read back pixel by pixel.
// Recording stand-ins only for the tools that cannot run here (Plasma's, pcmanfm-qt,
// pcmanfm, hyprctl).
#include "DesktopBackground.h"
#include "Error.h"
#include "LiveEnd.h"
#include "LiveLaunch.h"
#include "PixelImage.h"
#include "PlainPath.h"
#include "PreviousBackground.h"
#include "Publish.h"
#include "WallpaperStore.h"
#include "X11Root.h"
#include "X11Worker.h"
#include "Xvfb.h"

#include <QColorSpace>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QUrl>
#include <QtTest>

#include <memory>

#include <signal.h>
#include <unistd.h>
#include <vector>

using namespace ombrix;
using ombrix::testing::StartXvfb;

Q_DECLARE_METATYPE(ombrix::TWallpaperKind)
Q_DECLARE_METATYPE(ombrix::TWay)
Q_DECLARE_METATYPE(ombrix::TBackgroundOutcome)
Q_DECLARE_METATYPE(ombrix::TPreviousState)

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
    const QRgb colors[] = {qRgb(255, 0, 0),   qRgb(0, 255, 0),    qRgb(0, 0, 255),
                           qRgb(255, 255, 0), qRgb(0, 255, 255),  qRgb(255, 0, 255),
                           qRgb(40, 80, 120), qRgb(255, 255, 255)};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            tile.setPixel(x, y, colors[4 * y + x]);
    return tile;
}

TBackgroundResult SetAndWait(const QString& path, TWallpaperKind kind,
                             const TDesktopSession& session) {
    TBackgroundSetter setter;
    QSignalSpy finished(&setter, &TBackgroundSetter::Finished);
    setter.Start(path, kind, session);
    if (!finished.wait(120000))
        return {
            TBackgroundOutcome::Failed, TWay::Portal, {{TWay::Portal, QStringLiteral("no end")}}};
    return finished.at(0).at(0).value<TBackgroundResult>();
}

QStringList Names(const std::vector<TWay>& ways) {
    QStringList names;
    for (const TWay way : ways)
        names << WayName(way);
    return names;
}

bool Running(qint64 pid) {
    return QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
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

    bool StartPortal(const QString& address, int response, bool withWallpaper = true,
                     bool notify = false) {
        QProcess& portal = NewService();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        portal.setProcessEnvironment(environment);
        portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{PortalScript, QString::number(response), Dir->path()};
        if (!withWallpaper)
            arguments << QStringLiteral("--no-wallpaper");
        if (notify)
            arguments << QStringLiteral("--notify");
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
        const TBackgroundResult result = SetAndWait(Picture, TWallpaperKind::Tile, session);
        QCOMPARE(result.Outcome, outcome);
        // The portal was handed the picture itself, to be set on the background only.
        QCOMPARE(Contents(Dir->filePath(QStringLiteral("received"))), Contents(Picture));
        const QString options =
            QString::fromUtf8(Contents(Dir->filePath(QStringLiteral("options"))));
        QVERIFY2(options.contains(QStringLiteral("set-on=background\n")), qPrintable(options));
        QVERIFY2(options.contains(QStringLiteral("show-preview=0\n")), qPrintable(options));
        if (outcome == TBackgroundOutcome::Failed) {
            QCOMPARE(result.Tried.size(), size_t(2)); // then the X11 root, with no display
            QCOMPARE(
                result.Tried[0],
                (TWayTried{TWay::Portal,
                           QStringLiteral("the desktop portal could not set it (response 2)")}));
        } else {
            QCOMPARE(result.Way, TWay::Portal);
            QVERIFY(result.Tried.empty());
        }
    }

    void NoPortal_data() {
        QTest::addColumn<bool>("bus");
        QTest::addColumn<QString>("address"); // the session's, without a bus of its own
        QTest::addColumn<int>("portal");      // 0 none, 1 without the Wallpaper interface
        QTest::addColumn<QString>("reason");
        QTest::newRow("no session bus") << false << "" << 0 << "no session bus";
        QTest::newRow("a bus address with no bus there")
            << false << "unix:path=/nonexistent/bus" << 0
            << "no session bus at unix:path=/nonexistent/bus";
        QTest::newRow("a bus without the portal")
            << true << "" << 0 << "no desktop portal on the session bus";
        QTest::newRow("a portal without the Wallpaper interface")
            << true << "" << 1 << "the desktop portal has no Wallpaper interface";
    }
    void NoPortal() {
        QFETCH(bool, bus);
        QFETCH(QString, address);
        QFETCH(int, portal);
        QFETCH(QString, reason);
        TDesktopSession session = EmptySession();
        session.BusAddress = address;
        if (bus) {
            session.BusAddress = StartBus();
            QVERIFY(!session.BusAddress.isEmpty());
        }
        if (portal == 1)
            QVERIFY(StartPortal(session.BusAddress, 0, false));
        const TBackgroundResult result = SetAndWait(Picture, TWallpaperKind::Screen, session);
        QCOMPARE(result.Outcome, TBackgroundOutcome::Failed);
        const std::vector<TWayTried> tried{{TWay::Portal, reason},
                                           {TWay::X11Root, QStringLiteral("no X display")}};
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
        // The portal answers 2 first: the next way takes over, and says so in a
        // notification, sent while the setter lives.
        session.BusAddress = StartBus();
        QVERIFY(StartPortal(session.BusAddress, 2, true, true));
        TBackgroundSetter setter;
        QSignalSpy finished(&setter, &TBackgroundSetter::Finished);
        setter.Start(Picture, kind, session);
        QVERIFY(finished.wait(60000));
        const auto result = finished.at(0).at(0).value<TBackgroundResult>();
        const QString notified = Dir->filePath(QStringLiteral("notified"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(notified), 10000);
        QCOMPARE(Contents(notified), "Ombrix|io.github.ombrix.Ombrix|Desktop background set|"
                                     "Ombrix set the picture through GNOME settings "
                                     "(gsettings).\n");
        QCOMPARE(result.Outcome, TBackgroundOutcome::Done);
        QCOMPARE(result.Way, TWay::Gnome);
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
        const TBackgroundResult result = SetAndWait(Picture, TWallpaperKind::Tile, session);
        QCOMPARE(result.Outcome, TBackgroundOutcome::Failed);
        QCOMPARE(result.Tried.at(1),
                 (TWayTried{
                     TWay::Gnome,
                     QStringLiteral("the schema org.gnome.desktop.background is not installed")}));
        QVERIFY(!QFile::exists(Dir->filePath(QStringLiteral("config/glib-2.0/settings/keyfile"))));
    }

    void X11RootWindowKeepsThePicture_data() {
        QTest::addColumn<TWallpaperKind>("kind");
        QTest::newRow("tile repeated by the X server") << TWallpaperKind::Tile;
        QTest::newRow("a picture the size of the screen") << TWallpaperKind::Screen;
        QTest::newRow("a picture the size of the desktop") << TWallpaperKind::AllScreens;
    }
    void X11RootWindowKeepsThePicture() {
        QFETCH(TWallpaperKind, kind);
        const int screenW = 64, screenH = 48;
        // The picture stays when the setter's connection closes: the server does not reset.
        const QString display = StartXvfb(NewService(), screenW, screenH);
        QVERIFY(!display.isEmpty());
        // The expected root: the tile repeated from the corner, as the server tiles it and as
        // the program makes a screen-sized picture.
        QImage expected(screenW, screenH, QImage::Format_RGB32);
        const QImage tile = Tile4x2();
        for (int y = 0; y < screenH; ++y)
            for (int x = 0; x < screenW; ++x)
                expected.setPixel(x, y, tile.pixel(x % 4, y % 2));
        if (kind != TWallpaperKind::Tile)
            QVERIFY(expected.save(Picture, "PNG"));
        TDesktopSession session = EmptySession();
        session.Display = display;
        session.Tools.insert(QStringLiteral("DISPLAY"), session.Display);
        const TBackgroundResult result = SetAndWait(Picture, kind, session);
        QCOMPARE(result.Outcome, TBackgroundOutcome::Done);
        QCOMPARE(result.Way, TWay::X11Root);

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

    // An X server that accepts and never answers (stopped): each attempt fails within its
    // time, leaves no thread behind, and once the server goes on, none of them sets the
    // root after all.
    void HungXServerLeavesNothingBehind() {
        QProcess& xvfb = NewService();
        const QString display = StartXvfb(xvfb, 16, 8);
        QVERIFY(!display.isEmpty());
        TDesktopSession session = EmptySession();
        session.Display = display;
        session.Tools.insert(QStringLiteral("DISPLAY"), display);
        session.ToolTimeout = 2000;
        QVERIFY(QImage(16, 8, QImage::Format_RGB32).save(Picture, "PNG"));
        const auto threads = [] { return QDir(QStringLiteral("/proc/self/task")).count(); };
        ::kill(pid_t(xvfb.processId()), SIGSTOP);
        const auto before = threads();
        for (int attempt = 0; attempt < 3; ++attempt) {
            const TBackgroundResult result = SetAndWait(Picture, TWallpaperKind::Tile, session);
            QCOMPARE(result.Tried.back(),
                     (TWayTried{TWay::X11Root,
                                QStringLiteral("the X server did not answer within 1 s")}));
        }
        QTRY_COMPARE_WITH_TIMEOUT(threads(), before, 5000);
        ::kill(pid_t(xvfb.processId()), SIGCONT);
        QVERIFY(X11Answers(display.toStdString(), std::chrono::milliseconds(10000)));
        QCOMPARE(ReadRootBackground(display.toStdString(), false).Pixmap, 0u);
    }

    // Every wait is bounded and a run can be stopped at any point: a bus that accepts
    // and never answers (a socket of the test's own), Plasma's tool that never ends (a
    // stand-in that sleeps), the whole run's deadline, and a cancel while the tool runs.
    // No tool is left running.
    void WaitsAreBoundedAndCancelable_data() {
        QTest::addColumn<int>("portalTimeout");
        QTest::addColumn<int>("toolTimeout");
        QTest::addColumn<int>("deadline");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<TBackgroundOutcome>("outcome");
        QTest::addColumn<TWay>("way");          // when cancelled; the portal on failure
        QTest::addColumn<QStringList>("tried"); // "way: reason"
        QTest::newRow("a bus that never answers, a tool that never ends")
            << 1000 << 1000 << 60000 << false << TBackgroundOutcome::Failed << TWay::Portal
            << QStringList{WayName(TWay::Portal) + ": no answer from the desktop portal within 1 s",
                           WayName(TWay::Plasma) +
                               ": plasma-apply-wallpaperimage did not finish within 1 s",
                           WayName(TWay::X11Root) + ": no X display"};
        QTest::newRow("the run's deadline")
            << 60000 << 60000 << 1500 << false << TBackgroundOutcome::Failed << TWay::Portal
            << QStringList{WayName(TWay::Portal) + ": no way set the background within 2 s"};
        QTest::newRow("cancelled while the tool runs")
            << 500 << 60000 << 60000 << true << TBackgroundOutcome::Cancelled << TWay::Plasma
            << QStringList{WayName(TWay::Portal) +
                           ": no answer from the desktop portal within 1 s"};
    }
    void WaitsAreBoundedAndCancelable() {
        QFETCH(int, portalTimeout);
        QFETCH(int, toolTimeout);
        QFETCH(int, deadline);
        QFETCH(bool, cancel);
        QFETCH(TBackgroundOutcome, outcome);
        QFETCH(TWay, way);
        QFETCH(QStringList, tried);
        QLocalServer stuck; // accepts, and never says a word
        QVERIFY(stuck.listen(Dir->filePath(QStringLiteral("bus"))));
        const QString bin = Dir->filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        const QString pidFile = Dir->filePath(QStringLiteral("tool.pid"));
        QFile tool(bin + QStringLiteral("/plasma-apply-wallpaperimage"));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\necho $$ > '" + pidFile.toUtf8() + "'\nexec sleep 60\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        TDesktopSession session = EmptySession();
        session.BusAddress = QStringLiteral("unix:path=") + stuck.fullServerName();
        session.DesktopNames = {QStringLiteral("KDE")};
        session.Tools.insert(QStringLiteral("PATH"), bin + QStringLiteral(":/usr/bin:/bin"));
        session.PortalTimeout = portalTimeout;
        session.ToolTimeout = toolTimeout;
        session.Deadline = deadline;
        TBackgroundSetter setter;
        QSignalSpy finished(&setter, &TBackgroundSetter::Finished);
        setter.Start(Picture, TWallpaperKind::Tile, session);
        QVERIFY(finished.isEmpty() && setter.Running());
        if (cancel) {
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(pidFile).size() > 0, 20000);
            setter.Cancel();
            QCOMPARE(finished.size(), 1);
        } else {
            QVERIFY(finished.wait(20000));
        }
        const auto result = finished.at(0).at(0).value<TBackgroundResult>();
        QCOMPARE(result.Outcome, outcome);
        QVERIFY(!setter.Running());
        QCOMPARE(result.Way, way);
        QStringList told;
        for (const TWayTried& each : result.Tried)
            told << WayName(each.Way) + QStringLiteral(": ") + each.Reason;
        QCOMPARE(told, tried);
        if (QFile::exists(pidFile)) {
            const qint64 pid = QString::fromLatin1(Contents(pidFile)).trimmed().toLongLong();
            QTRY_VERIFY_WITH_TIMEOUT(!Running(pid), 5000);
        }
    }

    void WaysForEachDesktop_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("sway");
        QTest::addColumn<QStringList>("ways");
        QTest::addColumn<QString>("hyprland");
        const auto row = [](const char* name, const char* desktop, const char* sway,
                            const char* hyprland, std::optional<TWay> way) {
            QTest::newRow(name) << desktop << sway
                                << (way ? Names({TWay::Portal, *way, TWay::X11Root})
                                        : Names({TWay::Portal, TWay::X11Root}))
                                << hyprland;
        };
        row("none", "", "", "", {});
        row("an unknown desktop", "Foo:Bar", "", "", {});
        row("GNOME", "GNOME", "", "", TWay::Gnome);
        row("GNOME Classic", "GNOME-Classic:GNOME", "", "", TWay::Gnome);
        row("Ubuntu", "ubuntu:GNOME", "", "", TWay::Gnome);
        row("Budgie", "Budgie:GNOME", "", "", TWay::Gnome);
        row("Pantheon", "pantheon", "", "", TWay::Gnome);
        row("Unity", "Unity", "", "", TWay::Gnome);
        row("Xfce", "XFCE", "", "", TWay::Xfce);
        row("MATE", "MATE", "", "", TWay::Mate);
        row("Cinnamon", "X-Cinnamon", "", "", TWay::Cinnamon);
        row("LXQt", "LXQt", "", "", TWay::Lxqt);
        row("LXDE", "LXDE", "", "", TWay::Lxde);
        row("Hyprland", "Hyprland", "", "abc_123", TWay::Hyprland);
        row("KDE", "KDE", "", "", TWay::Plasma);
        row("sway", "sway", "/run/s.sock", "", TWay::Sway);
    }
    void WaysForEachDesktop() {
        QFETCH(QString, desktop);
        QFETCH(QString, sway);
        QFETCH(QStringList, ways);
        QFETCH(QString, hyprland);
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE"), hyprland);
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), desktop);
        environment.insert(QStringLiteral("SWAYSOCK"), sway);
        const TDesktopSession session = TDesktopSession::FromEnvironment(environment);
        QCOMPARE(Names(WaysFor(session)), ways);
        QCOMPARE(CanTile(session), hyprland.isEmpty());
    }

    // sway expands the path of its background command as a shell would: every name
    // here reaches it as data, through a plain-named link, and shows on the output as
    // read back with grim. sway says success for a missing picture; that is caught.
    void SwayTakesEveryPathAsData() {
        QVERIFY(QFile::setPermissions(Dir->path(), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner | QFile::ReadOther |
                                                       QFile::ExeOther));
        const QString runtime = Dir->filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(runtime + QStringLiteral("/ombrix")));
        // sway does not run as root: root runs it, and grim, as nobody, in folders given to
        // nobody; anyone else runs them as themselves.
        const bool root = geteuid() == 0;
        if (root)
            for (const QString& folder : {runtime, runtime + QStringLiteral("/ombrix")})
                QCOMPARE(
                    QProcess::execute(QStringLiteral("chown"), {QStringLiteral("nobody"), folder}),
                    0);
        QFile config(Dir->filePath(QStringLiteral("sway.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("output HEADLESS-1 resolution 64x48 scale 1\n");
        config.close();
        QProcessEnvironment swayEnvironment;
        swayEnvironment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        swayEnvironment.insert(QStringLiteral("HOME"), runtime);
        swayEnvironment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        swayEnvironment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
        swayEnvironment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
        swayEnvironment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
        const auto startAsUser = [root](QProcess& process, QStringList command) {
            if (root)
                return process.start(QStringLiteral("setpriv"),
                                     QStringList{QStringLiteral("--reuid=nobody"),
                                                 QStringLiteral("--regid=nogroup"),
                                                 QStringLiteral("--clear-groups")} +
                                         command);
            process.start(command.takeFirst(), command);
        };
        QProcess& sway = NewService();
        sway.setProcessEnvironment(swayEnvironment);
        sway.setWorkingDirectory(runtime); // where a `touch MARK` that got through lands
        sway.setStandardOutputFile(QProcess::nullDevice());
        sway.setStandardErrorFile(QProcess::nullDevice());
        startAsUser(sway, {QStringLiteral("sway"), QStringLiteral("-c"), config.fileName()});
        QTRY_VERIFY_WITH_TIMEOUT(
            !QDir(runtime).entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System).isEmpty(),
            20000);
        TDesktopSession session = EmptySession();
        session.SwaySocket = QDir(runtime).filePath(
            QDir(runtime).entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System).at(0));
        session.RuntimeFolder = runtime;
        session.Wayland = true;
        const auto shown = [&]() {
            QProcess grim;
            grim.setProcessEnvironment(swayEnvironment);
            QProcessEnvironment e = swayEnvironment;
            e.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-1"));
            grim.setProcessEnvironment(e);
            startAsUser(grim, {QStringLiteral("grim"), QStringLiteral("-")});
            grim.waitForFinished(20000);
            return QImage::fromData(grim.readAllStandardOutput(), "PNG");
        };

        const QStringList names{QStringLiteral("$(touch MARK).png"),
                                QStringLiteral("`touch MARK`.png"),
                                QStringLiteral("a\\\";touch MARK;\".png"),
                                QStringLiteral("semi; touch MARK.png"),
                                QStringLiteral("new\nline.png"),
                                QStringLiteral("with space's \"quotes\".png"),
                                QStringLiteral("-starts-with-a-dash.png"),
                                QStringLiteral("plain.png")};
        for (int i = 0; i < names.size(); ++i) {
            const QString path = Dir->filePath(names[i]);
            const QRgb color = qRgb(40 * i, 255 - 30 * i, 128);
            QImage tile(4, 4, QImage::Format_RGB32);
            tile.fill(color);
            QVERIFY(tile.save(path, "PNG"));
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
            const TBackgroundResult result = SetAndWait(path, TWallpaperKind::Tile, session);
            QVERIFY2(result.Outcome == TBackgroundOutcome::Done && result.Way == TWay::Sway,
                     qPrintable(names[i] + QLatin1Char(' ') + result.Tried.back().Reason));
            QImage screen;
            for (int tries = 0; tries < 50; ++tries) {
                screen = shown();
                if (!screen.isNull() && screen.pixel(10, 10) == color &&
                    screen.pixel(63, 47) == color)
                    break;
                QTest::qWait(100);
            }
            QCOMPARE(screen.size(), QSize(64, 48));
            QCOMPARE(screen.pixel(10, 10), color);
            QCOMPARE(screen.pixel(63, 47), color);
            QVERIFY2(!QFile::exists(runtime + QStringLiteral("/MARK")), qPrintable(names[i]));
        }
        // Only the latest link stays in the private folder.
        QCOMPARE(
            QDir(runtime + QStringLiteral("/ombrix")).entryList(QDir::Files | QDir::System).size(),
            1);

        const QString missing = Dir->filePath(QStringLiteral("missing.png"));
        QCOMPARE(
            SetAndWait(missing, TWallpaperKind::Screen, session).Tried.at(1),
            (TWayTried{TWay::Sway, QStringLiteral("sway cannot read the picture ") + missing}));
    }

    // Each desktop's way gets the path as data, whatever its characters, and the fit in
    // the desktop's own words: read back from the real settings stores (gsettings with
    // each schema, xfconf's daemon on a private bus) or from the stand-ins' records.
    // Each way's settings, read back from the real stores (gsettings, xfconf's daemon) or
    // from what a stand-in tool was given, one line an argument: "schema key" for
    // gsettings, "xfconf MONITOR KEY", "record" for the stand-in's arguments. In the
    // expected values %path is the picture's path (%escaped with line breaks as \n),
    // %uri its file URI, %link the plain link to it, %fit the fit's word for Tile, This
    // screen and All screens, in turn.
    void EveryToolTakesThePathAsData_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<TWay>("way");
        QTest::addColumn<QStringList>("reads");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("fits");
        const QStringList gsettingsFits{"wallpaper", "zoom", "spanned"};
        QTest::newRow("GNOME") << "GNOME" << TWay::Gnome
                               << QStringList{"org.gnome.desktop.background picture-uri",
                                              "org.gnome.desktop.background picture-uri-dark",
                                              "org.gnome.desktop.background picture-options"}
                               << QStringList{"%uri", "%uri", "%fit"} << gsettingsFits;
        QTest::newRow("MATE") << "MATE" << TWay::Mate
                              << QStringList{"org.mate.background picture-filename",
                                             "org.mate.background picture-options"}
                              << QStringList{"%path", "%fit"} << gsettingsFits;
        QTest::newRow("Cinnamon") << "X-Cinnamon" << TWay::Cinnamon
                                  << QStringList{"org.cinnamon.desktop.background picture-uri",
                                                 "org.cinnamon.desktop.background picture-options"}
                                  << QStringList{"%uri", "%fit"} << gsettingsFits;
        QTest::newRow("Xfce") << "XFCE" << TWay::Xfce
                              << QStringList{"xfconf Virtual-1 last-image",
                                             "xfconf Virtual-1 image-style",
                                             "xfconf HDMI-2 last-image",
                                             "xfconf HDMI-2 image-style"}
                              << QStringList{"%path", "%fit", "%path", "%fit"}
                              << QStringList{"2", "5", "6"};
        QTest::newRow("LXQt") << "LXQt" << TWay::Lxqt << QStringList{"record"}
                              << QStringList{"--set-wallpaper=%escaped", "--wallpaper-mode=%fit",
                                             ""}
                              << QStringList{"tile", "zoom", "stretch"};
        QTest::newRow("LXDE") << "LXDE" << TWay::Lxde << QStringList{"record"}
                              << QStringList{"--set-wallpaper=%escaped", "--wallpaper-mode=%fit",
                                             ""}
                              << QStringList{"tile", "crop", "screen"};
        QTest::newRow("Hyprland") << "Hyprland" << TWay::Hyprland << QStringList{"record"}
                                  << QStringList{"hyprpaper", "preload", "%link", "hyprpaper",
                                                 "wallpaper", ",%link",  ""}
                                  << QStringList{"", "", ""};
    }
    void EveryToolTakesThePathAsData() {
        QFETCH(QString, desktop);
        QFETCH(TWay, way);
        QFETCH(QStringList, reads);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, fits);
        TDesktopSession session = EmptySession();
        session.DesktopNames = {desktop};
        session.Monitors = {QStringLiteral("Virtual-1"), QStringLiteral("HDMI-2")};
        session.RuntimeFolder = Dir->filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(session.RuntimeFolder));
        if (way == TWay::Hyprland)
            session.HyprlandInstance = QStringLiteral("test");
        // The stand-ins write their arguments, one a line with newlines escaped.
        const QString bin = Dir->filePath(QStringLiteral("bin"));
        const QString record = Dir->filePath(QStringLiteral("record"));
        QVERIFY(QDir().mkpath(bin));
        for (const char* tool : {"pcmanfm-qt", "pcmanfm", "hyprctl"}) {
            QFile standIn(bin + QLatin1Char('/') + QLatin1String(tool));
            QVERIFY(standIn.open(QIODevice::WriteOnly));
            standIn.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" | sed -z "
                          "'s/\\n$//; s/\\n/\\\\n/g'; echo; done >> '" +
                          record.toUtf8() + "'\n");
            standIn.close();
            standIn.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        session.Tools.insert(QStringLiteral("PATH"),
                             bin + QLatin1Char(':') + qEnvironmentVariable("PATH"));
        if (way == TWay::Xfce) {
            const QString bus = StartBus();
            QVERIFY(!bus.isEmpty());
            session.Tools.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
        }
        const auto tool = [&](const QString& program, const QStringList& arguments) {
            QProcess run;
            run.setProcessEnvironment(session.Tools);
            run.start(program, arguments);
            run.waitForFinished(30000);
            return QString::fromUtf8(run.readAllStandardOutput()).trimmed();
        };
        const auto gsettings = [&](const QString& schema, const QString& key) {
            // A GVariant text: in quotes, with \\, \" or \' and \n escaped.
            const QString text =
                tool(QStringLiteral("gsettings"), {QStringLiteral("get"), schema, key});
            QString value;
            for (qsizetype i = 1; i + 1 < text.size(); ++i)
                if (text[i] == QLatin1Char('\\') && ++i < text.size())
                    value += text[i] == QLatin1Char('n') ? QChar(u'\n') : text[i];
                else
                    value += text[i];
            return value;
        };
        const auto xfconf = [&](const QString& key) {
            return tool(
                QStringLiteral("xfconf-query"),
                {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-p"), key});
        };
        const QString xfce = QStringLiteral("/backdrop/screen0/monitor%1/workspace0/");

        const TWallpaperKind kinds[] = {TWallpaperKind::Tile, TWallpaperKind::Screen,
                                        TWallpaperKind::AllScreens};
        const QStringList names{QStringLiteral("$(touch MARK)"), QStringLiteral("`x` \\\" ; y"),
                                QStringLiteral("new\nline 'q'"), QStringLiteral("-dash, b c")};
        for (int i = 0; i < names.size(); ++i) {
            const QString path = Dir->filePath(names[i]);
            QVERIFY(QFile::copy(Picture, path));
            QFile::remove(record);
            QCOMPARE(SetAndWait(path, kinds[i % 3], session).Way, way);
            QStringList held;
            for (const QString& read : reads) {
                const QStringList part = read.split(QLatin1Char(' '));
                if (part[0] == QStringLiteral("record"))
                    held << QString::fromUtf8(Contents(record)).split(QLatin1Char('\n'));
                else if (part[0] == QStringLiteral("xfconf"))
                    held << xfconf(xfce.arg(part[1]) + part[2]);
                else
                    held << gsettings(part[0], part[1]);
            }
            // Hyprland gets a plain link to the picture.
            const QString link = way == TWay::Hyprland ? held.value(2) : QString();
            if (!link.isEmpty()) {
                QVERIFY2(IsPlainPath(link), qPrintable(link));
                QCOMPARE(QFileInfo(link).symLinkTarget(), path);
            }
            QString escaped = path;
            escaped.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
            QStringList want;
            for (QString each : expected)
                want << each.replace(QStringLiteral("%fit"), fits[i % 3])
                            .replace(QStringLiteral("%link"), link)
                            .replace(QStringLiteral("%escaped"), escaped)
                            .replace(QStringLiteral("%uri"),
                                     QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded))
                            .replace(QStringLiteral("%path"), path);
            QCOMPARE(held, want);
        }
        QVERIFY(!QFile::exists(Dir->filePath(QStringLiteral("MARK"))));
    }

    // The user's own background is remembered before Ombrix sets its picture, kept when
    // the picture is set again (Ombrix's own is never remembered as the one before), and
    // put back exactly, read back from the real settings stores: gsettings with each
    // schema, xfconf's daemon on a private bus. Xfce's keys that did not exist before go.
    void PreviousBackgroundIsPutBack_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<TWay>("way");
        // schema or channel, then key and the user's value (a GVariant text for gsettings)
        QTest::addColumn<QStringList>("own");
        QTest::newRow("GNOME") << "GNOME" << TWay::Gnome
                               << QStringList{"org.gnome.desktop.background",
                                              "picture-uri",
                                              "'file:///home/u/it%27s%20mine.jpg'",
                                              "picture-uri-dark",
                                              "'file:///home/u/dark.png'",
                                              "picture-options",
                                              "'centered'"};
        QTest::newRow("MATE") << "MATE" << TWay::Mate
                              << QStringList{"org.mate.background", "picture-filename",
                                             "'/home/u/new\\nline \\'q\\'.jpg'", "picture-options",
                                             "'stretched'"};
        QTest::newRow("Cinnamon") << "X-Cinnamon" << TWay::Cinnamon
                                  << QStringList{"org.cinnamon.desktop.background", "picture-uri",
                                                 "'file:///home/u/mint.jpg'", "picture-options",
                                                 "'scaled'"};
        // HDMI-2 has a picture but no style of its own yet.
        QTest::newRow("Xfce") << "XFCE" << TWay::Xfce
                              << QStringList{"xfce4-desktop",
                                             "/backdrop/screen0/monitorVirtual-1/workspace0/"
                                             "last-image",
                                             "/home/u/my picture.jpg",
                                             "/backdrop/screen0/monitorVirtual-1/workspace0/"
                                             "image-style",
                                             "1",
                                             "/backdrop/screen0/monitorHDMI-2/workspace0/"
                                             "last-image",
                                             "/home/u/second.png"};
    }
    void PreviousBackgroundIsPutBack() {
        QFETCH(QString, desktop);
        QFETCH(TWay, way);
        QFETCH(QStringList, own);
        TDesktopSession session = EmptySession();
        session.DesktopNames = {desktop};
        session.Monitors = {QStringLiteral("Virtual-1"), QStringLiteral("HDMI-2")};
        const bool xfce = way == TWay::Xfce;
        if (xfce) {
            const QString bus = StartBus();
            QVERIFY(!bus.isEmpty());
            session.Tools.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
        }
        const auto tool = [&](const QStringList& arguments) {
            QProcess run;
            run.setProcessEnvironment(session.Tools);
            run.start(xfce ? QStringLiteral("xfconf-query") : QStringLiteral("gsettings"),
                      arguments);
            run.waitForFinished(30000);
            return run.exitCode() == 0 ? QString::fromUtf8(run.readAllStandardOutput()).trimmed()
                                       : QStringLiteral("(none)");
        };
        const auto held = [&] {
            QStringList values;
            for (qsizetype i = 1; i < own.size(); i += 2)
                values << tool(xfce ? QStringList{"-c", own[0], "-p", own[i]}
                                    : QStringList{"get", own[0], own[i]});
            if (xfce) // the key Ombrix adds
                values << tool(
                    {"-c", own[0], "-p", "/backdrop/screen0/monitorHDMI-2/workspace0/image-style"});
            return values;
        };
        const QString data = Dir->filePath(QStringLiteral("data"));
        QCOMPARE(PreviousState(data, session), TPreviousState::NothingYet);
        for (qsizetype i = 1; i < own.size(); i += 2)
            QCOMPARE(tool(xfce ? QStringList{"-c", own[0], "-p", own[i], "-n", "-t",
                                             own[i].endsWith("style") ? "int" : "string", "-s",
                                             own[i + 1]}
                               : QStringList{"set", own[0], own[i], own[i + 1]}),
                     QString());
        const QStringList before = held();

        TWallpaperPublisher publisher;
        QSignalSpy finished(&publisher, &TWallpaperPublisher::Finished);
        QStringList pictures;
        for (int press = 0; press < 2; ++press) {
            pictures << publisher.Start(
                data, [this](const QString& path) { QVERIFY(QFile::copy(Picture, path)); },
                TWallpaperKind::Tile, session);
            QVERIFY(finished.wait(60000));
            QCOMPARE(finished.back().at(0).value<TBackgroundResult>().Way, way);
            QVERIFY(held() != before);
        }
        QVERIFY2(held().join(' ').contains(pictures.back()), qPrintable(held().join(' ')));
        QCOMPARE(PreviousState(data, session), TPreviousState::Remembered);

        publisher.Restore(data, session);
        QVERIFY(finished.wait(60000));
        const auto result = finished.back().at(0).value<TBackgroundResult>();
        QCOMPARE(result.Outcome, TBackgroundOutcome::Done);
        QCOMPARE(result.Way, way);
        QCOMPARE(finished.back().at(1).toString(), QString());
        QCOMPARE(held(), before);
    }

    // A bare X11 root: the picture another program left there is copied before Ombrix's
    // replaces it, and put back from the copy, read back from the server after the
    // setter's connections have closed.
    void PreviousRootPictureIsPutBack() {
        const int screenW = 48, screenH = 32;
        const QString display = StartXvfb(NewService(), screenW, screenH);
        QVERIFY(!display.isEmpty());
        TDesktopSession session = EmptySession();
        session.Display = display;
        session.Tools.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString());
        // Another program's background: a gradient, no two pixels alike.
        QImage theirs(screenW, screenH, QImage::Format_RGB32);
        for (int y = 0; y < screenH; ++y)
            for (int x = 0; x < screenW; ++x)
                theirs.setPixel(x, y, qRgb(5 * x, 7 * y, 255 - 3 * x - 2 * y));
        const QString data = Dir->filePath(QStringLiteral("data"));
        const auto root = [&] {
            QProcess import;
            QProcessEnvironment environment = session.Tools;
            environment.insert(QStringLiteral("DISPLAY"), session.Display);
            import.setProcessEnvironment(environment);
            import.start(
                QStringLiteral("import"),
                {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
            import.waitForFinished(60000);
            // The pixels alone: the file's colour space is no part of the picture here.
            QImage shown = QImage::fromData(import.readAllStandardOutput(), "PNG")
                               .convertToFormat(QImage::Format_RGB32);
            shown.setColorSpace(theirs.colorSpace());
            return shown;
        };
        SetRootBackground(session.Display.toStdString(),
                          {screenW, screenH, screenW,
                           reinterpret_cast<const std::uint32_t*>(theirs.constBits())});
        QCOMPARE(root(), theirs);
        QCOMPARE(PreviousState(data, session), TPreviousState::NothingYet);

        TWallpaperPublisher publisher;
        QSignalSpy finished(&publisher, &TWallpaperPublisher::Finished);
        for (int press = 0; press < 2; ++press) {
            publisher.Start(
                data, [this](const QString& path) { QVERIFY(QFile::copy(Picture, path)); },
                TWallpaperKind::Tile, session);
            QVERIFY(finished.wait(60000));
            QCOMPARE(finished.back().at(0).value<TBackgroundResult>().Way, TWay::X11Root);
            QCOMPARE(root().pixel(5, 1), Tile4x2().pixel(1, 1));
        }
        QCOMPARE(PreviousState(data, session), TPreviousState::Remembered);
        publisher.Restore(data, session);
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.back().at(0).value<TBackgroundResult>().Outcome,
                 TBackgroundOutcome::Done);
        QCOMPARE(root(), theirs);
    }

    // Nothing to put back: a desktop that cannot be read, nothing remembered yet, a
    // remembered file edited by hand. Each is a reason in the result, in the message.
    void NothingToPutBack_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QByteArray>("file"); // empty: none
        QTest::addColumn<TPreviousState>("state");
        QTest::addColumn<QString>("reason");
        QTest::newRow("KDE") << "KDE" << QByteArray() << TPreviousState::Unreadable
                             << "the desktop's own settings: this desktop's background cannot be "
                                "read, so none was remembered";
        QTest::newRow("nothing yet")
            << "GNOME" << QByteArray() << TPreviousState::NothingYet
            << WayName(TWay::Gnome) + ": no earlier background of this desktop is remembered";
        QTest::newRow("another desktop's")
            << "GNOME"
            << QByteArray(R"({"previous": {"place": "mate", "keys": [["picture-filename", "'/a'"]]},
                              "ours": {"keys": []}})")
            << TPreviousState::NothingYet
            << WayName(TWay::Gnome) + ": no earlier background of this desktop is remembered";
        QTest::newRow("edited by hand")
            << "GNOME" << QByteArray(R"({"previous": {"place": "gnome", "keys": [["a"]]}})")
            << TPreviousState::NothingYet
            << WayName(TWay::Gnome) +
                   ": The remembered background in %1 cannot be read: it is not the file "
                   "Ombrix wrote";
    }
    void NothingToPutBack() {
        QFETCH(QString, desktop);
        QFETCH(QByteArray, file);
        QFETCH(TPreviousState, state);
        QFETCH(QString, reason);
        const QString data = Dir->filePath(QStringLiteral("data"));
        const QString remembered = RememberedFile(MakeWallpaperFolder(data));
        if (!file.isEmpty()) {
            QFile out(remembered);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        TDesktopSession session = EmptySession();
        session.DesktopNames = {desktop};
        QCOMPARE(PreviousState(data, session), state);
        TWallpaperPublisher publisher;
        QSignalSpy finished(&publisher, &TWallpaperPublisher::Finished);
        publisher.Restore(data, session);
        QVERIFY(finished.isEmpty());
        QVERIFY(finished.wait(20000));
        const auto result = finished.back().at(0).value<TBackgroundResult>();
        QCOMPARE(result.Outcome, TBackgroundOutcome::Failed);
        QCOMPARE(BackgroundFailureMessage(result, QString()),
                 QStringLiteral("The previous desktop background could not be put back.\n\n"
                                "Ways tried:\n- ") +
                     (reason.contains(QLatin1String("%1")) ? reason.arg(remembered) : reason));
    }

    void FailureMessageNamesThePictureAndEveryWay() {
        TBackgroundResult result;
        result.Tried = {{TWay::Portal, QStringLiteral("no session bus")},
                        {TWay::X11Root, QStringLiteral("cannot open the display")}};
        QCOMPARE(BackgroundFailureMessage(result, QStringLiteral("/home/u/w/ombrix-1.png")),
                 QStringLiteral("The desktop background could not be set. The picture is saved as\n"
                                "/home/u/w/ombrix-1.png\nto set it by hand.\n\nWays tried:\n"
                                "- desktop portal: no session bus\n"
                                "- X11 root window: cannot open the display"));
    }

    void SessionFromTheEnvironment() {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=/b"));
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("ubuntu:GNOME"));
        environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":0"));
        environment.insert(QStringLiteral("SWAYSOCK"), QStringLiteral("/run/sway.sock"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("run/user/1"));
        const TDesktopSession session = TDesktopSession::FromEnvironment(environment);
        QCOMPARE(session.RuntimeFolder, QString()); // relative: ignored
        QCOMPARE(session.BusAddress, QStringLiteral("unix:path=/b"));
        QCOMPARE(session.DesktopNames,
                 (QStringList{QStringLiteral("ubuntu"), QStringLiteral("GNOME")}));
        QVERIFY(session.Wayland);
        QCOMPARE(session.Display, QStringLiteral(":0"));
        QCOMPARE(session.SwaySocket, QStringLiteral("/run/sway.sock"));
        QVERIFY(!TDesktopSession::FromEnvironment(QProcessEnvironment()).Wayland);
    }

    // The root window's way fails in a Wayland session without trying, and on a display
    // that cannot be opened with the display's name.
    void RootWindowReasons_data() {
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<QString>("reason");
        QTest::newRow("Wayland") << true << "a Wayland session, whose background X11 cannot reach";
        QTest::newRow("no X server") << false << "cannot open the X display :4095";
    }
    void RootWindowReasons() {
        QFETCH(bool, wayland);
        QFETCH(QString, reason);
        TDesktopSession session = EmptySession();
        session.Display = QStringLiteral(":4095");
        session.Wayland = wayland;
        const TBackgroundResult result = SetAndWait(Picture, TWallpaperKind::Tile, session);
        QCOMPARE(result.Tried.back(), (TWayTried{TWay::X11Root, reason}));
    }

    void SwayWithoutItsSocket() {
        TDesktopSession session = EmptySession();
        session.SwaySocket = Dir->filePath(QStringLiteral("sway-ipc.gone.sock"));
        session.RuntimeFolder = Dir->path(); // for the link with a plain name
        const TBackgroundResult result = SetAndWait(Picture, TWallpaperKind::Tile, session);
        QCOMPARE(result.Tried.at(1),
                 (TWayTried{TWay::Sway, QStringLiteral("no sway at ") + session.SwaySocket}));
    }

    void NewNamesFollowTheClock() {
        const QDateTime now(QDate(2026, 12, 7), QTime(16, 18, 0, 123), QTimeZone::utc());
        const QString first = NewWallpaperPath(Dir->path(), now);
        QCOMPARE(first, Dir->filePath(QStringLiteral("ombrix-20261207-161800-123.png")));
        QVERIFY(QFile(first).open(QIODevice::WriteOnly));
        QCOMPARE(NewWallpaperPath(Dir->path(), now),
                 Dir->filePath(QStringLiteral("ombrix-20261207-161800-124.png")));
    }

    // By modification time, not by name: pictures named for a later date do not push out
    // the one just written; links and other names are not the clean-up's to remove.
    void OnlyTheFiveNewestAreKept() {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        // name, age in minutes
        const std::vector<std::pair<QString, int>> files{
            {QStringLiteral("ombrix-20991231-000000-000.png"), 50},
            {QStringLiteral("ombrix-20991231-000000-001.png"), 40},
            {QStringLiteral("ombrix-20200101-000000-000.png"), 1},
            {QStringLiteral("ombrix-20200101-000000-001.png"), 2},
            {QStringLiteral("ombrix-20200101-000000-002.png"), 3},
            {QStringLiteral("ombrix-20200101-000000-003.png"), 30},
            {QStringLiteral("ombrix-20200101-000000-004.png"), 4},
            {QStringLiteral("mine.png"), 100},
            {QStringLiteral("ombrix-old.png"), 100},
            {QStringLiteral("ombrix-20100101-000000-000.png"), 600}}; // the one just written
        for (const auto& [name, age] : files) {
            QFile file(Dir->filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(now.addSecs(-60 * age), QFileDevice::FileModificationTime));
        }
        // Someone else's link, named as the pictures are, to a file of its own.
        QVERIFY(QFile::link(Dir->filePath(QStringLiteral("mine.png")),
                            Dir->filePath(QStringLiteral("ombrix-20000101-000000-000.png"))));
        KeepNewestWallpapers(Dir->path(),
                             Dir->filePath(QStringLiteral("ombrix-20100101-000000-000.png")));
        QStringList left =
            QDir(Dir->path())
                .entryList({QStringLiteral("*.png")}, QDir::Files | QDir::System, QDir::Name);
        left.removeOne(QStringLiteral("it's a wall.png"));
        QCOMPARE(left, (QStringList{QStringLiteral("mine.png"),
                                    QStringLiteral("ombrix-20000101-000000-000.png"),
                                    QStringLiteral("ombrix-20100101-000000-000.png"),
                                    QStringLiteral("ombrix-20200101-000000-000.png"),
                                    QStringLiteral("ombrix-20200101-000000-001.png"),
                                    QStringLiteral("ombrix-20200101-000000-002.png"),
                                    QStringLiteral("ombrix-20200101-000000-004.png"),
                                    QStringLiteral("ombrix-old.png")}));
    }

    // Publishing writes a new picture, keeps the newest, and reports the outcome with the
    // picture's path; a writer that fails starts nothing.
    void PublishWritesKeepsAndReports() {
        const QString data = Dir->filePath(QStringLiteral("data"));
        TWallpaperPublisher publisher;
        QSignalSpy finished(&publisher, &TWallpaperPublisher::Finished);
        QStringList written;
        for (int i = 0; i < 7; ++i) {
            written << publisher.Start(
                data, [this](const QString& path) { QVERIFY(QFile::copy(Picture, path)); },
                TWallpaperKind::Tile, EmptySession());
            QVERIFY(finished.wait(20000));
        }
        QCOMPARE(finished.size(), 7);
        const auto result = finished.back().at(0).value<TBackgroundResult>();
        QCOMPARE(result.Outcome, TBackgroundOutcome::Failed);
        QCOMPARE(finished.back().at(1).toString(), written.back());
        const QDir folder(data + QStringLiteral("/wallpapers"));
        QStringList kept = written.mid(2);
        for (QString& path : kept)
            path = QFileInfo(path).fileName();
        QCOMPARE(folder.entryList(QDir::Files, QDir::Name), kept);
        QCOMPARE(Contents(written.back()), Contents(Picture));

        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 publisher.Start(
                                     data,
                                     [](const QString&) { throw std::runtime_error("disk full"); },
                                     TWallpaperKind::Tile, EmptySession()));
        QVERIFY(!publisher.Running());
    }

    // The live wallpaper on an X display and a bus of the test's own: started from the
    // window's Live choice though its autostart entry cannot be saved (a file stands where
    // the autostart folder goes, which stops root too), then ended, its entry removed, by
    // a still picture published in its place.
    void StillPictureEndsTheLiveWallpaper() {
        TDesktopSession session = EmptySession();
        session.BusAddress = StartBus();
        QVERIFY(StartPortal(session.BusAddress, 0));
        const QString display = StartXvfb(NewService(), 64, 48);
        QVERIFY(!display.isEmpty());
        // The live program is started detached, with this process's environment.
        qputenv("DBUS_SESSION_BUS_ADDRESS", session.BusAddress.toLocal8Bit());
        qputenv("DISPLAY", display.toLocal8Bit());
        qunsetenv("WAYLAND_DISPLAY");
        QDBusConnection bus = QDBusConnection::connectToBus(session.BusAddress, "test");
        const auto live = [&bus] {
            return bus.interface()
                ->isServiceRegistered(QStringLiteral("io.github.ombrix.Ombrix.Live"))
                .value();
        };
        const QString program = QStringLiteral(OMBRIX_LIVE_PROGRAM);
        const QString settings = Dir->filePath(QStringLiteral("live.ini"));
        QVERIFY(QFile(Dir->filePath(QStringLiteral("autostart"))).open(QIODevice::WriteOnly));
        const QString autostart = Dir->filePath(QStringLiteral("autostart/live.desktop"));
        const QString unsaved = LaunchLive(true, autostart, program, settings);
        QVERIFY2(unsaved.contains(autostart), qPrintable(unsaved));
        QTRY_VERIFY_WITH_TIMEOUT(live(), 30000);

        QVERIFY(QFile::remove(Dir->filePath(QStringLiteral("autostart"))));
        SetLiveAutostart(true, autostart, program, settings);
        TWallpaperPublisher publisher;
        TLivePlace place{program, autostart, session.Tools, 30000};
        place.Environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session.BusAddress);
        publisher.EndLiveFirst(place);
        QSignalSpy finished(&publisher, &TWallpaperPublisher::Finished);
        publisher.Start(
            Dir->filePath(QStringLiteral("data")),
            [this](const QString& path) { QVERIFY(QFile::copy(Picture, path)); },
            TWallpaperKind::Tile, session);
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(0).at(0).value<TBackgroundResult>().Outcome, TBackgroundOutcome::Done);
        QCOMPARE(finished.at(0).at(2).toString(), QString());
        QVERIFY(!QFileInfo::exists(autostart));
        QTRY_VERIFY_WITH_TIMEOUT(!live(), 10000);
    }

    // A tile where the desktop cannot repeat one (Hyprland) is published as a picture of
    // the screen, the tile repeated from the corner; elsewhere as the tile itself.
    void PublishRepeatsTheTileWhereTheDesktopCannot() {
        TPixelImage tile(4, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                tile.SetPixel(x, y, TColor(0x10 * (4 * y + x + 1)));
        TWallpaperPublisher publisher;
        QSignalSpy finished(&publisher, &TWallpaperPublisher::Finished);
        const QString data = Dir->filePath(QStringLiteral("data"));
        TDesktopSession hyprland = EmptySession();
        hyprland.HyprlandInstance = QStringLiteral("abc");
        for (const auto& [session, size] :
             {std::pair{EmptySession(), QSize(4, 2)}, std::pair{hyprland, QSize(10, 5)}}) {
            const QImage shown(
                publisher.Publish(data, tile, TWallpaperKind::Tile, QSize(10, 5), session));
            QVERIFY(finished.wait(20000));
            QCOMPARE(shown.size(), size);
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    QCOMPARE(qRed(shown.pixel(x, y)), 0x10 * (4 * (y % 2) + x % 4 + 1));
        }
        QVERIFY_THROWS_EXCEPTION(
            std::runtime_error,
            publisher.Publish(data, tile, TWallpaperKind::Tile, QSize(), hyprland));
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
        } catch (const TError& e) {
            QCOMPARE(e.Failure(), TFailure::MakeFolder);
            QCOMPARE(QString::fromStdString(e.Subject()), blocked + QStringLiteral("/wallpapers"));
        }
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
