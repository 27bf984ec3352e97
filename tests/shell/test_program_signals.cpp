// The built program, started as a user would, ends on SIGTERM, SIGINT and
// SIGHUP (kill, Ctrl+C, the terminal closed) as File > Quit ends it: exit
// status 0 and nothing written.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include "support/program_run.h"
#include <csignal>
#include <unistd.h>

namespace {

using namespace programrun;

struct SignalCase {
    int signal;
    const char* name;
};

void PrintTo(const SignalCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProgramSignals : public ::testing::TestWithParam<SignalCase> {};

// Adds to `env` what makes the program use the stand-in PortMidi, playing
// this script (written into `folder`).
void useStandInMidi(QProcessEnvironment& env, const QString& folder, const char* scriptText)
{
    const QString scriptPath = folder + QStringLiteral("/midi.script");
    QFile script(scriptPath);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(scriptText);
    script.close();
    env.insert(QStringLiteral("LD_LIBRARY_PATH"), QStringLiteral(VELVANE_STANDIN_PORTMIDI_DIR));
    env.insert(QStringLiteral("VELVANE_MIDI_SCRIPT"), scriptPath);
}

TEST_P(ProgramSignals, EndTheProgramLikeQuitWritingNothing)
{
    const SignalCase c = GetParam();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString dataFolder = home.path() + QStringLiteral("/Velvane");
    ASSERT_TRUE(QDir().mkpath(dataFolder));
    // An existing data file must come out as it went in.
    const QByteArray stored("1A2B3C\n4D5E6F\n");
    {
        QFile f(dataFolder + QStringLiteral("/mydata.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(stored);
    }

    ProgramRun run;
    ASSERT_NO_FATAL_FAILURE(start(run, home.path(), c.signal));
    qint64 ms = 0;
    ASSERT_TRUE(endWith(run, c.signal, &ms)) << c.name << " did not end the program";
    EXPECT_EQ(run.program.exitStatus(), QProcess::NormalExit) << c.name << " killed the program outright";
    EXPECT_EQ(run.program.exitCode(), 0) << run.program.readAllStandardError().toStdString();
    std::printf("%s: ended %lld ms after the signal\n", c.name, static_cast<long long>(ms));

    EXPECT_EQ(QDir(dataFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({QStringLiteral("mydata.txt")}));
    QFile f(dataFolder + QStringLiteral("/mydata.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), stored);
}

TEST(ProgramMidi, TheMidiLibrariesPrintNothingOnTheTerminal)
{
    // At start every MIDI input device is opened through the real PortMidi;
    // on a machine without a MIDI sequencer ALSA's default handler would
    // print an "ALSA lib ..." line at every start.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ProgramRun run;
    ASSERT_NO_FATAL_FAILURE(start(run, home.path(), SIGTERM));
    ASSERT_TRUE(endWith(run, SIGTERM));
    const std::string said = run.program.readAllStandardError().toStdString();
    EXPECT_EQ(said.find("ALSA lib"), std::string::npos) << said;
}

TEST(ProgramWrites, AClosedStderrPipeOrAFileSizeLimitDoesNotEndTheProgram)
{
    // With no sound driver the start writes its line on stderr, a pipe that
    // nobody reads any more; SIGTERM is handled only once the start is over,
    // so the program has met the failed write by the time it ends.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("nosuchdriver"));
    ProgramRun run;
    ASSERT_NO_FATAL_FAILURE(start(run, home.path(), SIGTERM, extra, Stderr::ClosedPipe));
    // A write past the file-size limit fails with EFBIG instead.
    EXPECT_TRUE(inSignalMask(run.pid, "SigIgn", SIGXFSZ)) << "SIGXFSZ would end the program";
    ASSERT_TRUE(endWith(run, SIGTERM));
    EXPECT_EQ(run.program.exitStatus(), QProcess::NormalExit) << "ended by SIGPIPE";
    EXPECT_EQ(run.program.exitCode(), 0);
}

TEST(ProgramMidi, TheOpenStreamIsClosedAndPortMidiEndedBeforeMainReturns)
{
    // With an input device the window opens a stream at start; quitting used
    // to leave its closing to a static destructor, after PortMidi's backend
    // object was gone.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString logPath = home.path() + QStringLiteral("/midi.log");
    QProcessEnvironment extra;
    ASSERT_NO_FATAL_FAILURE(useStandInMidi(extra, home.path(), "device Stand-in-keys\n"));
    extra.insert(QStringLiteral("VELVANE_MIDI_LOG"), logPath);
    ProgramRun run;
    ASSERT_NO_FATAL_FAILURE(start(run, home.path(), SIGTERM, extra));
    ASSERT_TRUE(endWith(run, SIGTERM));
    EXPECT_EQ(run.program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.program.exitCode(), 0) << run.program.readAllStandardError().toStdString();

    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << "the stand-in PortMidi was not used";
    // Each line is a time (or "-") and the call; only the calls count here.
    QStringList calls;
    for (const QString& line : QString::fromLatin1(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        calls << line.section(QLatin1Char(' '), 1, 1);
    const std::string seen = calls.join(' ').toStdString();
    ASSERT_TRUE(calls.contains(QStringLiteral("open"))) << seen;
    // The stream closes, then PortMidi ends, then main returns; nothing after.
    ASSERT_GE(calls.size(), 3);
    EXPECT_EQ(calls.mid(calls.size() - 2), QStringList({QStringLiteral("terminate"), QStringLiteral("exit")}))
        << seen;
    EXPECT_GT(calls.lastIndexOf(QStringLiteral("close")), calls.lastIndexOf(QStringLiteral("open"))) << seen;
}

TEST(ProgramMidi, ALeakInTheStandInPortMidiIsReported)
{
#ifndef VELVANE_SANITIZED
    GTEST_SKIP() << "only the sanitizer build looks for leaks";
#else
    // The leaks suppressed are those of the system's PortMidi; the stand-in
    // carries the same library name, and a leak in it must still be seen.
    ASSERT_TRUE(qEnvironmentVariable("LSAN_OPTIONS").contains(QLatin1String("suppressions=")))
        << "run with the project's suppressions";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment extra;
    ASSERT_NO_FATAL_FAILURE(useStandInMidi(extra, home.path(), "device Stand-in-keys\nleak 777\n"));
    ProgramRun run;
    ASSERT_NO_FATAL_FAILURE(start(run, home.path(), SIGTERM, extra));
    ASSERT_TRUE(endWith(run, SIGTERM));
    const std::string said = run.program.readAllStandardError().toStdString();
    EXPECT_NE(run.program.exitCode(), 0) << said;
    EXPECT_NE(said.find("Direct leak of 777 byte(s)"), std::string::npos) << said;
#endif
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignals,
                         ::testing::Values(SignalCase{SIGTERM, "SIGTERM"}, SignalCase{SIGINT, "SIGINT"},
                                           SignalCase{SIGHUP, "SIGHUP"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
