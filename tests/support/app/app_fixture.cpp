#include "support/app/app_fixture.h"
#include "scoring/resultswin.h"
#include "platform/textfile.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "shell/velvane.h"
#include <QApplication>

std::ostream& operator<<(std::ostream& os, const Event& e)
{
    return os << "(" << e.tick << ", " << e.what.toStdString() << ")";
}

::testing::AssertionResult idleControls(Window1& w)
{
    QStringList wrong;
    if (!w.BevelButton2->isEnabled() || w.BevelButton2->Icon() != res::options())
        wrong << QStringLiteral("the options button");
    if (!w.BevelButton3->isEnabled() || w.BevelButton3->Icon() != res::results())
        wrong << QStringLiteral("the results button");
    if (!w.Slider1->isEnabled())
        wrong << QStringLiteral("the tempo slider");
    if (!w.lisplaylabel->isHidden())
        wrong << QStringLiteral("the mode caption");
    if (wrong.isEmpty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not given back: " << wrong.join(", ").toStdString();
}

void AppTest::SetUp()
{
    Module1::initialise();
    platform::setTickSource(&clock);
    platform::setSoundOutput(&sound);
    platform::setMidiBackend(&midi);
    platform::setMessageBoxSink(&box);
    platform::setQuitSink(&quit);
    ASSERT_TRUE(dataDir.isValid());
    platform::setDataFolder(dataDir.path());
    App()->Randomizer = std::make_unique<platform::Random>();
}

void AppTest::TearDown()
{
    // A results window a test opened goes with the main window it shows.
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* r = qobject_cast<resultswin*>(top))
            delete r;
    resetCase();
    platform::setTickSource(nullptr);
    platform::setSoundOutput(nullptr);
    platform::setMidiBackend(nullptr);
    platform::setMessageBoxSink(nullptr);
    platform::setQuitSink(nullptr);
    platform::setDataFolder(QString());
}

void AppTest::resetCase()
{
    window.reset();
    Module1::initialise();
}

int64_t AppTest::startTest()
{
    window->BevelButton1_Action();
    EXPECT_EQ(window->BevelButton1->Icon(), res::stop()) << "START shows the STOP face";
    clock.advance(prestartTicks);
    window->prestarttimer_Action();
    return clock.now;
}

Window1& AppTest::openWindow()
{
    window = std::make_unique<Window1>();
    return *window;
}

platform::ScriptedRandom& AppTest::scriptRandom(std::initializer_list<int64_t> values)
{
    auto scripted = std::make_unique<platform::ScriptedRandom>(values);
    platform::ScriptedRandom& ref = *scripted;
    App()->Randomizer = std::move(scripted);
    return ref;
}

QStringList AppTest::takePlayed()
{
    QStringList names = sound.names();
    sound.played.clear();
    return names;
}
