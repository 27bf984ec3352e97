#include "shell/velvane.h"
#include "platform/errors.h"

Velvane::Velvane(int& argc, char** argv) : QApplication(argc, argv) {}

Velvane::~Velvane() = default;

void Velvane::Event_Open()
{
    Randomizer = std::make_unique<platform::Random>();
}

Velvane* App()
{
    auto* app = qobject_cast<Velvane*>(QCoreApplication::instance());
    if (!app)
        throw platform::IllegalCastException(QStringLiteral("the application object is not a Velvane"));
    return app;
}

platform::Random& randomizer()
{
    Velvane* app = App();
    if (!app->Randomizer)
        throw platform::NilObjectException(QStringLiteral("Randomizer"));
    return *app->Randomizer;
}
