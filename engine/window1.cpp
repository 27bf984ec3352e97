#include "engine/clockphase.h"
#include "engine/window1.h"
#include "platform/fonts.h"
#include "platform/midi.h"
#include "platform/numbers.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "shell/mainmenubar.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "notation/grouptable.h"
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include "platform/controls.h"
#include <QPointer>

using namespace Module1;
using platform::Str;

namespace {

QPointer<Window1> shared;

// The client area below the menu bar.
constexpr int clientWidth = 960;
constexpr int clientHeight = 625;

QLabel* makeLabel(QWidget* parent, int x, int y, int w, int h, const QString& text, Qt::Alignment align,
                  uint32_t colour, const QString& family, int size, bool bold, bool opaque = true)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, w, h);
    label->setAlignment(align | Qt::AlignVCenter);
    label->setFont(platform::font(family, size, bold));
    label->setWordWrap(false);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    platform::setTextColor(label, colour);
    if (opaque) {
        platform::setWhiteBackground(label);
    }
    return label;
}

platform::BevelButton* makeButton(QWidget* parent, int x, int y, int w, int h, res::PictureRef icon,
                                  bool takesFocus)
{
    auto* button = new platform::BevelButton(parent);
    button->setGeometry(x, y, w, h);
    button->setIcon(icon);
    button->setFocusPolicy(takesFocus ? Qt::StrongFocus : Qt::NoFocus);
    return button;
}

platform::Timer* makeTimer(QObject* parent, int mode, int period)
{
    auto* timer = new platform::Timer(parent);
    timer->setMode(mode);
    timer->setPeriod(period);
    return timer;
}

} // namespace

Window1* Window1::instance()
{
    if (!shared) {
        auto* w = new Window1();
        w->show();
    }
    return shared;
}

Window1* Window1::existing() { return shared; }

Window1::Window1()
{
    if (!shared)
        shared = this;
    place.fill(0);
    setMenuBar(MainMenuBar::instance());
    setWindowTitle(QString());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    auto* client = new QWidget(this);
    client->setFixedSize(clientWidth, clientHeight);
    platform::setWhiteBackground(client);
    setCentralWidget(client);
    createControls();
    watchkeyfocus();
    // Fixed size: the client area plus the menu bar.
    setFixedSize(clientWidth, clientHeight + menuBar()->sizeHint().height());
    Event_Open();
}

Window1::~Window1()
{
    if (shared == this)
        shared = nullptr;
    // The controls go next; their focus changes must not reach a window that
    // is half gone.
    disconnect(qApp, nullptr, this, nullptr);
    platform::setSoundNeeded(false);
}

void Window1::updateSoundNeed()
{
    platform::setSoundNeeded(prestarttimer->Enabled() || Timer1->Enabled() || replaytimer->Enabled());
}

