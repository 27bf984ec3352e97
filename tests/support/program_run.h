#pragma once
// The built program started as a user would, for tests that signal it or
// watch how it ends: its data in a folder of the test's own, the offscreen
// platform, and (unless told otherwise) SDL's silent driver.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace programrun {

// Whether the process has a handler of its own for the signal (the SigCgt
// mask of /proc/PID/status): then it is far enough in its start-up that the
// signal no longer kills it outright.
inline bool inSignalMask(qint64 pid, const char* mask, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const QByteArray name = QByteArray(mask) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return (line.mid(name.size()).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    return false;
}

inline bool catches(qint64 pid, int signal)
{
    return inSignalMask(pid, "SigCgt", signal);
}

// The built program, started with its data in `home`, once it catches the
// signal; extra holds further environment variables.
struct ProgramRun {
    QProcess program;
    qint64 pid = 0;
};

// stderr to a pipe nobody reads: the pipe's read end is closed in the child.
enum class Stderr { Kept, ClosedPipe };

inline void start(ProgramRun& run, const QString& home, int signal, const QProcessEnvironment& extra = {},
                  Stderr stderrTo = Stderr::Kept)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(extra);
    // An empty SDL_AUDIODRIVER in `extra`: the program chooses its driver.
    if (extra.contains(QStringLiteral("SDL_AUDIODRIVER")) && extra.value(QStringLiteral("SDL_AUDIODRIVER")).isEmpty())
        env.remove(QStringLiteral("SDL_AUDIODRIVER"));
    run.program.setProcessEnvironment(env);
    // A shell or test runner may hand SIGINT down as ignored; a terminal
    // hands it down as default, which is the case under test.
    run.program.setChildProcessModifier([stderrTo] {
        for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
            ::signal(s, SIG_DFL);
        int fds[2];
        if (stderrTo == Stderr::ClosedPipe && ::pipe(fds) == 0) {
            ::dup2(fds[1], STDERR_FILENO);
            ::close(fds[0]);
            ::close(fds[1]);
        }
    });
    run.program.start(QStringLiteral(VELVANE_PROGRAM), {});
    ASSERT_TRUE(run.program.waitForStarted(10000));
    run.pid = run.program.processId();
    QElapsedTimer waited;
    waited.start();
    while (!catches(run.pid, signal) && run.program.state() == QProcess::Running && waited.elapsed() < 30000)
        QThread::msleep(5);
    ASSERT_TRUE(catches(run.pid, signal)) << "the signal is never caught\n"
                                          << run.program.readAllStandardError().toStdString();
}

// Long enough for a loaded machine under the sanitizers, whose leak check
// runs at the end; a signal that does not end the program still fails it.
constexpr int kEndMs = 30000;

// Sends the signal; true when the program ended within kEndMs.
inline bool endWith(ProgramRun& run, int signal, qint64* ms = nullptr)
{
    QElapsedTimer toExit;
    toExit.start();
    if (::kill(run.pid, signal) != 0)
        return false;
    const bool ended = run.program.waitForFinished(kEndMs);
    if (ms)
        *ms = toExit.elapsed();
    if (!ended) {
        run.program.kill();
        run.program.waitForFinished();
    }
    return ended;
}

} // namespace programrun
