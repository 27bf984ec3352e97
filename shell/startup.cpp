#include "shell/startup.h"
#include "platform/fonts.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "shell/mainmenubar.h"
#include "shell/velvane.h"
#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace {

std::unique_ptr<Velvane> application;
std::unique_ptr<platform::SdlMixer> mixer;

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

void _InitFileTypes() {}

void _ApplicationAddMenuHandlers() {}

void _EarlyStartup(int& argc, char** argv)
{
    // High-DPI displays: Qt 6 scales by itself; keep fractional factors exact.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    _InitFileTypes();
    _NewAppInstance(argc, argv);
    _ApplicationAddMenuHandlers();
}

void _LateStartup(const std::function<void()>& makeDefaultView)
{
    platform::installFontSubstitutes();
    // The one long-lived sound stream; without a device the program runs silent.
    mixer = std::make_unique<platform::SdlMixer>();
    if (mixer->open())
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
    // Windows go before the application object they belong to.
    deleteTopLevelWindows();
    platform::setSoundOutput(nullptr);
    mixer.reset();
    application.reset();
    return status;
}
