#include "ToolRun.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

namespace ombrix {

TToolRunner::TToolRunner(QObject* parent) : QObject(parent) {
    Timer_.setSingleShot(true);
}

TToolRunner::~TToolRunner() {
    Stop();
}

void TToolRunner::Stop() {
    ++Step_;
    Timer_.stop();
    Timer_.disconnect(this);
    if (!Process_)
        return;
    // Killed at once; the process object goes once the child is reaped.
    QProcess* process = Process_;
    Process_ = nullptr;
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        delete process;
        return;
    }
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    // A runner destroyed first takes it along (its child), killed already.
    process->kill();
}

void TToolRunner::Run(const QString& tool, const QStringList& arguments,
                      const QProcessEnvironment& environment, int timeout,
                      std::function<void(const TToolRun&)> then) {
    Stop();
    const QString program = QStandardPaths::findExecutable(
        tool,
        environment.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts));
    if (program.isEmpty())
        return then({std::nullopt,
                     QCoreApplication::translate("Background", "%1 is not installed").arg(tool),
                     {}});
    auto* process = new QProcess(this);
    Process_ = process;
    process->setProcessEnvironment(environment);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    const unsigned step = Step_;
    const auto ended = [this, process, tool, then, step] {
        if (step != Step_)
            return;
        Timer_.stop();
        Timer_.disconnect(this);
        Process_ = nullptr;
        process->disconnect(this);
        process->deleteLater();
        if (process->error() == QProcess::FailedToStart)
            return then(
                {std::nullopt,
                 QCoreApplication::translate("Background", "%1 could not be started").arg(tool),
                 {}});
        const QString output = QString::fromLocal8Bit(process->readAllStandardOutput());
        if (process->exitStatus() != QProcess::NormalExit)
            return then({std::nullopt,
                         QCoreApplication::translate("Background", "%1 crashed").arg(tool),
                         output});
        const QString errors = QString::fromLocal8Bit(process->readAllStandardError()).trimmed();
        QString reason;
        if (process->exitCode() != 0)
            reason =
                errors.isEmpty()
                    ? QCoreApplication::translate("Background", "%1 ended with exit code %2")
                          .arg(tool)
                          .arg(process->exitCode())
                    : QStringLiteral("%1: %2").arg(tool, errors.section(QLatin1Char('\n'), 0, 0));
        then({process->exitCode(), reason, output});
    };
    connect(process, &QProcess::finished, this, ended);
    connect(process, &QProcess::errorOccurred, this, [ended](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended();
    });
    connect(&Timer_, &QTimer::timeout, this, [this, tool, then, step, timeout] {
        if (step != Step_)
            return;
        Stop();
        then({std::nullopt,
              QCoreApplication::translate("Background", "%1 did not finish within %2 s")
                  .arg(tool, QString::number((timeout + 999) / 1000)),
              {}});
    });
    Timer_.start(timeout);
    process->start();
}

void TToolRunner::RunEach(const QString& tool, std::vector<QStringList> runs,
                          const QProcessEnvironment& environment, int timeout,
                          std::function<void(const QString& reason)> then) {
    if (runs.empty())
        return then({});
    const QStringList arguments = runs.front();
    runs.erase(runs.begin());
    Run(tool, arguments, environment, timeout,
        [this, tool, runs, environment, timeout, then](const TToolRun& run) {
            if (!run.ExitCode || *run.ExitCode != 0)
                return then(run.Reason);
            RunEach(tool, runs, environment, timeout, then);
        });
}

} // namespace ombrix
