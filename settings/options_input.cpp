// The input method (computer keyboard or MIDI), the list of MIDI input
// devices, and whether MIDI hits sound.
#include "platform/midi.h"
#include "platform/numbers.h"
#include "platform/services.h"
#include "settings/optionwin.h"
#include "shell/module1.h"
#include <QCheckBox>
#include <QRadioButton>

using namespace Module1;

void optionwin::RadioButton19_Action()
{
    midiinput = false;
    Listbox1->setVisible(false); // keeps its rows; the stream stays open
}

void optionwin::RadioButton20_Action()
{
    if (midiinputpos) {
        midiinput = true;
        Listbox1->setVisible(true);
        fillDeviceList(); // opens nothing: the stream keeps its device
        return;
    }
    platform::MsgBox(QStringLiteral("No MIDI input device found."));
    midiinput = false;
    // Selecting the keyboard clears "Midi" (Qt keeps an exclusive group's
    // checked button when code unchecks it directly).
    RadioButton19->setChecked(true);
    Listbox1->setVisible(false);
}

void optionwin::fillDeviceList()
{
    const int n = platform::PortMidiMBS::CountDevices();
    Listbox1->DeleteAllRows();
    for (int id = 0; id < n; ++id) {
        std::shared_ptr<platform::PortMidiDeviceInfoMBS> info = platform::PortMidiMBS::DeviceInfo(id);
        if (!info || !info->HasInput())
            continue;
        Listbox1->AddRow(info->Name());
        Listbox1->setCell(Listbox1->LastIndex(), 1, platform::Str(id));
    }
}

// The keyboard hides the device list; MIDI shows it with the devices listed,
// as choosing either would.
void optionwin::selectInputMethod()
{
    (midiinput ? RadioButton20 : RadioButton19)->setChecked(true);
    Listbox1->setVisible(midiinput);
    if (midiinput)
        fillDeviceList();
}

bool optionwin::Listbox1_CellClick(int64_t row, int64_t /*column*/, int /*x*/, int /*y*/)
{
    const int id = platform::TruncToInt32(platform::Val(Listbox1->Cell(row, 1)));
    // Rows exist only after a MIDI choice, which needs the stream that
    // start-up made; without one there is nothing to reopen.
    if (!s)
        return false;
    if (s->OpenInput(id, platform::inputBufferEvents) < 0)
        s->OpenInput(1, platform::inputBufferEvents);
    return false;
}

void optionwin::CheckBox1_Open() { CheckBox1->setChecked(playmidinotes); }

void optionwin::CheckBox1_Action() { playmidinotes = CheckBox1->isChecked(); }
