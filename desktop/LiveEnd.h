// Ending the live wallpaper when a still picture takes its place: a picture set on the
// desktop would otherwise stay hidden behind the live one, and its autostart entry would
// bring it back at the next login. The running one is asked to quit over the session bus
// by the live program itself (`ombrix-live --quit`), run as a child process and bounded
// by a deadline, so no bus ever holds up the caller.
#pragma once

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace ombrix {

/// Where the live wallpaper is: its program (see LiveProgram) and its autostart entry
/// (see LiveAutostartPath), and the environment its session bus is named in.
struct TLivePlace {
    QString Program;
    QString Autostart;
    QProcessEnvironment Environment;
    /// How long the running one may take to answer, in milliseconds.
    int Timeout = 10000;

    /// The live wallpaper of `environment`'s session, beside the running program.
    static TLivePlace Of(const QProcessEnvironment& environment);
};

/// Removes the autostart entry, then asks a running live wallpaper to quit. Ended follows
/// once, never before Start returns, with what could not be done in the user's words
/// (the entry that stays, a live wallpaper that did not answer); empty when the live
/// wallpaper is gone or none ran, or when there is no live program at all. Destroying the
/// object or Cancel() forgets the call and kills its child.
class TLiveEnder : public QObject {
    Q_OBJECT
public:
    explicit TLiveEnder(QObject* parent = nullptr);
    ~TLiveEnder() override;
    void Start(const TLivePlace& place);
    void Cancel();
    bool Running() const { return Running_; }

signals:
    void Ended(const QString& unsaved);

private:
    void Finish();
    QPointer<QProcess> Process_;
    QTimer Timer_;
    QStringList Unsaved_;
    bool Running_ = false;
    unsigned Step_ = 0; // counts runs, so a queued end of a forgotten one is dropped
};

} // namespace ombrix
