// Beats in a bar and bars in a test: two groups of four radio buttons, each
// writing its value into the main window at once.
#include "engine/window1.h"
#include "settings/optionwin.h"
#include <QRadioButton>

std::array<optionwin::ValueChoice, 4> optionwin::beatChoices() const
{
    return {{{RadioButton9, 2}, {RadioButton10, 3}, {RadioButton11, 4}, {RadioButton12, 5}}};
}

std::array<optionwin::ValueChoice, 4> optionwin::barChoices() const
{
    return {{{RadioButton13, 4}, {RadioButton14, 8}, {RadioButton15, 12}, {RadioButton16, 16}}};
}

// A value outside the four keeps the layout's choice (4 beats, 4 bars).
void optionwin::selectBeatsAndBars()
{
    Window1* main = Window1::instance();
    for (const ValueChoice& c : beatChoices())
        if (c.value == main->beatsinbar)
            c.radio->setChecked(true);
    for (const ValueChoice& c : barChoices())
        if (c.value == main->bars)
            c.radio->setChecked(true);
}

// A radio button's click is raised only for the one that becomes selected, so
// these need not read its value.
void optionwin::RadioButton9_Action() { Window1::instance()->beatsinbar = 2; }
void optionwin::RadioButton10_Action() { Window1::instance()->beatsinbar = 3; }
void optionwin::RadioButton11_Action() { Window1::instance()->beatsinbar = 4; }
void optionwin::RadioButton12_Action() { Window1::instance()->beatsinbar = 5; }

void optionwin::RadioButton13_Action() { Window1::instance()->bars = 4; }
void optionwin::RadioButton14_Action() { Window1::instance()->bars = 8; }
void optionwin::RadioButton15_Action() { Window1::instance()->bars = 12; }
void optionwin::RadioButton16_Action() { Window1::instance()->bars = 16; }
