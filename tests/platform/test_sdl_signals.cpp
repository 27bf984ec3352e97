// Opening the sound output leaves SIGTERM and SIGINT alone: SDL would
// otherwise catch both and turn them into an event the program never reads,
// so kill and Ctrl+C would no longer end it.
#include "platform/sound.h"
#include <gtest/gtest.h>
#include <csignal>

TEST(SoundOutputSignals, OpeningTheMixerInstallsNoSignalHandler)
{
    struct sigaction termBefore {}, intBefore {}, dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGTERM, &dfl, &termBefore);
    ::sigaction(SIGINT, &dfl, &intBefore);

    platform::SdlMixer mixer;
    const bool opened = mixer.open(); // the dummy driver opens; without one SDL still started
    struct sigaction term {}, intr {};
    ::sigaction(SIGTERM, nullptr, &term);
    ::sigaction(SIGINT, nullptr, &intr);
    mixer.close();
    ::sigaction(SIGTERM, &termBefore, nullptr);
    ::sigaction(SIGINT, &intBefore, nullptr);

    EXPECT_TRUE(opened);
    EXPECT_EQ(term.sa_handler, SIG_DFL);
    EXPECT_EQ(intr.sa_handler, SIG_DFL);
}
