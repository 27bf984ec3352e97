// The options window: its layout, its opening from the settings, and the
// handlers of the level, time signature, bars, mode, next-bar timing, repeat
// mode, input method, MIDI device list and MIDI sound controls.
#include "settings/optionwin.h"
#include "settings/helptext.h"
#include "platform/fonts.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <numeric>
#include <ostream>

using namespace Module1;

namespace {

using Device = platform::ScriptedMidiBackend::Device;

Device device(const QString& name, bool hasInput)
{
    Device d;
    d.name = name;
    d.hasInput = hasInput;
    return d;
}

// Every setting the window reads or writes.
struct Settings {
    int64_t level, stlevel, earlychange;
    bool reptest, retest, midiinput, playmidinotes;
    int64_t beatsinbar, bars;
    bool listenplay;
    bool operator==(const Settings&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Settings& s)
{
    return os << "level " << s.level << " stlevel " << s.stlevel << " earlychange " << s.earlychange << " reptest "
              << s.reptest << " retest " << s.retest << " midiinput " << s.midiinput << " playmidinotes "
              << s.playmidinotes << " beatsinbar " << s.beatsinbar << " bars " << s.bars << " listenplay "
              << s.listenplay;
}

Settings current(const Window1& w)
{
    return {level, stlevel, earlychange, reptest, retest, midiinput, playmidinotes, w.beatsinbar, w.bars,
            w.listenplay};
}

// A user's click: on the indicator of a radio button or check box (their
// click area ends with the caption), in the middle of anything else.
void click(QAbstractButton* button)
{
    const bool indicator = qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button);
    const QPoint at = indicator ? QPoint(8, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
}

void clickRow(platform::Listbox* list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualRect(index).center());
}

// Texts compared as std::string read well in failure messages.
using Names = std::vector<std::string>;

std::string str(const QString& s) { return s.toStdString(); }

class OptionsTest : public AppTest {
protected:
    void TearDown() override
    {
        closeOptions();
        AppTest::TearDown();
    }

    // The options window as the options button gets it, made visible without
    // a modal loop so that clicks reach it.
    optionwin& openOptions()
    {
        if (!window)
            openWindow();
        optionwin* o = optionwin::instance();
        o->show();
        return *o;
    }

    // A new main window with every setting at its initial value, for the
    // cases of a table.
    Window1& freshWindow()
    {
        closeOptions();
        resetCase();
        return openWindow();
    }

