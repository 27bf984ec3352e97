#pragma once
// Real sound servers for tests that meet them as a desktop has them, each in
// a runtime folder of the test's own, so nothing else on the machine is used
// or disturbed: PulseAudio with one null sink (ci_null), or PipeWire with the
// same sink and its PulseAudio emulation, with or without the WirePlumber
// session manager (without it, streams are never linked and SDL's open waits
// for ever).
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

namespace testsupport {

class SoundServer {
public:
    enum class Kind { PulseAudio, PipeWireWithoutSessionManager, PipeWire };

    // The programs a server of this kind needs that are not installed.
    static QStringList missing(Kind kind)
    {
        QStringList needed;
        switch (kind) {
        case Kind::PulseAudio: needed = {"pulseaudio", "pactl", "parec"}; break;
        case Kind::PipeWireWithoutSessionManager: needed = {"pipewire", "pipewire-pulse", "pactl"}; break;
        case Kind::PipeWire: needed = {"pipewire", "pipewire-pulse", "wireplumber", "dbus-daemon", "pactl"}; break;
        }
        QStringList absent;
        for (const QString& program : needed)
            if (QStandardPaths::findExecutable(program).isEmpty())
                absent << program;
        return absent;
    }

    SoundServer() { QDir().mkpath(runtime()); }
    ~SoundServer() { stop(); }
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    // The folder a client finds the server through (XDG_RUNTIME_DIR).
    QString runtime() const { return folder_.filePath(QStringLiteral("runtime")); }
    // What a client needs to find this server and no other.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_.filePath(QStringLiteral("config")));
        env.remove(QStringLiteral("PULSE_SERVER"));
        env.remove(QStringLiteral("SDL_AUDIODRIVER"));
        if (kind_ == Kind::PipeWire)
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + runtime() + "/bus");
        return env;
    }

    // Starts the server and waits until it answers (false if it never does).
    // A start of the servers themselves that stalls (WirePlumber once in a
    // while on a busy machine) is tried once more from the beginning: what
    // the tests judge is the program's use of a server that is up.
    bool start(Kind kind)
    {
        for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
            if (startOnce(kind))
                return true;
            std::printf("the sound server did not come up (attempt %d of %d)\n", attempt, kStartAttempts);
        }
        stop();
        return false;
    }

private:
    static constexpr int kStartAttempts = 2;

    bool startOnce(Kind kind)
    {
        stop();
        kind_ = kind;
        if (kind == Kind::PulseAudio) {
            launch("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                                  "--load=module-native-protocol-unix",
                                  "--load=module-null-sink sink_name=ci_null rate=44100"});
            return waitUntil([this] { return answers(); });
        }
        writePipeWireSink();
        // WirePlumber needs the bus from its start.
        if (kind == Kind::PipeWire) {
            launch("dbus-daemon", {"--session", "--nofork", "--address=unix:path=" + runtime() + "/bus"});
            if (!waitUntil([this] { return QFile::exists(runtime() + "/bus"); }))
                return false;
        }
        launch("pipewire", {});
        if (!waitUntil([this] { return QFile::exists(runtime() + "/pipewire-0"); }))
            return false;
        if (kind == Kind::PipeWire)
            launch("wireplumber", {});
        // pipewire-pulse gives up when its socket folder appears between its
        // own check and its mkdir, as the first pactl below (or any PulseAudio
        // client) makes it: made here first, the race cannot happen.
        QDir().mkpath(runtime() + "/pulse");
        launch("pipewire-pulse", {});
        // With a session manager, ready once it made the null sink the default.
        return waitUntil([this, kind] {
            return kind == Kind::PipeWire ? pactl({"get-default-sink"}).contains("ci_null") : answers();
        });
    }

public:
    // Kills the server outright, as a crash would, and waits for it to go.
    void stop()
    {
        for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
            (*it)->kill();
            (*it)->waitForFinished(10000);
        }
        processes_.clear();
    }

    bool answers() const { return pactl({"info"}).contains("Server Name"); }

    // Stops every process of the server for `pause`, as a machine that does
    // not run it for a while (another guest's turn on the host, say): no
    // request reaches a client and the sink plays nothing until it goes on.
    void stall(std::chrono::milliseconds pause)
    {
        hang();
        QThread::msleep(static_cast<unsigned long>(pause.count()));
        goOn();
    }
    // Stops every process of the server until goOn(): a server that hangs.
    void hang() { signalAll(SIGSTOP); }
    void goOn() { signalAll(SIGCONT); }

    // Records the null sink's monitor (44100 Hz mono, 16 bits) into `raw`
    // through the server's PulseAudio interface until the process ends;
    // returns once the first samples are there.
    std::unique_ptr<QProcess> record(const QString& raw) const
    {
        auto parec = std::make_unique<QProcess>();
        parec->setProcessEnvironment(environment());
        parec->setStandardOutputFile(QProcess::nullDevice());
        parec->start(QStandardPaths::findExecutable(QStringLiteral("parec")),
                     {"-d", "ci_null.monitor", "--format=s16le", "--rate=44100", "--channels=1", "--latency-msec=20",
                      "--raw", raw});
        parec->waitForStarted(10000);
        // The monitor's first samples come a second or so after the stream.
        waitUntil([&raw] { return QFileInfo(raw).size() > 0; });
        return parec;
    }

private:
    void signalAll(int signal) const
    {
        for (const auto& process : processes_)
            ::kill(pid_t(process->processId()), signal);
    }

    void launch(const char* program, const QStringList& arguments)
    {
        auto& process = processes_.emplace_back(std::make_unique<QProcess>());
        process->setProcessEnvironment(environment());
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(folder_.filePath(QString::fromLatin1(program) + ".log"), QIODevice::Append);
        process->start(QStandardPaths::findExecutable(QString::fromLatin1(program)), arguments);
        process->waitForStarted(10000);
    }

    QString pactl(const QStringList& arguments) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStandardPaths::findExecutable(QStringLiteral("pactl")), arguments);
        if (!p.waitForFinished(10000)) {
            p.kill();
            p.waitForFinished();
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }

    template <typename Pred>
    static bool waitUntil(Pred ready)
    {
        // Generous: a loaded machine starts a server slowly.
        QElapsedTimer waited;
        waited.start();
        while (!ready()) {
            if (waited.elapsed() > 30000)
                return false;
            QThread::msleep(20);
        }
        return true;
    }

    void writePipeWireSink() const
    {
        const QString conf = folder_.filePath(QStringLiteral("config/pipewire/pipewire.conf.d"));
        QDir().mkpath(conf);
        QFile f(conf + "/ci-null.conf");
        if (f.open(QIODevice::WriteOnly))
            f.write("context.objects = [\n"
                    "  { factory = adapter\n"
                    "    args = { factory.name = support.null-audio-sink node.name = ci_null\n"
                    "             node.description = \"null sink\" media.class = Audio/Sink\n"
                    "             audio.position = [ FL FR ] object.linger = true\n"
                    "             priority.session = 2000 priority.driver = 2000 } }\n"
                    "]\n");
    }

    QTemporaryDir folder_;
    Kind kind_ = Kind::PulseAudio;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

} // namespace testsupport
