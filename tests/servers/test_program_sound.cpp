// The built program with a sound server that never answers: it starts
// without sound and ends on a signal in every state, its output's open
// included.
#include "support/program_run.h"
#include "support/sound_server.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace programrun;

// A PipeWire server without a session manager: every sound driver that
// reaches it waits for ever in its open. The program must start all the
// same, and end on a signal whenever it comes, the open included.
class ProgramWithAHungSoundServer : public ::testing::TestWithParam<bool> {};

TEST_P(ProgramWithAHungSoundServer, StartsWithoutSoundAndEndsOnASignal)
{
    const bool duringTheOpen = GetParam();
    using testsupport::SoundServer;
    if (const QStringList absent = SoundServer::missing(SoundServer::Kind::PipeWireWithoutSessionManager);
        !absent.isEmpty()) {
        GTEST_SKIP() << "not installed here: " << absent.join(' ').toStdString() << " (tools/setup.sh; the session manager with --bench)";
    }
    SoundServer server;
    ASSERT_TRUE(server.start(SoundServer::Kind::PipeWireWithoutSessionManager));
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment extra = server.environment();
    ProgramRun run;
    extra.insert(QStringLiteral("SDL_AUDIODRIVER"), QString()); // the program's own choice
    ASSERT_NO_FATAL_FAILURE(start(run, home.path(), SIGTERM, extra));
    if (!duringTheOpen) {
        // Each driver is given up after its answer time; the start goes on.
        QElapsedTimer waited;
        waited.start();
        QByteArray said;
        while (!said.contains("Velvane: no sound output") && run.program.state() == QProcess::Running
               && waited.elapsed() < 120000) {
            run.program.waitForReadyRead(100);
            said += run.program.readAllStandardError();
        }
        EXPECT_TRUE(said.contains("did not answer within")) << said.toStdString();
        EXPECT_TRUE(said.contains("Velvane: no sound output")) << "the start waits on the sound server\n"
                                                               << said.toStdString();
        std::printf("started without sound %lld ms after it began\n", static_cast<long long>(waited.elapsed()));
    }
    // Right after the quit signals are caught the program opens the output.
    qint64 ms = 0;
    ASSERT_TRUE(endWith(run, SIGTERM, &ms)) << "SIGTERM did not end the program";
    EXPECT_EQ(run.program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.program.exitCode(), 0) << run.program.readAllStandardError().toStdString();
    std::printf("ended %lld ms after SIGTERM\n", static_cast<long long>(ms));
    // Not after the drivers' answer times (2 s each, three drivers hang here):
    // the wait for a driver stops for the signal.
    EXPECT_LT(ms, 4000) << "the quit waited for the sound drivers";
}

INSTANTIATE_TEST_SUITE_P(When, ProgramWithAHungSoundServer, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "DuringTheOpen" : "OnceStarted"; });

} // namespace