    void closeOptions()
    {
        if (optionwin* o = optionwin::existing())
            o->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The radio buttons of a group box that are selected.
    static Names selected(QGroupBox* box)
    {
        Names names;
        for (QRadioButton* r : box->findChildren<QRadioButton*>())
            if (r->isChecked())
                names.push_back(r->objectName().toStdString());
        return names;
    }
};

// ---- The window and its layout ---------------------------------------------

TEST_F(OptionsTest, WindowFrameAndLifecycle)
{
    openWindow();
    optionwin* o = optionwin::instance();
    EXPECT_EQ(optionwin::instance(), o) << "an existing window is returned again";
    EXPECT_EQ(optionwin::existing(), o);
    EXPECT_FALSE(o->isVisible()) << "created hidden: shown only by the modal showing";
    EXPECT_EQ(str(o->windowTitle()), "Options");
    EXPECT_EQ(o->size(), QSize(830, 560));
    EXPECT_EQ(o->minimumSize(), QSize(830, 560));
    EXPECT_EQ(o->maximumSize(), QSize(830, 560));
    EXPECT_TRUE(o->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(o->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(o->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(o->autoFillBackground());
    EXPECT_EQ(o->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(o->parentWidget(), window.get()) << "centred over the main window";

    QPointer<optionwin> old = o;
    o->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull()) << "a closed window is gone";
    EXPECT_EQ(optionwin::existing(), nullptr);
}

TEST_F(OptionsTest, ShownModallyUntilClosed)
{
    openWindow();
    optionwin* o = optionwin::instance();
    QPointer<optionwin> guard = o;
    bool modal = false, visible = false;
    QTimer::singleShot(0, [&] {
        modal = QApplication::activeModalWidget() == guard.data();
        visible = guard && guard->isVisible();
        if (guard)
            QTest::keyClick(guard.data(), Qt::Key_Escape);
    });
    o->ShowModal();
    EXPECT_TRUE(visible);
    EXPECT_TRUE(modal) << "the other windows take no input while it is open";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull()) << "the next press builds a new window";
    EXPECT_EQ(optionwin::existing(), nullptr);
}

TEST_F(OptionsTest, StartButtonClosesTheWindowAndKeepsTheSettings)
{
    Window1& w = openWindow();
    optionwin::instance();
    const Settings before = current(w);
    w.BevelButton1_Action(); // START
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(optionwin::existing(), nullptr);
    EXPECT_EQ(current(w), before);
    w.BevelButton1_Action(); // STOP
}

TEST_F(OptionsTest, EveryControlInItsPlace)
{
    optionwin& o = openOptions();
    enum Kind { Label, Radio, Picture, Canvas, Slider, Check, List };
    struct Control {
        const char* name;
        Kind kind;
        QRect rect; // in the window's client area
        QString text;
    };
    struct Box {
        const char* name;
        QRect rect;
        QString title;
        std::vector<Control> controls; // in creation order
    };
    const std::vector<Box> boxes = {
        {"GroupBox1", {7, 10, 396, 530}, "SELECT THE RHYTHM GROUPS TO INCLUDE",
         {{"Label3", Label, {64, 209, 210, 20}, "MORE ADVANCED LEVELS"},
          {"Label2", Label, {64, 122, 31, 20}, "OR:"},
          {"Label1", Label, {59, 39, 159, 20}, "BASIC LEVELS"},
          {"RadioButton7", Radio, {35, 423, 21, 21}, ""},
          {"RadioButton6", Radio, {35, 376, 21, 21}, ""},
          {"RadioButton5", Radio, {35, 329, 21, 21}, ""},
          {"RadioButton4", Radio, {204, 280, 21, 21}, ""},
          {"RadioButton3", Radio, {35, 280, 21, 21}, ""},
          {"RadioButton2", Radio, {35, 166, 21, 21}, ""},
          {"RadioButton1", Radio, {35, 95, 21, 21}, ""},
          {"BevelButton6", Picture, {59, 351, 167, 51}, ""},
          {"BevelButton5", Picture, {59, 302, 325, 51}, ""},
          {"BevelButton4", Picture, {228, 251, 136, 51}, ""},
          {"BevelButton3", Picture, {59, 251, 121, 51}, ""},
          {"BevelButton1", Picture, {59, 67, 121, 51}, ""},
          {"Label4", Label, {62, 227, 322, 20}, "All previous levels may be incuded from here onwards"},
          {"RadioButton8", Radio, {35, 475, 21, 21}, ""},
          {"BevelButton8", Picture, {59, 448, 230, 59}, ""},
          {"BevelButton7", Picture, {59, 402, 230, 51}, ""},
          {"BevelButton2", Picture, {59, 143, 270, 46}, ""},
          {"RadioButton21", Radio, {203, 95, 21, 21}, ""},
          {"BevelButton9", Picture, {227, 65, 167, 51}, ""},
          {"Label15", Label, {192, 75, 31, 20}, "OR:"}}},
        {"GroupBox2", {433, 10, 375, 100}, "BEATS IN BAR",
         {{"RadioButton10", Radio, {541, 53, 23, 20}, ""},
          {"RadioButton9", Radio, {458, 52, 23, 20}, ""},
          {"RadioButton11", Radio, {626, 54, 23, 20}, ""},
          {"RadioButton12", Radio, {702, 54, 23, 20}, ""},
          {"Canvas1", Canvas, {486, 32, 38, 63}, ""},
          {"Canvas2", Canvas, {567, 32, 38, 63}, ""},
          {"Canvas3", Canvas, {647, 32, 38, 63}, ""},
          {"Canvas4", Canvas, {724, 32, 38, 63}, ""}}},
        {"GroupBox3", {434, 114, 375, 100}, "NUMBER OF BARS IN TEST",
         {{"RadioButton13", Radio, {454, 158, 23, 20}, ""},
          {"RadioButton14", Radio, {539, 158, 28, 20}, ""},
          {"RadioButton15", Radio, {624, 158, 23, 20}, ""},
          {"RadioButton16", Radio, {703, 158, 23, 20}, ""},
          {"Label5", Label, {477, 145, 28, 39}, "4"},
          {"Label6", Label, {566, 145, 28, 39}, "8"},
          {"Label7", Label, {644, 145, 39, 39}, "12"},
          {"Label8", Label, {724, 145, 39, 39}, "16"}}},
        {"GroupBox4", {433, 214, 376, 185}, "MODE",
         {{"RadioButton18", Radio, {483, 258, 25, 25}, ""},
          {"Label9", Label, {509, 232, 239, 26}, "Listen then copy, a bar at a time"},
          {"Label10", Label, {509, 261, 213, 35}, "Play right through to the end after a one bar count in"},
          {"Label11", Label, {483, 335, 210, 20}, "Show next bar time:"},
          {"Label12", Label, {448, 362, 42, 20}, "Earlier"},
          {"Label13", Label, {728, 363, 42, 20}, "Later"},
          {"Slider1", Slider, {500, 365, 220, 24}, ""},
          {"Label14", Label, {676, 338, 33, 20}, "80"},
          {"RadioButton17", Radio, {483, 233, 25, 25}, ""},
          {"CheckBox2", Check, {483, 295, 301, 20}, "  Repeat each test until happy"}}},
        {"GroupBox5", {433, 411, 375, 129}, "INPUT METHOD",
         {{"RadioButton19", Radio, {482, 432, 143, 20}, "Computer keyboard"},
          {"Listbox1", List, {470, 482, 300, 39}, ""},
          {"CheckBox1", Check, {544, 458, 178, 20}, "Midi input plays a sound"},
          {"RadioButton20", Radio, {482, 458, 57, 20}, "Midi"}}},
    };

    auto widgetChildren = [](QObject* parent) {
        Names names;
        for (QObject* child : parent->children())
            if (child->isWidgetType())
                names.push_back(str(child->objectName()));
        return names;
    };
    Names boxNames;
    int controls = 0;
    for (const Box& b : boxes) {
        boxNames.push_back(b.name);
        auto* box = o.findChild<QGroupBox*>(b.name);
        ASSERT_NE(box, nullptr) << b.name;
        EXPECT_EQ(box->geometry(), b.rect) << b.name;
        EXPECT_EQ(str(box->title()), str(b.title)) << b.name;
        EXPECT_EQ(str(box->font().family()), "Arial") << b.name;
        EXPECT_EQ(box->font().pixelSize(), 14) << b.name;
        EXPECT_TRUE(box->font().bold()) << b.name;

        Names expected;
        for (const Control& c : b.controls) {
            ++controls;
            expected.push_back(c.name);
            auto* widget = box->findChild<QWidget*>(c.name, Qt::FindDirectChildrenOnly);
            ASSERT_NE(widget, nullptr) << c.name << " in " << b.name;
            EXPECT_EQ(QRect(widget->mapTo(&o, QPoint(0, 0)), widget->size()), c.rect) << c.name;
            EXPECT_TRUE(widget->isVisibleTo(&o) || c.kind == List) << c.name;
            EXPECT_TRUE(widget->isEnabled() || c.kind == Slider) << c.name;
            switch (c.kind) {
            case Label:
                ASSERT_TRUE(qobject_cast<QLabel*>(widget)) << c.name;
                EXPECT_EQ(str(qobject_cast<QLabel*>(widget)->text()), str(c.text)) << c.name;
                break;
            case Radio:
            case Check:
                ASSERT_TRUE(c.kind == Radio ? bool(qobject_cast<QRadioButton*>(widget))
                                            : bool(qobject_cast<QCheckBox*>(widget)))
                    << c.name;
                EXPECT_EQ(str(qobject_cast<QAbstractButton*>(widget)->text()), str(c.text)) << c.name;
                // The group box's bold title font must not reach the buttons.
                EXPECT_FALSE(widget->font().bold()) << c.name;
                EXPECT_EQ(str(widget->font().family()), str(QApplication::font().family())) << c.name;
                break;
            case Picture:
                EXPECT_TRUE(qobject_cast<platform::BevelButton*>(widget)) << c.name;
                break;
            case Canvas:
                EXPECT_TRUE(qobject_cast<platform::Canvas*>(widget)) << c.name;
                break;
            case Slider:
                EXPECT_TRUE(qobject_cast<QSlider*>(widget)) << c.name;
                break;
            case List:
                EXPECT_TRUE(qobject_cast<platform::Listbox*>(widget)) << c.name;
                break;
            }
        }
        EXPECT_EQ(widgetChildren(box), expected) << b.name << ": contents and creation order";
    }
    EXPECT_EQ(widgetChildren(o.client->content()), boxNames) << "every control lies in a group box";
    EXPECT_EQ(controls + static_cast<int>(boxes.size()), 58);

    // The pictures, by identity with the accessors.
    struct Face {
        platform::BevelButton* button;
        res::PictureRef picture;
    };
    for (const Face& f : {Face{o.BevelButton1, res::l1()}, Face{o.BevelButton2, res::l2()}, Face{o.BevelButton3, res::l3()},
                          Face{o.BevelButton4, res::l4()}, Face{o.BevelButton5, res::l5()}, Face{o.BevelButton6, res::l6()},
                          Face{o.BevelButton7, res::l7()}, Face{o.BevelButton8, res::l8()},
                          Face{o.BevelButton9, res::l1t()}}) {
        EXPECT_FALSE(f.picture.isNil()) << f.button->objectName().toStdString();
        EXPECT_EQ(f.button->Icon(), f.picture) << f.button->objectName().toStdString();
    }
    EXPECT_EQ(o.Canvas1->Backdrop(), res::t24());
    EXPECT_EQ(o.Canvas2->Backdrop(), res::t34());
    EXPECT_EQ(o.Canvas3->Backdrop(), res::t44());
    EXPECT_EQ(o.Canvas4->Backdrop(), res::t54());
    EXPECT_FALSE(res::t54().isNil());

    // Fonts and colours of the labels; an empty font cell is the default face.
    struct LabelFont {
        QLabel* label;
        QString family; // empty: the default face
        int pixelSize;  // 0: the default size
        bool bold;
        uint32_t colour;
    };
    const QString arial = QStringLiteral("Arial"), comic = QStringLiteral("comic sans MS");
    for (const LabelFont& f : {LabelFont{o.Label1, arial, 14, true, 0x8000FF}, LabelFont{o.Label3, arial, 14, true, 0x8000FF},
                               LabelFont{o.Label2, arial, 14, true, 0}, LabelFont{o.Label15, arial, 14, true, 0},
                               LabelFont{o.Label4, arial, 13, false, 0}, LabelFont{o.Label5, comic, 30, false, 0},
                               LabelFont{o.Label8, comic, 30, false, 0}, LabelFont{o.Label9, "", 13, false, 0},
                               LabelFont{o.Label10, "", 13, false, 0}, LabelFont{o.Label11, arial, 14, true, 0},
                               LabelFont{o.Label12, arial, 13, false, 0}, LabelFont{o.Label13, arial, 13, false, 0},
                               LabelFont{o.Label14, "", 0, false, 0}}) {
        const std::string name = f.label->objectName().toStdString();
        const QFont font = f.label->font();
        EXPECT_EQ(str(font.family()), str(f.family.isEmpty() ? QApplication::font().family() : f.family)) << name;
        if (f.pixelSize)
            EXPECT_EQ(font.pixelSize(), f.pixelSize) << name;
        else
            EXPECT_EQ(QFontInfo(font).pixelSize(), QFontInfo(QApplication::font()).pixelSize()) << name;
        EXPECT_EQ(font.bold(), f.bold) << name;
        EXPECT_EQ(platform::textColor(f.label), f.colour) << name;
        EXPECT_EQ(f.label->wordWrap(), f.label == o.Label10) << name << ": only Label10 wraps";
    }

    // The next-bar slider and the device list.
    EXPECT_EQ(o.Slider1->orientation(), Qt::Horizontal);
    EXPECT_EQ(o.Slider1->minimum(), 0);
    EXPECT_EQ(o.Slider1->maximum(), 90);
    EXPECT_EQ(o.Slider1->pageStep(), 10);
    EXPECT_EQ(o.Slider1->singleStep(), 10);
    EXPECT_EQ(o.Slider1->tickPosition(), QSlider::NoTicks);
    EXPECT_FALSE(o.Slider1->hasTracking()) << "a drag is reported on release";
    EXPECT_EQ(o.Listbox1->ColumnCount(), 2);
    EXPECT_TRUE(o.Listbox1->horizontalHeader()->isHidden());
    EXPECT_EQ(o.Listbox1->horizontalHeader()->sectionResizeMode(0), QHeaderView::Stretch);
    EXPECT_EQ(o.Listbox1->horizontalHeader()->sectionResizeMode(1), QHeaderView::Stretch);
    EXPECT_EQ(o.Listbox1->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(o.Listbox1->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(o.Listbox1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

// ---- Opening from the settings ----------------------------------------------

TEST_F(OptionsTest, FirstOpeningShowsTheInitialSettings)
{
    Window1& w = openWindow();
    const Settings before = current(w);
    optionwin& o = openOptions();
    EXPECT_EQ(selected(o.GroupBox1), Names{"RadioButton1"});
    EXPECT_EQ(selected(o.GroupBox2), Names{"RadioButton11"});
    EXPECT_EQ(selected(o.GroupBox3), Names{"RadioButton13"});
    EXPECT_EQ(selected(o.GroupBox4), Names{"RadioButton17"});
    EXPECT_EQ(selected(o.GroupBox5), Names{"RadioButton19"});
    EXPECT_EQ(o.Slider1->value(), 20);
    EXPECT_EQ(str(o.Label14->text()), "80");
    EXPECT_FALSE(o.CheckBox2->isChecked());
    EXPECT_FALSE(o.CheckBox1->isChecked());
    EXPECT_EQ(o.Listbox1->ListCount(), 0);
    // As the mode and input method handlers would leave them:
    EXPECT_FALSE(o.Slider1->isEnabled()) << "listen-and-play mode has no next-bar timing";
    EXPECT_FALSE(o.Listbox1->isVisibleTo(&o)) << "the keyboard needs no device list";
    EXPECT_EQ(current(w), before) << "opening writes no setting";
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(OptionsTest, OpeningSelectsTheCurrentSettings)
{
    struct Case {
        const char* what;
        std::function<void(Window1&)> set;
        const char* box;
        const char* radio;
    };
    const std::vector<Case> cases = {
        {"level 2", [](Window1&) { level = 2; }, "GroupBox1", "RadioButton1"},
        {"level 11", [](Window1&) {
             level = 11;
             stlevel = 9;
         }, "GroupBox1", "RadioButton21"},
        {"level 5", [](Window1&) { level = 5; }, "GroupBox1", "RadioButton2"},
        {"level 7", [](Window1&) { level = 7; }, "GroupBox1", "RadioButton3"},
        {"level 13", [](Window1&) { level = 13; }, "GroupBox1", "RadioButton4"},
        {"level 17", [](Window1&) { level = 17; }, "GroupBox1", "RadioButton5"},
        {"level 24", [](Window1&) { level = 24; }, "GroupBox1", "RadioButton6"},
        {"level 27", [](Window1&) { level = 27; }, "GroupBox1", "RadioButton7"},
        {"level 30", [](Window1&) { level = 30; }, "GroupBox1", "RadioButton8"},
        {"unlisted level keeps the layout's", [](Window1&) { level = 3; }, "GroupBox1", "RadioButton1"},
        {"2 beats", [](Window1& w) { w.beatsinbar = 2; }, "GroupBox2", "RadioButton9"},
        {"3 beats", [](Window1& w) { w.beatsinbar = 3; }, "GroupBox2", "RadioButton10"},
        {"5 beats", [](Window1& w) { w.beatsinbar = 5; }, "GroupBox2", "RadioButton12"},
        {"unlisted beats", [](Window1& w) { w.beatsinbar = 7; }, "GroupBox2", "RadioButton11"},
        {"8 bars", [](Window1& w) { w.bars = 8; }, "GroupBox3", "RadioButton14"},
        {"12 bars", [](Window1& w) { w.bars = 12; }, "GroupBox3", "RadioButton15"},
        {"16 bars", [](Window1& w) { w.bars = 16; }, "GroupBox3", "RadioButton16"},
        {"unlisted bars", [](Window1& w) { w.bars = 5; }, "GroupBox3", "RadioButton13"},
        {"continuous mode", [](Window1& w) { w.listenplay = false; }, "GroupBox4", "RadioButton18"},
    };
    for (const Case& c : cases) {
        Window1& w = freshWindow();
        c.set(w);
        const Settings before = current(w);
        optionwin& o = openOptions();
        EXPECT_EQ(selected(o.findChild<QGroupBox*>(c.box)), Names{c.radio}) << c.what;
        EXPECT_EQ(current(w), before) << c.what << ": opening writes no setting";
        closeOptions();
    }
}

TEST_F(OptionsTest, OpeningShowsModeRepeatAndSoundFromTheSettings)
{
    Window1& w = openWindow();
    w.listenplay = false;
    reptest = true;
    playmidinotes = true;
    optionwin& o = openOptions();
    EXPECT_TRUE(o.Slider1->isEnabled()) << "continuous mode uses the next-bar timing";
    EXPECT_TRUE(o.CheckBox2->isChecked());
    EXPECT_TRUE(o.CheckBox1->isChecked());
}

TEST_F(OptionsTest, SliderAndLabelFollowEarlychange)
{
    struct Case {
        int64_t earlychange;
        int slider;
        const char* label;
    };
    // Outside 10 to 100 (only a data file can give that) the slider stands at
    // the nearer end and the label tells the real value.
    for (const Case& c : {Case{80, 20, "80"}, Case{100, 0, "100"}, Case{10, 90, "10"}, Case{63, 37, "63"},
                          Case{99, 1, "99"}, Case{11, 89, "11"},
                          Case{5, 90, "5"}, Case{-40, 90, "-40"}, Case{150, 0, "150"},
                          Case{INT64_MIN, 90, "-9223372036854775808"}, Case{INT64_MAX, 0, "9223372036854775807"}}) {
        Window1& w = freshWindow();
        w.listenplay = false;
        earlychange = c.earlychange;
        optionwin& o = openOptions();
        EXPECT_EQ(o.Slider1->value(), c.slider) << c.earlychange;
        EXPECT_EQ(str(o.Label14->text()), c.label) << c.earlychange;
        EXPECT_EQ(earlychange, c.earlychange) << "opening leaves the setting as it is";
        closeOptions();
    }
}

TEST_F(OptionsTest, ReopeningShowsWhatWasChosen)
{
    Window1& w = openWindow();
    optionwin* o = &openOptions();
    click(o->BevelButton5);  // l5
    click(o->RadioButton10); // 3 beats
    click(o->RadioButton15); // 12 bars
    click(o->RadioButton18); // continuous
    o->Slider1->setValue(37);
    click(o->CheckBox2);
    click(o->CheckBox1);
    const Settings chosen = current(w);
    EXPECT_EQ(chosen, (Settings{17, 0, 63, true, false, false, true, 3, 12, false}));

    closeOptions();
    ASSERT_EQ(optionwin::existing(), nullptr);
    EXPECT_EQ(current(w), chosen) << "closing undoes nothing";
    o = &openOptions();
    EXPECT_EQ(selected(o->GroupBox1), Names{"RadioButton5"});
    EXPECT_EQ(selected(o->GroupBox2), Names{"RadioButton10"});
    EXPECT_EQ(selected(o->GroupBox3), Names{"RadioButton15"});
    EXPECT_EQ(selected(o->GroupBox4), Names{"RadioButton18"});
    EXPECT_EQ(o->Slider1->value(), 37);
    EXPECT_EQ(str(o->Label14->text()), "63");
    EXPECT_TRUE(o->CheckBox2->isChecked());
    EXPECT_TRUE(o->CheckBox1->isChecked());
    EXPECT_EQ(current(w), chosen);
}

// ---- Level ---------------------------------------------------------------------

TEST_F(OptionsTest, EachLevelControlSetsItsPair)
{
    optionwin& o = openOptions();
    struct Row {
        QRadioButton* radio;
        platform::BevelButton* picture;
        int64_t stlevel, level;
    };
    const std::vector<Row> rows = {
        {o.RadioButton1, o.BevelButton1, 0, 2},   {o.RadioButton21, o.BevelButton9, 9, 11},
        {o.RadioButton2, o.BevelButton2, 0, 5},   {o.RadioButton3, o.BevelButton3, 0, 7},
        {o.RadioButton4, o.BevelButton4, 0, 13},  {o.RadioButton5, o.BevelButton5, 0, 17},
        {o.RadioButton6, o.BevelButton6, 0, 24},  {o.RadioButton7, o.BevelButton7, 0, 27},
        {o.RadioButton8, o.BevelButton8, 0, 30},
    };
    for (const Row& r : rows) {
        for (QAbstractButton* control : {static_cast<QAbstractButton*>(r.radio), static_cast<QAbstractButton*>(r.picture)}) {
            const std::string what = control->objectName().toStdString();
            // Come from another level, l1t unless it is the one under test, so
            // that stlevel has to change back too.
            const Row& other = r.level == 11 ? rows[8] : rows[1];
            click(other.picture);
            ASSERT_EQ(level, other.level);
            click(control);
            EXPECT_EQ(stlevel, r.stlevel) << what;
            EXPECT_EQ(level, r.level) << what;
            EXPECT_EQ(selected(o.GroupBox1), Names{str(r.radio->objectName())}) << what;
        }
    }
    // Choosing the level already chosen leaves it as it is.
    click(o.RadioButton8);
    click(o.BevelButton8);
    EXPECT_EQ(stlevel, 0);
    EXPECT_EQ(level, 30);
}

// A picture moves the selection from whichever radio button held it, the
// one just clicked included.
TEST_F(OptionsTest, EachLevelPictureSelectsItsRadioButton)
{
    optionwin& o = openOptions();
    const std::vector<std::pair<QRadioButton*, platform::BevelButton*>> pairs = {
        {o.RadioButton1, o.BevelButton1}, {o.RadioButton21, o.BevelButton9}, {o.RadioButton2, o.BevelButton2},
        {o.RadioButton3, o.BevelButton3}, {o.RadioButton4, o.BevelButton4}, {o.RadioButton5, o.BevelButton5},
        {o.RadioButton6, o.BevelButton6}, {o.RadioButton7, o.BevelButton7}, {o.RadioButton8, o.BevelButton8},
    };
    for (size_t i = 0; i < pairs.size(); ++i) {
        QRadioButton* before = pairs[(i + 1) % pairs.size()].first;
        click(before);
        ASSERT_TRUE(before->isChecked());
        click(pairs[i].second);
        EXPECT_EQ(selected(o.GroupBox1), Names{str(pairs[i].first->objectName())})
            << pairs[i].second->objectName().toStdString() << " after " << before->objectName().toStdString();
    }
}

TEST_F(OptionsTest, LevelRadioActionActsOnlyWhenSelected)
{
    optionwin& o = openOptions();
    o.RadioButton5_Action(); // RadioButton1 is the selected one
    EXPECT_EQ(level, 2);
    EXPECT_EQ(stlevel, 0);
    o.RadioButton1->setChecked(false);
    o.RadioButton21->setChecked(true);
    o.RadioButton21_Action();
    EXPECT_EQ(level, 11);
    EXPECT_EQ(stlevel, 9);
}

TEST_F(OptionsTest, LevelChoiceTouchesNothingElse)
{
    Window1& w = openWindow();
    optionwin& o = openOptions();
    Settings expected = current(w);
    click(o.BevelButton9);
    expected.level = 11;
    expected.stlevel = 9;
    EXPECT_EQ(current(w), expected);
    EXPECT_EQ(selected(o.GroupBox2), Names{"RadioButton11"});
    EXPECT_FALSE(o.Slider1->isEnabled());
}

// ---- Beats in bar and number of bars ------------------------------------------

// Every choice is clicked from each other value of its group, so a handler
// that does nothing cannot hide behind a value that was already set.
TEST_F(OptionsTest, BeatsAndBarsRadioButtons)
{
    Window1& w = openWindow();
    optionwin& o = openOptions();
    struct Group {
        const char* name;
        int64_t Window1::*setting;
        std::vector<std::pair<QRadioButton*, int64_t>> choices;
    };
    const Group groups[] = {
        {"beats in bar", &Window1::beatsinbar,
         {{o.RadioButton9, 2}, {o.RadioButton10, 3}, {o.RadioButton11, 4}, {o.RadioButton12, 5}}},
        {"bars", &Window1::bars, {{o.RadioButton13, 4}, {o.RadioButton14, 8}, {o.RadioButton15, 12}, {o.RadioButton16, 16}}},
    };
    for (const Group& g : groups) {
        for (const auto& [radio, value] : g.choices) {
            for (const auto& [fromRadio, fromValue] : g.choices) {
                if (fromRadio == radio)
                    continue;
                const std::string what =
                    str(radio->objectName()) + " after " + str(fromRadio->objectName()) + " (" + g.name + ")";
                click(fromRadio);
                ASSERT_EQ(w.*g.setting, fromValue) << what;
                Settings expected = current(w);
                (g.setting == &Window1::bars ? expected.bars : expected.beatsinbar) = value;
                click(radio);
                EXPECT_EQ(current(w), expected) << what;
                EXPECT_EQ(selected(qobject_cast<QGroupBox*>(radio->parentWidget())), Names{str(radio->objectName())})
                    << what;
            }
        }
    }
    // The pictures and numbers beside them choose nothing.
    click(o.RadioButton12);
    click(o.RadioButton16);
    QTest::mouseClick(o.Canvas1, Qt::LeftButton);
    QTest::mouseClick(o.Label5, Qt::LeftButton);
    EXPECT_EQ(w.beatsinbar, 5);
    EXPECT_EQ(w.bars, 16);
}

TEST_F(OptionsTest, CaptionlessRadioButtonsTakeAClickAnywhereInTheirRectangle)
{
    openWindow();
    optionwin& o = openOptions();
    int tried = 0;
    for (QRadioButton* radio : o.findChildren<QRadioButton*>()) {
        if (!radio->text().isEmpty())
            continue;
        const std::string what = str(radio->objectName());
        // Another button of its group selected first, so the click has work to do.
        for (QRadioButton* other : radio->parentWidget()->findChildren<QRadioButton*>())
            if (other != radio && other->text().isEmpty()) {
                other->setChecked(true);
                break;
            }
        ASSERT_FALSE(radio->isChecked()) << what;
        QSignalSpy clicked(radio, &QAbstractButton::clicked);
        QTest::mouseClick(radio, Qt::LeftButton, Qt::NoModifier, QPoint(radio->width() - 2, radio->height() - 2));
        EXPECT_TRUE(radio->isChecked()) << what << ": a click in the far corner selects it";
        EXPECT_EQ(clicked.count(), 1) << what << ": and runs its handler";
        ++tried;
    }
    EXPECT_GE(tried, 15) << "the level, beats, bars and mode buttons";
}

// ---- Mode and next-bar timing ---------------------------------------------------

TEST_F(OptionsTest, ModeRadioButtonsSwitchTheSlider)
{
    Window1& w = openWindow();
    optionwin& o = openOptions();
    click(o.RadioButton18);
    EXPECT_FALSE(w.listenplay);
    EXPECT_TRUE(o.Slider1->isEnabled());
    EXPECT_TRUE(o.Label12->isEnabled());
    click(o.RadioButton17);
    EXPECT_TRUE(w.listenplay);
    EXPECT_FALSE(o.Slider1->isEnabled());
    EXPECT_TRUE(o.Label13->isEnabled()) << "the slider's labels stay enabled";
    EXPECT_EQ(o.Slider1->value(), 20) << "the mode keeps the slider's value";
    EXPECT_EQ(earlychange, 80);
    EXPECT_EQ(str(o.Label14->text()), "80");
    EXPECT_FALSE(o.CheckBox2->isChecked());
}

TEST_F(OptionsTest, NextBarSliderSetsEarlychange)
{
    optionwin& o = openOptions();
    click(o.RadioButton18);
    o.Slider1->setFocus();
    struct Move {
        Qt::Key key;
        int64_t earlychange;
        const char* label;
    };
    for (const Move& m : {Move{Qt::Key_Home, 100, "100"}, Move{Qt::Key_End, 10, "10"}, Move{Qt::Key_PageDown, 20, "20"},
                          Move{Qt::Key_Left, 30, "30"}, Move{Qt::Key_Right, 20, "20"}, Move{Qt::Key_Home, 100, "100"},
                          Move{Qt::Key_Right, 90, "90"}}) {
        QTest::keyClick(o.Slider1, m.key);
        EXPECT_EQ(earlychange, m.earlychange) << "after key " << m.key;
        EXPECT_EQ(str(o.Label14->text()), m.label) << "after key " << m.key;
    }

    // A drag is reported when the thumb is released.
    o.Slider1->setSliderDown(true);
    o.Slider1->setSliderPosition(37);
    EXPECT_EQ(earlychange, 90) << "not while the thumb is held";
    o.Slider1->setSliderDown(false);
    EXPECT_EQ(earlychange, 63);
    EXPECT_EQ(str(o.Label14->text()), "63");
}

// ---- Repeat mode ------------------------------------------------------------------

namespace {

// Beat units (60 to a beat) as the help text words them: "1 2/3 beats",
// "1/6 of a beat".
QString beatsText(int units)
{
    const int whole = units / 60, rest = units % 60, g = std::gcd(rest, 60);
    const QString fraction = rest ? QStringLiteral("%1/%2").arg(rest / g).arg(60 / g) : QString();
    if (whole == 0)
        return fraction + QStringLiteral(" of a beat");
    const QString number = rest ? QStringLiteral("%1 %2").arg(whole).arg(fraction) : QString::number(whole);
    return number + (units > 60 ? QStringLiteral(" beats") : QStringLiteral(" beat"));
}

} // namespace

TEST_F(OptionsTest, HelpTextGivesTheNextBarRangeOfTheSlider)
{
    optionwin& o = openOptions();
    const int earliest = 100 - o.Slider1->minimum(), latest = 100 - o.Slider1->maximum();
    const QString range =
        QStringLiteral("from %1 to %2 before the bar line").arg(beatsText(earliest), beatsText(latest));
    EXPECT_TRUE(helpText().contains(range)) << "help text lacks: " << str(range);
}

TEST_F(OptionsTest, TickingRepeatOnlyArmsIt)
{
    Window1& w = openWindow();
    w.retestlist->AddRow(QStringLiteral("4"));
    optionwin& o = openOptions();
    Settings expected = current(w);
    click(o.CheckBox2);
    expected.reptest = true;
    EXPECT_EQ(current(w), expected);
    EXPECT_EQ(w.retestlist->ListCount(), 1);
    EXPECT_EQ(w.BevelButton1->Icon(), res::go());
}

TEST_F(OptionsTest, UntickingRepeatReleasesTheHeldTest)
{
    struct Case {
        const char* what;
        res::PictureRef (*face)();
        res::PictureRef (*after)();
    };
    for (const Case& c : {Case{"held test", res::repeat, res::go}, Case{"idle", res::go, res::go},
                          Case{"any other face", res::stop, res::stop}}) {
        Window1& w = freshWindow();
        reptest = true;
        retest = true;
        for (const char* entry : {"0", "3", "5", "0"})
            w.retestlist->AddRow(QString::fromLatin1(entry));
        w.notelist->AddRow(QStringLiteral("0"));
        w.BevelButton1->setIcon(c.face());
        w.BevelButton5->setVisible(true);
        ASSERT_FALSE(c.face().isNil()) << c.what;

        optionwin& o = openOptions();
        ASSERT_TRUE(o.CheckBox2->isChecked()) << c.what;
        Settings expected = current(w);
        click(o.CheckBox2);
        expected.reptest = false;
        expected.retest = false;
        EXPECT_EQ(current(w), expected) << c.what;
        EXPECT_EQ(w.retestlist->ListCount(), 0) << c.what;
        EXPECT_EQ(w.BevelButton1->Icon(), c.after()) << c.what;
        EXPECT_TRUE(w.BevelButton5->isVisibleTo(&w)) << c.what << ": the new-test button is left";
        EXPECT_EQ(w.notelist->ListCount(), 1) << c.what << ": the note table is left";
        closeOptions();
    }
}

// ---- Input method, MIDI device, MIDI sound -----------------------------------------

TEST_F(OptionsTest, MidiRefusedWithoutADevice)
{
    midi.devices = {device("out", false)};
    Window1& w = openWindow();
    ASSERT_FALSE(midiinputpos);
    optionwin& o = openOptions();
    Settings expected = current(w);
    click(o.RadioButton20);
    EXPECT_EQ(str(box.shown.join('|')), "No MIDI input device found.");
    EXPECT_EQ(current(w), expected) << "the keyboard stays the input method";
    EXPECT_EQ(selected(o.GroupBox5), Names{"RadioButton19"});
    EXPECT_EQ(o.Listbox1->ListCount(), 0);
    EXPECT_FALSE(o.Listbox1->isVisibleTo(&o));
    EXPECT_EQ(s, nullptr) << "no stream is made";
}

TEST_F(OptionsTest, DeviceListListsInputDevicesAndReopensTheStream)
{
    Device noInfo = device("hidden", true);
    noInfo.hasInfo = false;
    midi.devices = {device("out0", false), device("A", true), device("out2", false), device("B", true), noInfo};
    openWindow();
    ASSERT_TRUE(midiinputpos);
    ASSERT_NE(s, nullptr);
    const int startDevice = s->DeviceID();
    optionwin& o = openOptions();
    click(o.RadioButton20);
    click(o.RadioButton20); // a second choice lists the devices afresh
    EXPECT_TRUE(midiinput);
    EXPECT_TRUE(o.Listbox1->isVisibleTo(&o));
    ASSERT_EQ(o.Listbox1->ListCount(), 2);
    EXPECT_EQ(str(o.Listbox1->Cell(0, 0)), "A");
    EXPECT_EQ(str(o.Listbox1->Cell(0, 1)), "1");
    EXPECT_EQ(str(o.Listbox1->Cell(1, 0)), "B");
    EXPECT_EQ(str(o.Listbox1->Cell(1, 1)), "3");
    EXPECT_EQ(s->DeviceID(), startDevice) << "choosing MIDI opens nothing";
    EXPECT_TRUE(o.Listbox1->selectionModel()->selectedRows().isEmpty());

    clickRow(o.Listbox1, 0);
    EXPECT_EQ(s->DeviceID(), 1);
    EXPECT_EQ(o.Listbox1->selectionModel()->selectedRows().value(0).row(), 0) << "the click selects the row";
    clickRow(o.Listbox1, 1);
    EXPECT_EQ(s->DeviceID(), 3);

    // A device that will not open: device 1 instead, without a word.
    midi.devices[3].opens = false;
    clickRow(o.Listbox1, 1);
    EXPECT_EQ(s->DeviceID(), 1);
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_TRUE(midiinput);

    // Back to the keyboard: the list hides with its rows, the stream stays.
    click(o.RadioButton19);
    EXPECT_FALSE(midiinput);
    EXPECT_FALSE(o.Listbox1->isVisibleTo(&o));
    EXPECT_EQ(o.Listbox1->ListCount(), 2);
    EXPECT_EQ(s->DeviceID(), 1);
    EXPECT_FALSE(playmidinotes);
}

TEST_F(OptionsTest, DeviceListShowsTwoDevicesAtOnce)
{
    midi.devices = {device("A", true), device("B", true), device("C", true)};
    openWindow();
    optionwin& o = openOptions();
    click(o.RadioButton20);
    ASSERT_EQ(o.Listbox1->ListCount(), 3);
    o.Listbox1->scrollToTop();
    const QRect inside = o.Listbox1->viewport()->rect();
    for (int row : {0, 1}) {
        const QRect cell = o.Listbox1->visualRect(o.Listbox1->model()->index(row, 0));
        EXPECT_TRUE(inside.contains(cell)) << "row " << row << " shows whole, without scrolling";
        EXPECT_GE(cell.height(), o.Listbox1->fontMetrics().height()) << "row " << row << " holds its text";
    }
    EXPECT_GT(o.Listbox1->verticalScrollBar()->maximum(), 0) << "a third device is reached by scrolling";
}

TEST_F(OptionsTest, OpeningWithMidiShowsTheDeviceList)
{
    midi.devices = {device("A", true), device("out", false), device("B", true)};
    openWindow();
    midiinput = true;
    const int device = s->DeviceID();
    optionwin& o = openOptions();
    EXPECT_EQ(selected(o.GroupBox5), Names{"RadioButton20"});
    EXPECT_TRUE(o.Listbox1->isVisibleTo(&o));
    ASSERT_EQ(o.Listbox1->ListCount(), 2);
    EXPECT_EQ(str(o.Listbox1->Cell(1, 1)), "2");
    EXPECT_EQ(s->DeviceID(), device);
    EXPECT_TRUE(midiinput);
}

TEST_F(OptionsTest, MidiSoundCheckBox)
{
    Window1& w = openWindow();
    optionwin& o = openOptions();
    Settings expected = current(w);
    click(o.CheckBox1);
    expected.playmidinotes = true;
    EXPECT_EQ(current(w), expected) << "only playmidinotes changes, also with the keyboard";
    click(o.CheckBox1);
    expected.playmidinotes = false;
    EXPECT_EQ(current(w), expected);
}

} // namespace
