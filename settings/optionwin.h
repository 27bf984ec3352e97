#pragma once
// The options window, shown modally between tests: level, beats in a bar,
// number of bars, mode with its next-bar timing and repeat mode, input method
// with the MIDI device and the MIDI sound option. Every control writes its
// setting the moment the user changes it; there is no OK or cancel, and
// closing the window saves nothing.
//
// Setting a control from code (the open handlers, a picture button selecting
// its radio button, a refused MIDI choice) never runs that control's handler:
// the handlers listen to the user's clicks only, and the slider's signal is
// blocked while code moves it. The open event therefore sets the states that
// depend on the mode and the input method itself.
#include "platform/controls.h"
#include "platform/screenfit.h"
#include <QDialog>
#include <array>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QSlider;

class optionwin : public QDialog {
    Q_OBJECT
public:
    // The shared instance: when none exists, a new window is built from its
    // layout, its open handlers run, and it is returned hidden (ShowModal
    // shows it; a dialog shown before exec() would not be modal).
    static optionwin* instance();
    // The options window if one exists; nullptr otherwise.
    static optionwin* existing();

    // Shows the window modally; returns when the user has closed it. The
    // window is gone afterwards: the next instance() builds a new one.
    void ShowModal();

    // The client area; every group box lies on its content.
    platform::ScrollingClient* client = nullptr;

    // ---- Controls, each named as in the layout -----------------------------
    // "SELECT THE RHYTHM GROUPS TO INCLUDE"
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QRadioButton* RadioButton7 = nullptr;
    QRadioButton* RadioButton6 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    platform::BevelButton* BevelButton6 = nullptr;
    platform::BevelButton* BevelButton5 = nullptr;
    platform::BevelButton* BevelButton4 = nullptr;
    platform::BevelButton* BevelButton3 = nullptr;
    platform::BevelButton* BevelButton1 = nullptr;
    QLabel* Label4 = nullptr;
    QRadioButton* RadioButton8 = nullptr;
    platform::BevelButton* BevelButton8 = nullptr;
    platform::BevelButton* BevelButton7 = nullptr;
    platform::BevelButton* BevelButton2 = nullptr;
    QRadioButton* RadioButton21 = nullptr;
    platform::BevelButton* BevelButton9 = nullptr;
    QLabel* Label15 = nullptr;

    // "BEATS IN BAR"
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* RadioButton10 = nullptr;
    QRadioButton* RadioButton9 = nullptr;
    QRadioButton* RadioButton11 = nullptr;
    QRadioButton* RadioButton12 = nullptr;
    platform::Canvas* Canvas1 = nullptr;
    platform::Canvas* Canvas2 = nullptr;
    platform::Canvas* Canvas3 = nullptr;
    platform::Canvas* Canvas4 = nullptr;

    // "NUMBER OF BARS IN TEST"
    QGroupBox* GroupBox3 = nullptr;
    QRadioButton* RadioButton13 = nullptr;
    QRadioButton* RadioButton14 = nullptr;
    QRadioButton* RadioButton15 = nullptr;
    QRadioButton* RadioButton16 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;

    // "MODE"
    QGroupBox* GroupBox4 = nullptr;
    QRadioButton* RadioButton18 = nullptr; // continuous
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QSlider* Slider1 = nullptr; // next-bar timing: earlychange = 100 - value
    QLabel* Label14 = nullptr;  // earlychange as a number
    QRadioButton* RadioButton17 = nullptr; // listen and play
    QCheckBox* CheckBox2 = nullptr;        // repeat mode

    // "INPUT METHOD"
    QGroupBox* GroupBox5 = nullptr;
    QRadioButton* RadioButton19 = nullptr; // computer keyboard
    platform::Listbox* Listbox1 = nullptr; // MIDI input devices: name, id
    QCheckBox* CheckBox1 = nullptr;        // MIDI input plays a sound
    QRadioButton* RadioButton20 = nullptr; // MIDI

    // ---- Level: each radio button and the picture button beside it --------
    void RadioButton1_Action();
    void RadioButton21_Action();
    void RadioButton2_Action();
    void RadioButton3_Action();
    void RadioButton4_Action();
    void RadioButton5_Action();
    void RadioButton6_Action();
    void RadioButton7_Action();
    void RadioButton8_Action();
    void BevelButton1_Action();
    void BevelButton9_Action();
    void BevelButton2_Action();
    void BevelButton3_Action();
    void BevelButton4_Action();
    void BevelButton5_Action();
    void BevelButton6_Action();
    void BevelButton7_Action();
    void BevelButton8_Action();

    // ---- Beats in bar (2 to 5) and number of bars (4, 8, 12, 16) ------------
    void RadioButton9_Action();
    void RadioButton10_Action();
    void RadioButton11_Action();
    void RadioButton12_Action();
    void RadioButton13_Action();
    void RadioButton14_Action();
    void RadioButton15_Action();
    void RadioButton16_Action();

    // ---- Mode, next-bar timing, repeat mode ---------------------------------
    void RadioButton17_Action();
    void RadioButton18_Action();
    void Slider1_Open();
    void Slider1_ValueChanged();
    void CheckBox2_Open();
    void CheckBox2_Action();

    // ---- Input method, MIDI device, MIDI sound ------------------------------
    void RadioButton19_Action();
    void RadioButton20_Action();
    // True when the click is consumed; the device list never consumes one, so
    // the clicked row is selected as usual.
    bool Listbox1_CellClick(int64_t row, int64_t column, int x, int y);
    void CheckBox1_Open();
    void CheckBox1_Action();

    // ---- Window --------------------------------------------------------------
    void Event_Open();
    void Event_Close();

    // One level: its two controls and the range of group indexes it draws.
    struct LevelChoice {
        QRadioButton* radio;
        platform::BevelButton* picture;
        int64_t stlevel;
        int64_t level;
    };
    // The nine levels in reading order (l1, l1t, l2 ... l8).
    std::array<LevelChoice, 9> levelChoices() const;

    // A radio button and the value it stands for.
    struct ValueChoice {
        QRadioButton* radio;
        int64_t value;
    };
    std::array<ValueChoice, 4> beatChoices() const; // Window1.beatsinbar
    std::array<ValueChoice, 4> barChoices() const;  // Window1.bars

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    optionwin();
    void createControls();
    void runOpenHandlers();

    // The handlers of a level's radio button and of its picture button.
    void levelRadioAction(int choice);
    void levelPictureAction(int choice);

    // Open-event steps that select controls from the settings.
    void selectLevel();
    void selectBeatsAndBars();
    void selectMode();
    void selectInputMethod();
    void setSliderFromEarlychange();

    // Empties the device list and lists every device that can deliver input.
    void fillDeviceList();
};
