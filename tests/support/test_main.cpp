// Test entry: the offscreen platform unless told otherwise, then the
// application object, then GoogleTest.
#include <gtest/gtest.h>
#include <QApplication>
#include <cstdlib>

#include "platform/sound.h"

#ifdef VELVANE_TEST_APP_OBJECT
#include "shell/velvane.h"
#endif

int main(int argc, char** argv)
{
    // Run by itself to try a sound driver, as the program is.
    platform::answerSoundProbe();
    // Test discovery runs the binary without the test's environment.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
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
