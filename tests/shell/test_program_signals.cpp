// The built program, started as a user would, ends on SIGTERM and on SIGINT
// (kill, Ctrl+C) as File > Quit ends it: exit status 0 and nothing written.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>

namespace {

// Whether the process has a handler of its own for the signal (the SigCgt
// mask of /proc/PID/status): then it is far enough in its start-up that the
// signal no longer kills it outright.
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    return false;
}

struct SignalCase {
    int signal;
    const char* name;
};

void PrintTo(const SignalCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProgramSignals : public ::testing::TestWithParam<SignalCase> {};

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

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    program.setProcessEnvironment(env);
    // A shell or test runner may hand SIGINT down as ignored; a terminal
    // hands it down as default, which is the case under test.
    program.setChildProcessModifier([] {
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
    });
    program.start(QStringLiteral(VELVANE_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    const qint64 pid = program.processId();

    QElapsedTimer waited;
    waited.start();
    while (!catches(pid, c.signal) && program.state() == QProcess::Running && waited.elapsed() < 30000)
        QThread::msleep(5);
    ASSERT_TRUE(catches(pid, c.signal)) << c.name << " is never caught\n"
                                        << program.readAllStandardError().toStdString();

    QElapsedTimer toExit;
    toExit.start();
    ASSERT_EQ(::kill(pid, c.signal), 0);
    const bool ended = program.waitForFinished(10000);
    const qint64 ms = toExit.elapsed();
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    ASSERT_TRUE(ended) << c.name << " did not end the program";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << c.name << " killed the program outright";
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    RecordProperty("milliseconds_to_exit", int(ms));
    std::printf("%s: ended %lld ms after the signal\n", c.name, static_cast<long long>(ms));

    EXPECT_EQ(QDir(dataFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({QStringLiteral("mydata.txt")}));
    QFile f(dataFolder + QStringLiteral("/mydata.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), stored);
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramSignals,
                         ::testing::Values(SignalCase{SIGTERM, "SIGTERM"}, SignalCase{SIGINT, "SIGINT"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
