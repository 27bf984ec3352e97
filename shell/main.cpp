// Velvane: a rhythm-reading trainer.
#include "engine/window1.h"
#include "platform/sound.h"
#include "shell/startup.h"

int main(int argc, char** argv)
{
    // Run by itself to try a sound driver, it does only that.
    platform::answerSoundProbe();
    // The shared globals have their initial values from static initialisation.
    return _Main(argc, argv, [] { Window1::instance(); });
}
