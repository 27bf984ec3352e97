#include "settings/helptext.h"
#include <QStringList>

// One line per heading or paragraph; the text area wraps the paragraphs.
QString helpText()
{
    static const char* const lines[] = {
        "HOW TO PLAY",
        "",
        "If you do not use a MIDI instrument you can skip this part and go straight to the ****. You play the rhythms either on the computer keys or on a MIDI device; choose which in the INPUT METHOD section of the OPTIONS window.",
        "When you choose Midi, a list of your MIDI interfaces appears: if you have more than one, click the one you want to use.",
        "A MIDI device that you connect while Velvane is running is not seen until you close Velvane and start it again.",
        "Tick \"Midi input plays a sound\" if you want to hear something as you play. Each note you play then sounds a note that Velvane chooses, not the key you pressed, just so that you hear something.",
        "",
        "****",
        "Before a test, press the OPTIONS button to set the level of difficulty. The two levels in the top row use only the rhythm groups shown beside them. Each level below them also includes the groups of the levels above it, except the triplets of the top right level, which are included only from the second of the more advanced levels on. The time signature and the number of bars in a test are set there as well.",
        "",
        "Set the tempo in beats per minute with the SET TEMPO slider before you start the test.",
        "",
        "There are two modes you can use:",
        "",
        "1. LISTEN AND PLAY. ",
        "Press START to begin. During the test START becomes STOP, so you can cancel the test at any time.",
        "First you hear a one bar count in. The first beat of every bar has a higher click than the others.",
        "While LISTEN shows on the screen the computer plays the bar to you. When PLAY shows, it is your turn: play the same bar back on the computer keys or on your MIDI device.",
        "Tap each note: only the moment you press a key counts, so holding it down for a long note changes nothing.",
        "Nothing you play while LISTEN shows is counted, and you cannot play more notes than the bar holds.",
        "Notes you miss in a bar count only against that bar: the next bar starts afresh.",
        "",
        "2. CONTINUOUS PLAY",
        "After a one bar count in, play straight through the whole test to the last note.",
        "The next bar is shown a little before the end of the bar you are playing: by default just before the last metronome click of the bar on screen.",
        "In the OPTIONS window you can move this earlier or later, from 1 2/3 beats to 1/6 of a beat before the bar line (the number beside the slider counts 60ths of a beat).",
        "Nothing is reset at a new bar, so a missed or an extra note makes the rest of the test early or late.",
        "After a complete test the summary of that test is shown below the notation and the summary of all your tests on the right.",
        "",
        "If you tick \"Repeat each test until happy\", the START button becomes a REPEAT TEST button after the first complete test, so you can play the same test again. Press NEW TEST to move on to a different test.",
        "",
        "While you play, the line under the notation shows where your notes fell in the bar. The RESULTS button shows a graph of the whole test: the black dots are what the computer played and your playing is just below them, a green dot for a note exact to a 60th of a second, blue for one within a 12th of a second and red for one further out.",
        "The PLAY button in the results window plays back what you played in the last test.",
        "",
        "WHAT YOUR ACCURACY SCORE MEANS",
        "Velvane counts by how many 60ths of a second each note was early or late and averages this over the whole test. Being a whole second out on average gives 0% accuracy and half a second out 50%, whatever the tempo (a second is a whole beat at 60 beats per minute). A note you miss adds a whole second without counting as a note played.",
    };
    QStringList text;
    for (const char* line : lines)
        text << QString::fromLatin1(line);
    return text.join(QLatin1Char('\n'));
}
