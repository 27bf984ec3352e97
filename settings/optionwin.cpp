// The options window itself: its frame, the five group boxes with their
// controls, the shared instance and the open and close events. The handlers
// live in options_level.cpp, options_shape.cpp, options_mode.cpp and
// options_input.cpp.
#include "settings/optionwin.h"
#include "engine/window1.h"
#include "platform/fonts.h"
#include "platform/numbers.h"
#include "platform/screenfit.h"
#include "platform/services.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QSlider>

namespace {

QPointer<optionwin> shared;

constexpr int clientWidth = 830;
constexpr int clientHeight = 560;
constexpr uint32_t violet = 0x8000FF;

// The toolkit's default face and size, with every property marked as set so
// that the group box's bold title font does not pass down to the control.
QFont defaultFont()
{
    QFont f = QApplication::font();
    f.setResolveMask(QFont::AllPropertiesResolved);
    return f;
}

// The default face at another pixel size.
QFont defaultFont(int pixelSize)
{
    QFont f = defaultFont();
    f.setPixelSize(pixelSize);
    return f;
}

QFont arial(int pixelSize, bool bold = false)
{
    return platform::font(QStringLiteral("Arial"), pixelSize, bold);
}

// The layout gives every position in the window's client area, also for the
// controls inside a group box.
void place(QWidget* control, QWidget* box, int x, int y, int w, int h)
{
    control->setGeometry(x - box->x(), y - box->y(), w, h);
}

QGroupBox* makeGroupBox(QWidget* window, const char* name, int x, int y, int w, int h, const QString& title)
{
    auto* box = new QGroupBox(title, window);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(x, y, w, h);
    box->setFont(platform::font(QStringLiteral("Arial Bold"), 14, true));
    return box;
}

QLabel* makeLabel(QGroupBox* box, const char* name, int x, int y, int w, int h, const QString& text,
                  const QFont& font, uint32_t colour = 0x000000)
{
    auto* label = new QLabel(text, box);
    label->setObjectName(QLatin1String(name));
    place(label, box, x, y, w, h);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setWordWrap(false);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    platform::setTextColor(label, colour);
    return label;
}

QRadioButton* makeRadio(QGroupBox* box, const char* name, int x, int y, int w, int h,
                        const QString& caption = QString())
{
    auto* radio = new platform::RadioButton(caption, box);
    radio->setObjectName(QLatin1String(name));
    place(radio, box, x, y, w, h);
    radio->setFont(defaultFont());
    return radio;
}

QCheckBox* makeCheckBox(QGroupBox* box, const char* name, int x, int y, int w, int h, const QString& caption)
{
    auto* check = new QCheckBox(caption, box);
    check->setObjectName(QLatin1String(name));
    place(check, box, x, y, w, h);
    check->setFont(defaultFont());
    return check;
}

platform::BevelButton* makePictureButton(QGroupBox* box, const char* name, int x, int y, int w, int h,
                                         res::PictureRef picture)
{
    auto* button = new platform::BevelButton(box);
    button->setObjectName(QLatin1String(name));
    place(button, box, x, y, w, h);
    button->setIcon(picture);
    return button;
}

platform::Canvas* makePictureCanvas(QGroupBox* box, const char* name, int x, int y, int w, int h,
                                    res::PictureRef picture)
{
    auto* canvas = new platform::Canvas(box);
    canvas->setObjectName(QLatin1String(name));
    place(canvas, box, x, y, w, h);
    canvas->setBackdrop(picture);
    return canvas;
}

} // namespace

