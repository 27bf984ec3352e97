#include "platform/services.h"
#include "platform/errors.h"
#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {
MessageBoxSink* boxSink = nullptr;
QuitSink* quitSink = nullptr;
bool quitAsked = false;
int quitStatus = 0;
bool reporting = false;
} // namespace

void MsgBox(const QString& text)
{
    if (boxSink) {
        boxSink->show(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void setMessageBoxSink(MessageBoxSink* sink) { boxSink = sink; }

void Quit(int code)
{
    if (quitSink) {
        quitSink->quit(code);
        return;
    }
    quitAsked = true;
    quitStatus = code;
    QCoreApplication::exit(code);
}

void setQuitSink(QuitSink* sink) { quitSink = sink; }
bool quitRequested() { return quitAsked; }
int quitCode() { return quitStatus; }

QString describeError(const std::exception& e)
{
    if (auto* re = dynamic_cast<const RuntimeException*>(&e)) {
        QString text = QStringLiteral("An exception of class %1 was not handled.").arg(re->kind());
        if (!re->message().isEmpty())
            text += QStringLiteral("\n\n") + re->message();
        return text + QStringLiteral("\nThe application must shut down.");
    }
    return QStringLiteral("An error was not handled: %1\nThe application must shut down.")
        .arg(QString::fromLocal8Bit(e.what()));
}

void reportUnhandled(const QString& description)
{
    // A second error while the first one's message is open adds nothing: a
    // quit now would end the message's event loop and close it unread. The
    // quit that follows the first message ends the program anyway.
    if (reporting)
        return;
    reporting = true;
    try {
        MsgBox(description);
    } catch (...) {
    }
    reporting = false;
    Quit(1);
}

} // namespace platform
