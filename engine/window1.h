#pragma once
// The test screen, the program's main window: its controls, the per-test
// state, and the handlers and methods that run a test on it.
#include "platform/controls.h"
#include "platform/graphics.h"
#include "platform/ref.h"
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QSlider>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QKeyEvent;

class Window1 : public QMainWindow {
    Q_OBJECT
public:
    // The shared instance: created, laid out and opened on the first call.
    static Window1* instance();
    // The shared instance if one exists (nullptr otherwise).
    static Window1* existing();

    // Builds the window's controls and runs its open handler. The first window
    // made becomes the shared instance.
    Window1();
    ~Window1() override;

    // ---- Per-test state ---------------------------------------------------
    // Hit-strip positions of the current bar's hits, -1 = empty; a bar's hits
    // past the last entry get no dot.
    static constexpr int64_t hitStripPlaces = 101;
    platform::BoundedArray<int64_t, hitStripPlaces> place;
    int64_t notecount = 0;
    int64_t newtick = 0;
    int64_t lastticktime = 0;
    bool newpagecheck = false;
    int64_t beatsinbar = 4;
    int64_t pagenumber = 0;
    int64_t startofnote = 0;
    int64_t continuoustime = 0;
    int64_t notesinbar = 0;
    int64_t notessofar = 0;
    int64_t bars = 4;
    int64_t notesplayedsofar = 0;
    int64_t nextnote = 0;
    bool listening = false;
    bool listenplay = true;
    bool allowplay = true;
    int64_t lastnotesounded = 0;
    bool refreshcanvas2 = false;
    int64_t refreshrow = 0;

    // Drawing state of the current bar: group index and left edge of each picture.
    std::vector<int64_t> bargroups;
    std::vector<int64_t> barleft;

    // ---- Controls ---------------------------------------------------------
    platform::Timer* Timer1 = nullptr;         // the test clock
    platform::Canvas* Canvas1 = nullptr;       // the notation canvas
    platform::TextField* TextField1 = nullptr; // the key field
    platform::Canvas* Canvas2 = nullptr;       // the hit strip
    platform::Listbox* notelist = nullptr;     // the note table
    platform::Timer* prestarttimer = nullptr;  // the pre-start wait
    static constexpr int prestartWaitMs = 2000; // from START to the test start
    QLabel* lisplaylabel = nullptr;            // the caption
    platform::BevelButton* BevelButton1 = nullptr; // start
    platform::BevelButton* BevelButton2 = nullptr; // options
    platform::BevelButton* BevelButton3 = nullptr; // results
    QGroupBox* resultbox = nullptr;
    QLabel* perfect = nullptr;
    // The result label named "close"; the trailing underscore keeps it apart
    // from QWidget::close().
    QLabel* close_ = nullptr;
    QLabel* whoops = nullptr;
    QLabel* summary = nullptr;
    QLabel* summary2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* tacclabel = nullptr;
    QLabel* ttestslabel = nullptr;
    QLabel* thitslabel = nullptr;
    QLabel* tnearlabel = nullptr;
    QLabel* tmisslabel = nullptr;
    QLabel* tnoteslabel = nullptr;
    platform::BevelButton* BevelButton4 = nullptr; // help
    QSlider* Slider1 = nullptr;                    // tempo
    QLabel* tmisslabel1 = nullptr;                 // "SET TEMPO"
    QLabel* tempolabel = nullptr;
    platform::Listbox* retestlist = nullptr;       // the repeat list
    platform::BevelButton* BevelButton5 = nullptr; // new test
    platform::Timer* replaytimer = nullptr;        // the replay clock

    // ---- Event handlers ---------------------------------------------------
    void Timer1_Action();
    void Canvas1_Paint(platform::Graphics& g);
    // arrivalNs: when the key arrived (clockNanoseconds), where known.
    bool TextField1_KeyDown(const QString& key, std::optional<int64_t> arrivalNs = std::nullopt);
    void Canvas2_Paint(platform::Graphics& g);
    bool notelist_CellClick(int64_t row, int64_t column, int x, int y);
    void prestarttimer_Action();
    void BevelButton1_Action();
    void BevelButton2_Action();
    void BevelButton3_Action();
    void BevelButton4_Action();
    void BevelButton5_Action();
    void Slider1_Open();
    void Slider1_ValueChanged();
    void replaytimer_Action();

    void Event_Open();
    void Event_Close();

