#include "platform/quitsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's write end, read by the handler; -1 when no instance exists.
volatile sig_atomic_t writeFd = -1;
// Set by the handler, cleared once the GUI thread has taken the signals.
volatile sig_atomic_t pending = 0;

extern "C" void onQuitSignal(int signal)
{
    // Only async-signal-safe calls here; errno belongs to the interrupted code.
    const int savedErrno = errno;
    const int fd = writeFd;
    if (fd >= 0) {
        pending = 1;
        const char byte = static_cast<char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

struct QuitSignals::Previous {
    struct sigaction action[std::size(quitSignals)];
    bool caught[std::size(quitSignals)] = {};
};

QuitSignals::QuitSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)), previous_(new Previous)
{
    int fds[2];
    // Non-blocking: a full pipe drops the byte instead of stalling the handler;
    // a byte already waiting is enough to wake the GUI thread.
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readFd_ = fds[0];
    writeFd = fds[1];
    notifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { drain(); });

    for (size_t i = 0; i < std::size(quitSignals); ++i) {
        struct sigaction current {};
        if (::sigaction(quitSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = onQuitSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(quitSignals[i], &action, &previous_->action[i]) == 0)
            previous_->caught[i] = true;
    }
}

QuitSignals::~QuitSignals()
{
    for (size_t i = 0; i < std::size(quitSignals); ++i)
        if (previous_->caught[i])
            ::sigaction(quitSignals[i], &previous_->action[i], nullptr);
    const int fd = writeFd;
    writeFd = -1;
    if (fd >= 0)
        ::close(fd);
    delete notifier_;
    if (readFd_ >= 0)
        ::close(readFd_);
    delete previous_;
}

bool QuitSignals::catches(int signal) const
{
    for (size_t i = 0; i < std::size(quitSignals); ++i)
        if (quitSignals[i] == signal)
            return previous_->caught[i];
    return false;
}

void QuitSignals::drain()
{
    char bytes[64];
    pending = 0;
    while (::read(readFd_, bytes, sizeof bytes) > 0) {
    }
    if (onSignal_)
        onSignal_();
}

bool quitSignalPending()
{
    return pending != 0;
}

void ignoreWriteSignals()
{
    for (const int signal : {SIGXFSZ, SIGPIPE})
        ::signal(signal, SIG_IGN);
}

} // namespace platform
