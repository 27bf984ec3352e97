#pragma once
// A message box and a quit that record instead of blocking or ending the run,
// installed with platform::setMessageBoxSink and platform::setQuitSink.
#include "platform/services.h"
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace platform {

class RecordingMessageBox : public MessageBoxSink {
public:
    void show(const QString& text) override
    {
        shown << text;
        if (whileOpen)
            whileOpen();
    }
    QStringList shown;
    std::function<void()> whileOpen; // runs as if during the box's own event loop
};

class RecordingQuit : public QuitSink {
public:
    void quit(int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

} // namespace platform