    // ---- Methods ----------------------------------------------------------
    void correctnotelist();
    void starttest();
    QString createnote(int64_t previous);
    void showresults();
    void loaddata();
    void savedata();
    QString decpw(const QString& line);
    QString encpw(const QString& value);
    int64_t ts(int64_t beatUnits);
    int64_t tempoplace(int64_t ticks);
    void setrepeat();
    int64_t replayts(int64_t ticks);
    int64_t replaymetts(int64_t beatUnits);
    void generatebar();
    void expandgroup(int64_t group, bool lastBeat, int64_t& previousPitch);

    // The first step of every test-clock pass while MIDI is the input method.
    void midihits();

    // ---- Sequences shared by several handlers -------------------------------
    // A test or its pre-start wait is under way; it owns the run state and the
    // tempo.
    bool testrunning() const;
    // Gives the controls back when a test stops or ends: the start button's face
    // (`repeat` with the new-test button shown when a test is held, else `go`),
    // the results and options buttons, the tempo slider; hides the caption and
    // repaints both canvases.
    void restoreidlecontrols(bool held);
    // Starts a replay of the last test unless a test or its pre-start wait
    // runs or the note table is empty: the tempo slider is locked, the run
    // state reset, the replay clock started from the first bar line, and an
    // open results window's replay button shows `smallstop`. Returns whether
    // it started.
    bool startreplay();
    // Ends a replay: its clock stops, the tempo slider is given back unless a
    // test holds it, and an open results window's replay button shows `play`.
    void stopreplay();
    // Lets go of the held test: no repeat, an empty repeat list, and a start
    // button showing `repeat` shows `go`.
    void releaseheldtest();

    // Where the gates leave a hit.
    enum class HitGate { refused, early, accepted };
    // The gates every hit passes, key or MIDI; the count-in gate holds keys
    // only. On `accepted` hitTime is the hit's time on the onset scale. `at`
    // is the tick the hit came at, when known (a MIDI event's arrival); else
    // the hit is now.
    HitGate hitgate(bool countInGate, int64_t& hitTime, std::optional<int64_t> at = std::nullopt);
    // Sounds the pitch of an accepted hit, timed from its arrival where known
    // (clockNanoseconds), and chooses the next one.
    void soundhit(bool midi, std::optional<int64_t> arrivalNs);
    // Records an accepted hit: counts it, writes its hit time (and, when
    // writePitch, the pitch just sounded) into row allnotes with its dot on the
    // hit strip (at the tick `at`, else now), moves on to the next row and
    // repaints the strip.
    void recordHit(int64_t hitTime, bool writePitch, std::optional<int64_t> at = std::nullopt);

    // The metronome's beat step, shared by the test and replay clocks: once
    // newtick reaches beatTicks a beat is counted and clicked; lastBeat runs
    // when the bar's last beat begins, barLine at the bar line after its click.
    void metronomebeat(int64_t beatTicks, const std::function<void()>& lastBeat,
                       const std::function<void()>& barLine);

    // Menu items, looked up by name in the window's menu bar.
    QAction* FileMenu();
    QAction* FileQuit();
    QAction* EditMenu();
    QAction* EditUndo();
    QAction* EditCut();
    QAction* EditCopy();
    QAction* EditPaste();
    QAction* EditClear();
    QAction* EditSelectAll();
    QAction* EditSeparator1();
    QAction* EditSeparator2();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool timer1boxopen = false; // the test clock's error message is open
    void createControls();
    // The sound output is needed while a test, its pre-start wait or a replay
    // runs; it rests otherwise.
    void updateSoundNeed();
    void keyDownEvent(const QKeyEvent& event, bool& consumed);
    // Keeps the keyboard focus on the key field while a test runs and the
    // window is active, whatever took it (a click, another window).
    void watchkeyfocus();
    void keepkeyfocus();
    QAction* menuItem(const char* name);
    // The run state a test and a replay both start from: the count-in under
    // way, and no beat, hit, bar or note row counted yet.
    void resetrunstate();
    // The first bar line of a test or a replay: `hi`, when the sound exists,
    // and the clock's origins read from Ticks.
    void startbarclock();
    // The pass of the test clock without its error handling.
    void testClockPass();
    // Chooses Window1.nextnote after a hit (the closing cadence or the pitch walk).
    void choosenextnote(int64_t notesPlayed, bool midi);
    // The tempo as the label shows it: 3600 / tempo, then " bpm".
    static QString tempotext(int64_t ticksPerBeat);
    // Writes the six totals labels.
    void showtotals();
};
