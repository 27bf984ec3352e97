// Velvane: a rhythm-reading trainer.
#include "engine/window1.h"
#include "shell/startup.h"

int main(int argc, char** argv)
{
    // The shared globals have their initial values from static initialisation.
    return _Main(argc, argv, [] { Window1::instance(); });
}
