#pragma once
// The message box, quitting, and the treatment of unhandled errors. Each goes
// through a replaceable sink so tests can record instead of blocking.
#include <QString>
#include <exception>

namespace platform {

class MessageBoxSink {
public:
    virtual ~MessageBoxSink() = default;
    virtual void show(const QString& text) = 0;
};

// A modal box with the text and one OK button; returns when it is closed.
void MsgBox(const QString& text);
// nullptr restores the real message box.
void setMessageBoxSink(MessageBoxSink* sink);

class QuitSink {
public:
    virtual ~QuitSink() = default;
    virtual void quit(int code) = 0;
};

// Ends the program with this exit status once control is back in the event
// loop (or before it starts, when asked during start-up).
void Quit(int code = 0);
void setQuitSink(QuitSink* sink);
// A quit asked before the event loop ran, and its code.
bool quitRequested();
int quitCode();

// The text the unhandled-error message shows for an error.
QString describeError(const std::exception& e);

// The treatment of an error that a handler did not catch: a message box that
// names it, then quitting with a non-zero status. Errors raised while that
// message is open are dropped; the message stays until the user closes it.
void reportUnhandled(const QString& description);

// Every event handler runs through this, so no exception ever reaches Qt's
// event dispatch.
template <class F>
void guarded(F&& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        reportUnhandled(describeError(e));
    } catch (...) {
        reportUnhandled(QStringLiteral("An unknown error occurred."));
    }
}

} // namespace platform
