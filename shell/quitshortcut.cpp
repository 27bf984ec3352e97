#include "shell/quitshortcut.h"
#include "shell/mainmenubar.h"
#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>

namespace {

class QuitShortcut : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A key press reaches the filter only when no shortcut took it: in
        // the main window the menu bar's own Ctrl+Q has already quit.
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat() &&
                QKeySequence(key->keyCombination()) == QKeySequence(QStringLiteral("Ctrl+Q"))) {
                // The same road as File > Quit.
                if (QAction* quit = MainMenuBar::instance()->childItem(QStringLiteral("FileQuit")))
                    quit->trigger();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QObject* installQuitShortcut(QCoreApplication* application)
{
    auto* filter = new QuitShortcut(application);
    application->installEventFilter(filter);
    return filter;
}
