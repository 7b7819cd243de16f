#include "LiveEnd.h"

#include "LiveLaunch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace ombrix {

TLivePlace TLivePlace::Of(const QProcessEnvironment& environment) {
    return {LiveProgram(), LiveAutostartPath(environment), environment};
}

TLiveEnder::TLiveEnder(QObject* parent) : QObject(parent) {
    Timer_.setSingleShot(true);
    connect(&Timer_, &QTimer::timeout, this, [this] {
        Unsaved_ << QCoreApplication::translate(
                        "Background", "The live wallpaper did not answer within %1 s and may "
                                      "still hide the picture")
                        .arg((Timer_.interval() + 999) / 1000);
        Finish();
    });
}

TLiveEnder::~TLiveEnder() {
    Cancel();
}

void TLiveEnder::Start(const TLivePlace& place) {
    Cancel();
    Running_ = true;
    Unsaved_.clear();
    std::error_code error;
    std::filesystem::remove(QFile::encodeName(place.Autostart).toStdString(), error);
    if (error)
        Unsaved_ << QCoreApplication::translate(
                        "Background", "The live wallpaper will still start at login: %1 cannot "
                                      "be removed (%2)")
                        .arg(QDir::toNativeSeparators(place.Autostart),
                             QString::fromLocal8Bit(error.message().c_str()));
    // Without a session bus named or at its usual place, no live wallpaper can be reached,
    // and asking would have the bus library start a bus of its own.
    const QString runtime = place.Environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (place.Environment.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")).isEmpty() &&
        (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus"))))
        return Finish();
    auto* process = new QProcess(this);
    Process_ = process;
    process->setProcessEnvironment(place.Environment);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::MergedChannels);
    // Its own words say whether one ran; none running, or no live program or bus at all,
    // leaves nothing to end.
    connect(process, &QProcess::finished, this, [this] { Finish(); });
    connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError failure) {
        if (failure == QProcess::FailedToStart)
            Finish();
    });
    Timer_.start(place.Timeout);
    process->start(place.Program, {QStringLiteral("--quit")});
}

void TLiveEnder::Cancel() {
    ++Step_;
    Timer_.stop();
    Running_ = false;
    if (QProcess* process = Process_) {
        Process_ = nullptr;
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            connect(process, &QProcess::finished, process, &QObject::deleteLater);
            process->kill();
        } else {
            process->deleteLater();
        }
    }
}

void TLiveEnder::Finish() {
    if (!Running_)
        return;
    const QString unsaved = Unsaved_.join(QLatin1Char('\n'));
    Cancel();
    // Said from the event loop, so never before Start returns, and only for this run.
    QMetaObject::invokeMethod(
        this,
        [this, unsaved, step = Step_] {
            if (step == Step_)
                emit Ended(unsaved);
        },
        Qt::QueuedConnection);
}

} // namespace ombrix
