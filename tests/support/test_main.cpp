// Test entry: the offscreen platform on a large screen unless told
// otherwise, then the application object, then GoogleTest.
#include <gtest/gtest.h>
#include <QApplication>
#include <cstdlib>
#include <string_view>

#include "platform/sound.h"

#ifdef VELVANE_TEST_APP_OBJECT
#include "shell/velvane.h"
#endif

int main(int argc, char** argv)
{
    // Run by itself to try a sound driver, as the program is.
    platform::answerSoundProbe();
    // Test discovery runs the binary without the test's environment. The
    // offscreen platform's own screen is smaller than the windows; unless a
    // test names its screen, it runs on one that holds them.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::string_view(platform) == "offscreen")
        setenv("QT_QPA_PLATFORM", "offscreen:configfile=" VELVANE_TEST_SCREEN, 1);
    if (!std::getenv("SDL_AUDIODRIVER"))
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::testing::InitGoogleTest(&argc, argv);
#ifdef VELVANE_TEST_APP_OBJECT
    Velvane app(argc, argv);
    app.Event_Open();
#else
    QApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
