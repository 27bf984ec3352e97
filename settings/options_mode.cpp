// The mode (listen and play or continuous), the next-bar slider of continuous
// mode, and repeat mode.
#include "engine/window1.h"
#include "platform/numbers.h"
#include "settings/optionwin.h"
#include "shell/module1.h"
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

using namespace Module1;

namespace {

// The slider position for earlychange: value = 100 - earlychange. Only a data
// file can hold a value outside 10 to 100; the slider then stands at the
// nearer end, and earlychange itself stays as it is until the user moves the
// slider. Compared before subtracting, so no value can overflow.
int sliderValue(int64_t early)
{
    if (early >= 100)
        return 0;
    if (early <= 10)
        return 90;
    return static_cast<int>(100 - early);
}

} // namespace

void optionwin::RadioButton17_Action()
{
    Window1::instance()->listenplay = true;
    Slider1->setEnabled(false); // listen-and-play mode has no next-bar timing
}

void optionwin::RadioButton18_Action()
{
    Window1::instance()->listenplay = false;
    Slider1->setEnabled(true);
}

// Also enables the slider for continuous mode only, as the mode handlers do.
void optionwin::selectMode()
{
    const bool listenplay = Window1::instance()->listenplay;
    (listenplay ? RadioButton17 : RadioButton18)->setChecked(true);
    Slider1->setEnabled(!listenplay);
}

void optionwin::Slider1_Open()
{
    const QSignalBlocker quiet(Slider1);
    Slider1->setValue(sliderValue(earlychange));
}

void optionwin::setSliderFromEarlychange()
{
    const QSignalBlocker quiet(Slider1);
    Slider1->setMaximum(90);
    Slider1->setMinimum(0);
    Slider1->setPageStep(10);
    Slider1->setValue(sliderValue(earlychange));
}

void optionwin::Slider1_ValueChanged()
{
    earlychange = 100 - static_cast<int64_t>(Slider1->value());
    Label14->setText(platform::Str(earlychange));
}

void optionwin::CheckBox2_Open() { CheckBox2->setChecked(reptest); }

void optionwin::CheckBox2_Action()
{
    if (CheckBox2->isChecked()) {
        reptest = true; // the next completed test becomes the held test
        return;
    }
    // Switching repeat mode off also lets go of a held test.
    reptest = false;
    Window1::instance()->releaseheldtest();
}
