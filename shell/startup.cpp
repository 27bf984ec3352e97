#include "shell/startup.h"
#include "platform/fonts.h"
#include "platform/midi.h"
#include "platform/quitsignals.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "shell/mainmenubar.h"
#include "shell/module1.h"
#include "shell/quitshortcut.h"
#include "shell/velvane.h"
#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace {

std::unique_ptr<Velvane> application;
std::unique_ptr<platform::SdlMixer> mixer;
std::unique_ptr<platform::QuitSignals> quitSignals;

// Creates the application object with its version data and menu bar.
void _NewAppInstance(int& argc, char** argv)
{
    application = std::make_unique<Velvane>(argc, argv);
    application->MajorVersion = 1;
    application->MinorVersion = 2;
    application->BugVersion = 0;
    application->NonReleaseVersion = 24;
    application->StageCode = 3;
    application->ShortVersion = QStringLiteral("1.2");
    application->LongVersion = QStringLiteral("Velvane 1.2, rhythm reading trainer");
    application->setApplicationName(QStringLiteral("Velvane"));
    application->setApplicationVersion(application->ShortVersion);
    // The application's menu bar; the main window shows the same instance.
    MainMenuBar::instance();
    installQuitShortcut(application.get());
    // kill and Ctrl+C quit as File > Quit does; one arriving during start-up
    // waits in the pipe until the event loop runs.
    quitSignals = std::make_unique<platform::QuitSignals>(
        [] { platform::guarded([] { platform::Quit(0); }); });
}

} // namespace

void deleteTopLevelWindows()
{
    // Deleting one window deletes its children, some of which (menus) are
    // top-level widgets of the list too: hold them through guarded pointers.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows << w;
    for (const QPointer<QWidget>& w : windows)
        if (w && !w->parent())
            delete w.data();
}

void closeMidiInput()
{
    if (Module1::s)
        Module1::s->Close();
    Module1::s.reset();
    Module1::pm.reset();
    platform::terminateMidi();
}

void _InitFileTypes() {}

void _ApplicationAddMenuHandlers() {}

void _EarlyStartup(int& argc, char** argv)
{
    platform::ignoreWriteSignals();
    // High-DPI displays: Qt 6 scales by itself; keep fractional factors exact.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    _InitFileTypes();
    _NewAppInstance(argc, argv);
    _ApplicationAddMenuHandlers();
}

void _LateStartup(const std::function<void()>& makeDefaultView)
{
    platform::installFontSubstitutes();
    // The one long-lived sound stream; without a device the program runs
    // silent until a sound server answers (the mixer looks again at START).
    mixer = std::make_unique<platform::SdlMixer>();
    mixer->open();
    platform::setSoundOutput(mixer.get());
    application->Event_Open();
    makeDefaultView();
}

int _Main(int& argc, char** argv, const std::function<void()>& makeDefaultView)
{
    int status = 0;
    _EarlyStartup(argc, argv);
    bool started = false;
    platform::guarded([&] {
        _LateStartup(makeDefaultView);
        started = true;
    });
    if (platform::quitRequested())
        status = platform::quitCode();
    else if (started)
        status = application->exec();
    else
        status = 1;
    // Every way out comes here. Windows go before the application object
    // they belong to, and MIDI input ends while its library is still there.
    deleteTopLevelWindows();
    closeMidiInput();
    platform::setSoundOutput(nullptr);
    mixer.reset();
    // The default dispositions again, just before the application goes.
    quitSignals.reset();
    application.reset();
    return status;
}