void Window1::createControls()
{
    QWidget* w = centralWidget();
    using platform::font;

    Timer1 = makeTimer(this, 2, clockphase::periodMs);
    Timer1->Action = [this] { Timer1_Action(); };

    Canvas1 = new platform::Canvas(w);
    Canvas1->setGeometry(0, 2, 725, 231);
    Canvas1->setBackdrop(res::canvasback());
    Canvas1->Paint = [this](platform::Graphics& g) { Canvas1_Paint(g); };

    TextField1 = new platform::TextField(w);
    TextField1->setGeometry(-118, 371, 84, 22);
    TextField1->setText(QString());
    TextField1->KeyDown = [this](const QKeyEvent& e) {
        bool consumed = false;
        keyDownEvent(e, consumed);
        return consumed;
    };

    Canvas2 = new platform::Canvas(w);
    Canvas2->setGeometry(0, 269, 712, 47);
    Canvas2->Paint = [this](platform::Graphics& g) { Canvas2_Paint(g); };

    notelist = new platform::Listbox(5, w);
    notelist->setGeometry(-222, 147, 196, 129);
    notelist->CellClick = [this](int64_t row, int64_t col, int x, int y) {
        return notelist_CellClick(row, col, x, y);
    };

    prestarttimer = makeTimer(this, 1, prestartWaitMs);
    prestarttimer->Action = [this] { prestarttimer_Action(); };

    lisplaylabel = makeLabel(w, 252, 233, 236, 37, QString(), Qt::AlignHCenter, 0xFF0000,
                             QStringLiteral("Arial Bold Italic"), 30, false, false);

    BevelButton1 = makeButton(w, 277, 308, 173, 76, res::go(), true);
    BevelButton1->setIconDY(30);
    BevelButton1->Action = [this] { BevelButton1_Action(); };
    BevelButton2 = makeButton(w, 68, 312, 141, 65, res::options(), true);
    BevelButton2->Action = [this] { BevelButton2_Action(); };
    BevelButton3 = makeButton(w, 523, 312, 141, 65, res::results(), false);
    BevelButton3->Action = [this] { BevelButton3_Action(); };

    resultbox = new QGroupBox(w);
    resultbox->setGeometry(45, 416, 667, 189);
    resultbox->setTitle(QString());
    platform::setWhiteBackground(resultbox);
    // The default style tints the box's panel, so each white label would show
    // as a patch; the inside is the labels' white.
    resultbox->setStyleSheet(QStringLiteral(
        "QGroupBox { background-color: white; border: 1px solid rgb(170, 170, 170); border-radius: 4px; }"));
    resultbox->hide();
    // The result labels' coordinates are the window's; the box holds them.
    auto inBox = [](int x, int y) { return QPoint(x - 45, y - 416); };
    const QString comic = QStringLiteral("comic sans MS");
    QPoint p = inBox(85, 426);
    perfect = makeLabel(resultbox, p.x(), p.y(), 607, 46, QStringLiteral("Perfect Hits = "), Qt::AlignHCenter,
                        0x008040, comic, 25, true);
    p = inBox(85, 471);
    close_ = makeLabel(resultbox, p.x(), p.y(), 286, 46, QStringLiteral("Pretty Close Hits = "), Qt::AlignLeft,
                       0x0080C0, comic, 25, true);
    p = inBox(383, 471);
    whoops = makeLabel(resultbox, p.x(), p.y(), 263, 46, QStringLiteral("Whoops a daisy = "), Qt::AlignLeft,
                       0xFF0000, comic, 25, true);
    p = inBox(53, 521);
    summary = makeLabel(resultbox, p.x(), p.y(), 646, 27, QStringLiteral("You played 0 notes but missed 0"),
                        Qt::AlignHCenter, 0x000000, comic, 20, true);
    p = inBox(53, 554);
    summary2 = makeLabel(resultbox, p.x(), p.y(), 646, 32, QStringLiteral("You played 0 notes but missed 0"),
                         Qt::AlignHCenter, 0x000000, comic, 20, true);

    Label2 = makeLabel(w, 737, 47, 193, 27, QStringLiteral("TOTALS TO DATE"), Qt::AlignLeft, 0x8000FF, comic, 18,
                       false);
    tacclabel = makeLabel(w, 737, 168, 212, 27, QStringLiteral("Accuracy"), Qt::AlignLeft, 0, comic, 15, false);
    ttestslabel = makeLabel(w, 737, 108, 212, 27, QStringLiteral("Number of tests"), Qt::AlignLeft, 0, comic, 15,
                            false);
    thitslabel = makeLabel(w, 737, 196, 212, 27, QStringLiteral("Perfect hits"), Qt::AlignLeft, 0, comic, 15, false);
    tnearlabel = makeLabel(w, 737, 225, 212, 27, QStringLiteral("Pretty close hits"), Qt::AlignLeft, 0, comic, 15,
                           false);
    tmisslabel = makeLabel(w, 737, 253, 212, 27, QStringLiteral("Way off hits"), Qt::AlignLeft, 0, comic, 15, false);
    tnoteslabel = makeLabel(w, 737, 138, 212, 27, QStringLiteral("Notes played"), Qt::AlignLeft, 0, comic, 15,
                            false);

    BevelButton4 = makeButton(w, 776, 328, 117, 46, res::help(), true);
    BevelButton4->Action = [this] { BevelButton4_Action(); };

    Slider1 = new QSlider(Qt::Horizontal, w);
    Slider1->setGeometry(748, 469, 156, 31);
    Slider1->setMinimum(0);
    Slider1->setMaximum(100);
    Slider1->setValue(60);
    Slider1->setSingleStep(1);
    Slider1->setPageStep(20);
    Slider1->setTracking(false); // the value changes when the thumb is released
    Slider1->setTickPosition(QSlider::NoTicks);
    connect(Slider1, &QSlider::valueChanged, this, [this] { platform::guarded([this] { Slider1_ValueChanged(); }); });

    tmisslabel1 = makeLabel(w, 734, 419, 202, 43, QStringLiteral("SET TEMPO"), Qt::AlignHCenter, 0x8000FF, comic, 25,
                            false);
    tempolabel = makeLabel(w, 748, 499, 156, 39, QStringLiteral("60 bpm"), Qt::AlignHCenter, 0x400080, comic, 25,
                           false);

    retestlist = new platform::Listbox(1, w);
    retestlist->setGeometry(-48, 405, 36, 128);

    BevelButton5 = makeButton(w, 302, 382, 123, 32, res::newtest(), false);
    BevelButton5->hide();
    BevelButton5->Action = [this] { BevelButton5_Action(); };

    replaytimer = makeTimer(this, 2, clockphase::periodMs);
    replaytimer->Action = [this] { replaytimer_Action(); };

    // START wakes the sound at the start of the pre-start wait, so the
    // count-in's first click finds the stream running.
    for (platform::Timer* t : {prestarttimer, Timer1, replaytimer})
        connect(t, &platform::Timer::enabledChanged, this, [this] { updateSoundNeed(); });

    // Controls' open events run once every control exists: the slider's
    // value change writes the tempo label.
    platform::guarded([this] { Slider1_Open(); });
}

