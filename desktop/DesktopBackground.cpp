// The run's state machine: the ways of the session tried in turn, each ending in a reason
// or a success, one deadline over them all, and the one Finished at the end. How each way
// sets a picture is in SetWays.cpp, the reading and putting back in ReadBack.cpp.
#include "DesktopBackground.h"

#include "PortalWallpaper.h"
#include "PreviousBackground.h"

#include <QCoreApplication>

#include <utility>

namespace ombrix {

TDesktopSession TDesktopSession::FromEnvironment(const QProcessEnvironment& environment) {
    TDesktopSession session;
    session.BusAddress = environment.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    session.DesktopNames = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP"))
                               .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    session.Wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
                      environment.value(QStringLiteral("XDG_SESSION_TYPE"))
                              .compare(QStringLiteral("wayland"), Qt::CaseInsensitive) == 0;
    session.SwaySocket = environment.value(QStringLiteral("SWAYSOCK"));
    session.HyprlandInstance = environment.value(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE"));
    session.Display = environment.value(QStringLiteral("DISPLAY"));
    // The XDG rule: a relative path is to be ignored.
    const QString runtime = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (runtime.startsWith(QLatin1Char('/')))
        session.RuntimeFolder = runtime;
    session.Tools = environment;
    return session;
}

TBackgroundSetter::TBackgroundSetter(QObject* parent) : QObject(parent) {
    qRegisterMetaType<TBackgroundResult>();
    Deadline_.setSingleShot(true);
    WayTimer_.setSingleShot(true);
    connect(&Deadline_, &QTimer::timeout, this, [this] {
        if (Succeeded_)
            return Finish(TBackgroundOutcome::Done);
        Result_.Tried.push_back(
            {Next_ > 0 ? Ways_.at(Next_ - 1) : Ways_.front(),
             QCoreApplication::translate("Background", "no way set the background within %1 s")
                 .arg((Session_.Deadline + 999) / 1000)});
        Finish(TBackgroundOutcome::Failed);
    });
}

TBackgroundSetter::~TBackgroundSetter() {
    Stop();
}

void TBackgroundSetter::Start(const QString& path, TWallpaperKind kind,
                              const TDesktopSession& session) {
    Path_ = path;
    Kind_ = kind;
    Begin(session, WaysFor(session), [this] {
        if (!Session_.PreviousFile.isEmpty() && ReadablePlace(Session_) != TBackgroundPlace::None)
            Remember();
        else
            NextWay();
    });
}

void TBackgroundSetter::Restore(const TDesktopSession& session) {
    Begin(session, {PlaceWay(ReadablePlace(session)).value_or(TWay::OwnSettings)}, [this] {
        ++Next_;
        PutBack();
    });
    Restoring_ = true;
}

void TBackgroundSetter::Begin(const TDesktopSession& session, std::vector<TWay> ways,
                              std::function<void()> first) {
    Stop();
    Session_ = session;
    Ways_ = std::move(ways);
    Next_ = 0;
    Result_ = {};
    Running_ = true;
    Restoring_ = false;
    Succeeded_ = false;
    Deadline_.start(session.Deadline);
    const unsigned step = ++Step_;
    QMetaObject::invokeMethod(
        this,
        [this, step, first] {
            if (step == Step_)
                first();
        },
        Qt::QueuedConnection);
}

void TBackgroundSetter::Cancel() {
    if (Running_)
        Finish(Succeeded_ ? TBackgroundOutcome::Done : TBackgroundOutcome::Cancelled);
}

void TBackgroundSetter::EndWaits() {
    ++Step_;
    WayTimer_.stop();
    WayTimer_.disconnect(this);
    Helper_.reset();
    Tools_.Stop();
    if (X11Cancel_)
        *X11Cancel_ = true;
    X11Cancel_.reset();
}

void TBackgroundSetter::Stop() {
    EndWaits();
    Running_ = false;
    Deadline_.stop();
}

void TBackgroundSetter::Finish(TBackgroundOutcome outcome) {
    Stop();
    Result_.Outcome = outcome;
    if (outcome != TBackgroundOutcome::Failed && Next_ > 0)
        Result_.Way = Ways_.at(Next_ - 1);
    if (outcome == TBackgroundOutcome::Done)
        Notification_ =
            Notify(Session_.BusAddress,
                   QCoreApplication::translate("Background", "Desktop background set"),
                   QCoreApplication::translate("Background", "Ombrix set the picture through %1.")
                       .arg(WayName(Result_.Way)),
                   5000, this);
    emit Finished(Result_);
}

void TBackgroundSetter::NextWay() {
    if (Next_ >= Ways_.size())
        return Finish(TBackgroundOutcome::Failed);
    const TWay way = Ways_[Next_++];
    EndWaits();
    SetBy(RowOf(way));
}

void TBackgroundSetter::WayEnded(const QString& reason) {
    if (reason.isEmpty())
        return Succeeded();
    Result_.Tried.push_back({Ways_.at(Next_ - 1), reason});
    NextWay();
}

} // namespace ombrix
