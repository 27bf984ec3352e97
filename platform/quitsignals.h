#pragma once
// SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C in the terminal, the terminal
// closed) end the program the way File > Quit does. The signal handler only
// writes a byte into a pipe; a socket notifier reads it on the GUI thread and
// runs the quit there, so no Qt or program code ever runs inside the handler,
// and a handler already running (a save at the end of a test among them) runs
// to its end first.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace platform {

class QuitSignals : public QObject {
public:
    // Catches SIGTERM, SIGINT and SIGHUP until destroyed, except a signal the
    // process inherited as ignored (a job started in the background or under
    // nohup keeps ignoring it). onSignal runs on the GUI thread, once per batch of
    // signals that arrived since it last ran. Only one instance at a time.
    explicit QuitSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~QuitSignals() override;

    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // The signals this instance catches.
    bool catches(int signal) const;

private:
    void drain();

    std::function<void()> onSignal_;
    int readFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    struct Previous;
    Previous* previous_ = nullptr;
};

// Whether a quit signal arrived that the GUI thread has not yet taken: a
// wait on the GUI thread that may be long (the sound output's open) stops for
// it, so the event loop can quit.
bool quitSignalPending();

// A write past the file-size limit (SIGXFSZ) or to a pipe nobody reads
// (SIGPIPE: stderr of a program started from a pipeline that has ended)
// would end the program by default; ignored, the write fails with EFBIG or
// EPIPE and is reported or dropped as every failed write is.
void ignoreWriteSignals();

} // namespace platform