optionwin::optionwin() : QDialog(Window1::existing())
{
    setObjectName(QStringLiteral("optionwin"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(clientWidth, clientHeight);
    setAttribute(Qt::WA_DeleteOnClose);
    platform::setWhiteBackground(this);
    // White inside the group boxes too: the default style tints their panel,
    // which would frame every white picture button in grey. The title stands
    // in the box's top margin, above its border.
    setStyleSheet(QStringLiteral("QGroupBox { background-color: white; border: 1px solid rgb(170, 170, 170);"
                                 " border-radius: 4px; margin-top: 22px; }"
                                 "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                                 " left: 2px; padding: 0px; }"));
    // The controls keep their places on a screen too small for the window.
    client = new platform::ScrollingClient(this, QSize(clientWidth, clientHeight));
    createControls();
    runOpenHandlers();
}

void optionwin::createControls()
{
    // Level
    GroupBox1 = makeGroupBox(client->content(), "GroupBox1", 7, 10, 396, 530, QStringLiteral("SELECT THE RHYTHM GROUPS TO INCLUDE"));
    QGroupBox* box = GroupBox1;
    Label3 = makeLabel(box, "Label3", 64, 209, 210, 20, QStringLiteral("MORE ADVANCED LEVELS"), arial(14, true), violet);
    Label2 = makeLabel(box, "Label2", 64, 122, 31, 20, QStringLiteral("OR:"), arial(14, true));
    Label1 = makeLabel(box, "Label1", 59, 39, 159, 20, QStringLiteral("BASIC LEVELS"), arial(14, true), violet);
    RadioButton7 = makeRadio(box, "RadioButton7", 35, 423, 21, 21);
    RadioButton6 = makeRadio(box, "RadioButton6", 35, 376, 21, 21);
    RadioButton5 = makeRadio(box, "RadioButton5", 35, 329, 21, 21);
    RadioButton4 = makeRadio(box, "RadioButton4", 204, 280, 21, 21);
    RadioButton3 = makeRadio(box, "RadioButton3", 35, 280, 21, 21);
    RadioButton2 = makeRadio(box, "RadioButton2", 35, 166, 21, 21);
    RadioButton1 = makeRadio(box, "RadioButton1", 35, 95, 21, 21);
    RadioButton1->setChecked(true);
    BevelButton6 = makePictureButton(box, "BevelButton6", 59, 351, 167, 51, res::l6());
    BevelButton5 = makePictureButton(box, "BevelButton5", 59, 302, 325, 51, res::l5());
    BevelButton4 = makePictureButton(box, "BevelButton4", 228, 251, 136, 51, res::l4());
    BevelButton3 = makePictureButton(box, "BevelButton3", 59, 251, 121, 51, res::l3());
    BevelButton1 = makePictureButton(box, "BevelButton1", 59, 67, 121, 51, res::l1());
    Label4 = makeLabel(box, "Label4", 62, 227, 322, 20,
                       QStringLiteral("All previous levels may be incuded from here onwards"), arial(13));
    RadioButton8 = makeRadio(box, "RadioButton8", 35, 475, 21, 21);
    BevelButton8 = makePictureButton(box, "BevelButton8", 59, 448, 230, 59, res::l8());
    BevelButton7 = makePictureButton(box, "BevelButton7", 59, 402, 230, 51, res::l7());
    BevelButton2 = makePictureButton(box, "BevelButton2", 59, 143, 270, 46, res::l2());
    RadioButton21 = makeRadio(box, "RadioButton21", 203, 95, 21, 21);
    BevelButton9 = makePictureButton(box, "BevelButton9", 227, 65, 167, 51, res::l1t());
    Label15 = makeLabel(box, "Label15", 192, 75, 31, 20, QStringLiteral("OR:"), arial(14, true));

    // Beats in bar, each radio button with its time signature to its right
    GroupBox2 = makeGroupBox(client->content(), "GroupBox2", 433, 10, 375, 100, QStringLiteral("BEATS IN BAR"));
    box = GroupBox2;
    RadioButton10 = makeRadio(box, "RadioButton10", 541, 53, 23, 20);
    RadioButton9 = makeRadio(box, "RadioButton9", 458, 52, 23, 20);
    RadioButton11 = makeRadio(box, "RadioButton11", 626, 54, 23, 20);
    RadioButton11->setChecked(true);
    RadioButton12 = makeRadio(box, "RadioButton12", 702, 54, 23, 20);
    Canvas1 = makePictureCanvas(box, "Canvas1", 486, 32, 38, 63, res::t24());
    Canvas2 = makePictureCanvas(box, "Canvas2", 567, 32, 38, 63, res::t34());
    Canvas3 = makePictureCanvas(box, "Canvas3", 647, 32, 38, 63, res::t44());
    Canvas4 = makePictureCanvas(box, "Canvas4", 724, 32, 38, 63, res::t54());

    // Number of bars, each radio button with its number to its right
    GroupBox3 = makeGroupBox(client->content(), "GroupBox3", 434, 114, 375, 100, QStringLiteral("NUMBER OF BARS IN TEST"));
    box = GroupBox3;
    RadioButton13 = makeRadio(box, "RadioButton13", 454, 158, 23, 20);
    RadioButton13->setChecked(true);
    RadioButton14 = makeRadio(box, "RadioButton14", 539, 158, 28, 20);
    RadioButton15 = makeRadio(box, "RadioButton15", 624, 158, 23, 20);
    RadioButton16 = makeRadio(box, "RadioButton16", 703, 158, 23, 20);
    const QFont comic = platform::font(QStringLiteral("comic sans MS"), 30);
    Label5 = makeLabel(box, "Label5", 477, 145, 28, 39, QStringLiteral("4"), comic);
    Label6 = makeLabel(box, "Label6", 566, 145, 28, 39, QStringLiteral("8"), comic);
    Label7 = makeLabel(box, "Label7", 644, 145, 39, 39, QStringLiteral("12"), comic);
    Label8 = makeLabel(box, "Label8", 724, 145, 39, 39, QStringLiteral("16"), comic);

    // Mode, next-bar timing and repeat mode
    GroupBox4 = makeGroupBox(client->content(), "GroupBox4", 433, 214, 376, 185, QStringLiteral("MODE"));
    box = GroupBox4;
    RadioButton18 = makeRadio(box, "RadioButton18", 483, 258, 25, 25);
    Label9 = makeLabel(box, "Label9", 509, 232, 239, 26, QStringLiteral("Listen then copy, a bar at a time"),
                       defaultFont(13));
    Label10 = makeLabel(box, "Label10", 509, 261, 213, 35,
                        QStringLiteral("Play right through to the end after a one bar count in"), defaultFont(13));
    Label10->setWordWrap(true);
    Label11 = makeLabel(box, "Label11", 483, 335, 210, 20, QStringLiteral("Show next bar time:"), arial(14, true));
    Label12 = makeLabel(box, "Label12", 448, 362, 42, 20, QStringLiteral("Earlier"), arial(13));
    Label13 = makeLabel(box, "Label13", 728, 363, 42, 20, QStringLiteral("Later"), arial(13));
    Slider1 = new QSlider(Qt::Horizontal, box);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    place(Slider1, box, 500, 365, 220, 24);
    Slider1->setRange(0, 90);
    Slider1->setValue(20);
    Slider1->setPageStep(10);
    Slider1->setSingleStep(10);
    Slider1->setTickPosition(QSlider::NoTicks);
    Slider1->setTracking(false); // a drag is reported when the thumb is released
    Label14 = makeLabel(box, "Label14", 676, 338, 33, 20, QString(), defaultFont());
    RadioButton17 = makeRadio(box, "RadioButton17", 483, 233, 25, 25);
    RadioButton17->setChecked(true);
    CheckBox2 = makeCheckBox(box, "CheckBox2", 483, 295, 301, 20, QStringLiteral("  Repeat each test until happy"));

    // Input method, MIDI device list and MIDI sound
    GroupBox5 = makeGroupBox(client->content(), "GroupBox5", 433, 411, 375, 129, QStringLiteral("INPUT METHOD"));
    box = GroupBox5;
    RadioButton19 = makeRadio(box, "RadioButton19", 482, 432, 143, 20, QStringLiteral("Computer keyboard"));
    RadioButton19->setChecked(true);
    Listbox1 = new platform::Listbox(2, box);
    Listbox1->setObjectName(QStringLiteral("Listbox1"));
    place(Listbox1, box, 470, 482, 300, 39);
    Listbox1->setFont(defaultFont());
    Listbox1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch); // two equal columns
    Listbox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Listbox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Listbox1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Listbox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Listbox1->setShowGrid(false);
    // Rows compact enough that two devices show at once in the low list.
    Listbox1->verticalHeader()->setMinimumSectionSize(1);
    Listbox1->verticalHeader()->setDefaultSectionSize(Listbox1->contentsRect().height() / 2);
    CheckBox1 = makeCheckBox(box, "CheckBox1", 544, 458, 178, 20, QStringLiteral("Midi input plays a sound"));
    RadioButton20 = makeRadio(box, "RadioButton20", 482, 458, 57, 20, QStringLiteral("Midi"));

    // Handlers stand for the user's choice, so they hang on clicks (which
    // setChecked from code does not raise) and on the list's cell click.
    auto onClick = [this](QAbstractButton* button, void (optionwin::*handler)()) {
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { platform::guarded([this, handler] { (this->*handler)(); }); });
    };
    auto onAction = [this](platform::BevelButton* button, void (optionwin::*handler)()) {
        button->Action = [this, handler] { (this->*handler)(); };
    };
    onClick(RadioButton1, &optionwin::RadioButton1_Action);
    onClick(RadioButton21, &optionwin::RadioButton21_Action);
    onClick(RadioButton2, &optionwin::RadioButton2_Action);
    onClick(RadioButton3, &optionwin::RadioButton3_Action);
    onClick(RadioButton4, &optionwin::RadioButton4_Action);
    onClick(RadioButton5, &optionwin::RadioButton5_Action);
    onClick(RadioButton6, &optionwin::RadioButton6_Action);
    onClick(RadioButton7, &optionwin::RadioButton7_Action);
    onClick(RadioButton8, &optionwin::RadioButton8_Action);
    onAction(BevelButton1, &optionwin::BevelButton1_Action);
    onAction(BevelButton9, &optionwin::BevelButton9_Action);
    onAction(BevelButton2, &optionwin::BevelButton2_Action);
    onAction(BevelButton3, &optionwin::BevelButton3_Action);
    onAction(BevelButton4, &optionwin::BevelButton4_Action);
    onAction(BevelButton5, &optionwin::BevelButton5_Action);
    onAction(BevelButton6, &optionwin::BevelButton6_Action);
    onAction(BevelButton7, &optionwin::BevelButton7_Action);
    onAction(BevelButton8, &optionwin::BevelButton8_Action);
    onClick(RadioButton9, &optionwin::RadioButton9_Action);
    onClick(RadioButton10, &optionwin::RadioButton10_Action);
    onClick(RadioButton11, &optionwin::RadioButton11_Action);
    onClick(RadioButton12, &optionwin::RadioButton12_Action);
    onClick(RadioButton13, &optionwin::RadioButton13_Action);
    onClick(RadioButton14, &optionwin::RadioButton14_Action);
    onClick(RadioButton15, &optionwin::RadioButton15_Action);
    onClick(RadioButton16, &optionwin::RadioButton16_Action);
    onClick(RadioButton17, &optionwin::RadioButton17_Action);
    onClick(RadioButton18, &optionwin::RadioButton18_Action);
    onClick(CheckBox2, &optionwin::CheckBox2_Action);
    onClick(RadioButton19, &optionwin::RadioButton19_Action);
    onClick(RadioButton20, &optionwin::RadioButton20_Action);
    onClick(CheckBox1, &optionwin::CheckBox1_Action);
    // The open handlers move the slider with its signals blocked, so this
    // reports only the user's moves.
    connect(Slider1, &QSlider::valueChanged, this,
            [this] { platform::guarded([this] { Slider1_ValueChanged(); }); });
    Listbox1->CellClick = [this](int64_t row, int64_t column, int x, int y) {
        return Listbox1_CellClick(row, column, x, y);
    };
}

void optionwin::runOpenHandlers()
{
    platform::guarded([this] {
        Slider1_Open();
        CheckBox2_Open();
        CheckBox1_Open();
        Event_Open();
    });
}

void optionwin::Event_Open()
{
    selectLevel();
    selectBeatsAndBars();
    selectMode();
    selectInputMethod();
    setSliderFromEarlychange();
    Label14->setText(platform::Str(Module1::earlychange));
}

void optionwin::Event_Close() {}

void optionwin::closeEvent(QCloseEvent* event)
{
    platform::guarded([this] { Event_Close(); });
    QDialog::closeEvent(event);
}

optionwin* optionwin::instance()
{
    if (!shared)
        shared = new optionwin();
    return shared;
}

optionwin* optionwin::existing() { return shared; }

void optionwin::ShowModal()
{
    // exec() shows the hidden window modally, and deletes it on return as it
    // is marked to be deleted on close; the window is gone either way.
    platform::fitIntoScreen(this, QSize(clientWidth, clientHeight), Window1::existing());
    exec();
    if (shared)
        shared->close();
}