void Window1::Event_Open()
{
    lisplaylabel->setVisible(false);
    BevelButton3->setEnabled(false);
    BevelButton3->setIcon(res::resultslight());
    place.fill(-1);
    Timer1->setEnabled(false);
    replaytimer->setEnabled(false);
    prestarttimer->setEnabled(false);

    for (int64_t i = 0; i <= 30; ++i)
        notes[i] = grouptable::picture(i);
    for (int64_t i = 0; i <= 30; ++i)
        notespace[i] = grouptable::advance(i);
    sounds[0] = res::c();
    sounds[1] = res::d();
    sounds[2] = res::e();
    sounds[3] = res::f();
    sounds[4] = res::g();
    sounds[5] = res::a();
    sounds[6] = res::ch();

    Slider1->setMaximum(80);
    Slider1->setMinimum(20);
    Slider1->setPageStep(1);

    // Every input-capable MIDI device is opened in turn; s keeps the last.
    pm = std::make_shared<platform::PortMidiMBS>();
    int n = platform::PortMidiMBS::CountDevices();
    bool anyOpened = false;
    for (int i = 0; i < n; ++i) {
        auto info = platform::PortMidiMBS::DeviceInfo(i);
        if (!info || !info->HasInput())
            continue;
        s = std::make_shared<platform::PortMidiStreamMBS>();
        if (s->OpenInput(i, platform::inputBufferEvents) == 0)
            anyOpened = true;
    }
    if (anyOpened)
        midiinputpos = true;

    loaddata();
    showtotals();

    Slider1->setValue(static_cast<int>(std::clamp<int64_t>(tickspeed, INT32_MIN, INT32_MAX)));
    // The slider keeps its value within 20 to 80; a tempo it could not show
    // follows what it shows, so no tempo outside that range is ever used.
    if (tickspeed != Slider1->value())
        Slider1_ValueChanged();
    tempolabel->setText(tempotext(tickspeed));
}

void Window1::Event_Close()
{
    if (midiinputpos && s)
        s->Close();
    platform::Quit(0);
}

void Window1::closeEvent(QCloseEvent* event)
{
    platform::guarded([this] { Event_Close(); });
    event->accept();
}

QAction* Window1::menuItem(const char* name)
{
    auto* bar = qobject_cast<MainMenuBar*>(menuBar());
    return bar ? bar->childItem(QString::fromLatin1(name)) : nullptr;
}

QAction* Window1::FileMenu() { return menuItem("FileMenu"); }
QAction* Window1::FileQuit() { return menuItem("FileQuit"); }
QAction* Window1::EditMenu() { return menuItem("EditMenu"); }
QAction* Window1::EditUndo() { return menuItem("EditUndo"); }
QAction* Window1::EditCut() { return menuItem("EditCut"); }
QAction* Window1::EditCopy() { return menuItem("EditCopy"); }
QAction* Window1::EditPaste() { return menuItem("EditPaste"); }
QAction* Window1::EditClear() { return menuItem("EditClear"); }
QAction* Window1::EditSelectAll() { return menuItem("EditSelectAll"); }
QAction* Window1::EditSeparator1() { return menuItem("EditSeparator1"); }
QAction* Window1::EditSeparator2() { return menuItem("EditSeparator2"); }
