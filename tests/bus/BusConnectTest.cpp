// Connecting to a bus without waiting on it, against real parts: a private dbus-daemon, no
// address, nothing listening, a socket that accepts and never answers, and the daemon
// behind a relay that holds Qt's own connection (hold_bus.py). Checks what each gives and
// how soon, that the caller's event loop keeps turning meanwhile, and that an owner gone
// before a late answer hears nothing and leaves no connection behind.
#include "BusConnect.h"
#include "Files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace ombrix;
using namespace std::chrono_literals;

namespace {

// Turns the event loop until `done` holds, 20 s at most.
bool LoopUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

// A program of the test's, whose standard output is read a line at a time.
struct TProgram {
    QProcess Process;
    QStringList Lines;
    TProgram(const QString& program, const QStringList& arguments) {
        QObject::connect(&Process, &QProcess::readyReadStandardOutput, [this] {
            while (Process.canReadLine())
                Lines << QString::fromUtf8(Process.readLine()).trimmed();
        });
        Process.start(program, arguments);
    }
    ~TProgram() {
        Process.kill();
        Process.waitForFinished();
    }
    bool Said(const QString& line) {
        return LoopUntil([&] { return Lines.contains(line); });
    }
};

// A socket that takes connections into its queue and never reads or answers one.
struct THungBus {
    int Socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    explicit THungBus(const std::string& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(Socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(Socket, 16), 0);
    }
    ~THungBus() { ::close(Socket); }
};

struct TOutcome {
    std::optional<TBusAnswer> Answer;
    qint64 Milliseconds = 0;
    int Ticks = 0; // of a 10 ms timer on the same loop, meanwhile
};

TOutcome Connect(const QString& address, std::chrono::milliseconds deadline) {
    TOutcome outcome;
    QObject owner;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++outcome.Ticks; });
    tick.start(10);
    QElapsedTimer clock;
    clock.start();
    ConnectBus(
        address, &owner, [&](const TBusAnswer& answer) { outcome.Answer = answer; }, deadline);
    LoopUntil([&] { return outcome.Answer.has_value(); });
    outcome.Milliseconds = clock.elapsed();
    return outcome;
}

class BusConnect : public ::testing::Test {
protected:
    ombrix::testing::TempDir Dir;
    const QString Bus = QString::fromStdString(Dir / "bus");
    TProgram Daemon{QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--address=unix:path=") + Bus,
                     QStringLiteral("--print-address=1")}};
    void SetUp() override {
        ASSERT_TRUE(LoopUntil([&] { return !Daemon.Lines.isEmpty(); })) << "no dbus-daemon";
    }
};

} // namespace

TEST_F(BusConnect, EachKindOfBusAnswersInTime) {
    const THungBus hung(Dir / "hung");
    const QString hungAddress = QStringLiteral("unix:path=") + QString::fromStdString(Dir / "hung");
    const struct {
        QString Address;
        TBusFailure Failure;
        qint64 AtLeast; // milliseconds
    } rows[] = {
        {Daemon.Lines.first(), TBusFailure::None, 0},
        {QString(), TBusFailure::NoAddress, 0},
        {QStringLiteral("unix:path=") + QString::fromStdString(Dir / "none"), TBusFailure::NotFound,
         0},
        {hungAddress, TBusFailure::NoAnswer, 400},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Address.toStdString());
        const TOutcome outcome = Connect(row.Address, 400ms);
        ASSERT_TRUE(outcome.Answer);
        EXPECT_EQ(outcome.Answer->Failure, row.Failure);
        EXPECT_EQ(outcome.Answer->Connection.has_value() &&
                      outcome.Answer->Connection->baseService().startsWith(QLatin1Char(':')),
                  row.Failure == TBusFailure::None);
        EXPECT_GE(outcome.Milliseconds, row.AtLeast);
        EXPECT_LE(outcome.Milliseconds, 2000);
        // The loop kept turning while it waited (a blocked one ticks once at most).
        if (row.AtLeast > 0) {
            EXPECT_GE(outcome.Ticks, 3);
        }
    }
    EXPECT_EQ(BusFailureWords(*Connect(hungAddress, 100ms).Answer).toStdString(),
              "the session bus at " + hungAddress.toStdString() + " did not answer in time");
}

// Qt's connection comes after the owner went or the deadline passed: nobody hears of it,
// and the relay sees it closed.
TEST_F(BusConnect, LateAnswersReachNobody) {
    const THungBus hung(Dir / "hung");
    for (const bool ownerGoes : {true, false}) {
        SCOPED_TRACE(ownerGoes ? "owner deleted" : "deadline passed");
        const QString relayPath = QString::fromStdString(Dir / (ownerGoes ? "relay1" : "relay2"));
        TProgram relay(QStringLiteral(OMBRIX_HOLD_BUS), {relayPath, Bus, QStringLiteral("1.5")});
        ASSERT_TRUE(relay.Said(QStringLiteral("ready")));
        auto owner = std::make_unique<QObject>();
        int heard = 0;
        TBusAnswer answer;
        ConnectBus(
            QStringLiteral("unix:path=") + relayPath, owner.get(),
            [&](const TBusAnswer& a) {
                ++heard;
                answer = a;
            },
            ownerGoes ? 10s : 300ms);
        ASSERT_TRUE(relay.Said(QStringLiteral("held 2"))); // our greeting passed; Qt's waits
        if (ownerGoes)
            owner.reset();
        ASSERT_TRUE(relay.Said(QStringLiteral("closed 2")));
        EXPECT_EQ(heard, ownerGoes ? 0 : 1);
        if (!ownerGoes) {
            EXPECT_EQ(answer.Failure, TBusFailure::NoAnswer);
        }
    }
    // An owner gone while the socket holds the login: nothing is heard by the deadline.
    auto owner = std::make_unique<QObject>();
    bool heard = false;
    ConnectBus(
        QStringLiteral("unix:path=") + QString::fromStdString(Dir / "hung"), owner.get(),
        [&](const TBusAnswer&) { heard = true; }, 200ms);
    QTimer::singleShot(50, [&] { owner.reset(); });
    QElapsedTimer clock;
    clock.start();
    LoopUntil([&] { return clock.elapsed() > 400; });
    EXPECT_FALSE(heard);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
