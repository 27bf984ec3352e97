// The application shell: the shared globals' initial values, the menu bar,
// the resource accessors' lookup rules, and the application object with its
// generator.
#include "platform/resources.h"
#include "shell/mainmenubar.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "shell/velvane.h"
#include "support/app/app_fixture.h"
#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <set>
#include <string>

using namespace Module1;

namespace {

// ---- Shared globals ---------------------------------------------------------

class SharedGlobalsTest : public AppTest {};

TEST_F(SharedGlobalsTest, InitialiseGivesEveryGlobalItsInitialValue)
{
    // Everything away from its initial value first.
    level = 30;
    stlevel = 9;
    tickspeed = 20;
    earlychange = 10;
    midiinput = true;
    playmidinotes = true;
    reptest = true;
    countin = false;
    metcount = 3;
    startruntime = 77;
    allnotes = 5;
    lastnoteplayed = -1;
    lasttesttickspeed = 45;
    retest = true;
    totaltests = 8;
    totalnotes = 99;
    totalaccuracy = 1.5;
    correct = 2.5;
    almost = 3.5;
    miss = 4.5;
    midiinputpos = true;
    s = std::make_shared<platform::PortMidiStreamMBS>();
    pm = std::make_shared<platform::PortMidiMBS>();
    static platform::Picture picture(QStringLiteral("x.png"), QImage(1, 1, QImage::Format_ARGB32));
    static platform::Sound sound(QStringLiteral("x.wav"), {0}, 44100);
    notes.fill(&picture);
    notespace.fill(7);
    sounds.fill(&sound);

    Module1::initialise();

    EXPECT_EQ(level, 2);
    EXPECT_EQ(stlevel, 0);
    EXPECT_EQ(tickspeed, 60);
    EXPECT_EQ(earlychange, 80);
    EXPECT_FALSE(midiinput);
    EXPECT_FALSE(playmidinotes);
    EXPECT_FALSE(reptest);
    EXPECT_TRUE(countin);
    EXPECT_EQ(metcount, 0);
    EXPECT_EQ(startruntime, 0);
    EXPECT_EQ(allnotes, 0);
    EXPECT_EQ(lastnoteplayed, 0);
    EXPECT_EQ(lasttesttickspeed, 0);
    EXPECT_FALSE(retest);
    EXPECT_EQ(totaltests, 0);
    EXPECT_EQ(totalnotes, 0);
    EXPECT_EQ(totalaccuracy, 0.0);
    EXPECT_EQ(correct, 0.0);
    EXPECT_EQ(almost, 0.0);
    EXPECT_EQ(miss, 0.0);
    EXPECT_FALSE(midiinputpos);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(pm, nullptr);
    EXPECT_EQ(notes.size(), 31);
    EXPECT_EQ(notespace.size(), 31);
    EXPECT_EQ(sounds.size(), 7);
    for (int64_t i = 0; i <= 30; ++i) {
        EXPECT_TRUE(notes[i].isNil()) << i;
        EXPECT_EQ(notespace[i], 0) << i;
    }
    for (int64_t i = 0; i <= 6; ++i)
        EXPECT_TRUE(sounds[i].isNil()) << i;
}

TEST(SharedGlobals, ArraysHaveFixedBounds)
{
    EXPECT_THROW(notes[31], platform::OutOfBoundsException);
    EXPECT_THROW(notespace[-1], platform::OutOfBoundsException);
    EXPECT_THROW(sounds[7], platform::OutOfBoundsException);
}

// ---- Menu bar ---------------------------------------------------------------

TEST(MenuBar, TwoMenusWithTheirItemsInOrder)
{
    struct Item {
        const char* name;
        const char* text;
        const char* shortcut; // "" for none
        bool separator;
    };
    const std::vector<Item> file = {{"FileQuit", "&Quit", "Ctrl+Q", false}};
    const std::vector<Item> edit = {
        {"EditUndo", "&Undo", "Ctrl+Z", false},  {"EditSeparator1", "-", "", true},
        {"EditCut", "Cu&t", "Ctrl+X", false},    {"EditCopy", "&Copy", "Ctrl+C", false},
        {"EditPaste", "&Paste", "Ctrl+V", false}, {"EditClear", "&Delete", "", false},
        {"EditSeparator2", "-", "", true},       {"EditSelectAll", "Select &All", "Ctrl+A", false},
    };

    MainMenuBar bar;
    const QList<QAction*> menus = bar.actions();
    ASSERT_EQ(menus.size(), 2);
    struct Menu {
        const char* name;
        const char* text;
        const std::vector<Item>* items;
    };
    const Menu expected[] = {{"FileMenu", "&File", &file}, {"EditMenu", "&Edit", &edit}};
    for (int m = 0; m < 2; ++m) {
        SCOPED_TRACE(expected[m].name);
        QMenu* menu = menus[m]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), QString::fromLatin1(expected[m].name));
        EXPECT_EQ(menus[m]->text(), QString::fromLatin1(expected[m].text));
        EXPECT_TRUE(menus[m]->shortcut().isEmpty());
        EXPECT_TRUE(menus[m]->isVisible());
        EXPECT_TRUE(menus[m]->isEnabled());
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), qsizetype(expected[m].items->size()));
        for (qsizetype i = 0; i < items.size(); ++i) {
            const Item& want = (*expected[m].items)[size_t(i)];
            QAction* got = items[i];
            SCOPED_TRACE(want.name);
            EXPECT_EQ(got->objectName(), QString::fromLatin1(want.name));
            EXPECT_EQ(got->isSeparator(), want.separator);
            // A separator keeps no text: the style would draw a "-" beside its line.
            EXPECT_EQ(got->text(), want.separator ? QString() : QString::fromLatin1(want.text));
            EXPECT_EQ(got->shortcut(), QKeySequence(QString::fromLatin1(want.shortcut)));
            EXPECT_TRUE(got->isVisible());
            EXPECT_TRUE(got->isEnabled());
        }
    }
    // The quit item is the platform's quit item.
    EXPECT_EQ(bar.childItem(QStringLiteral("FileQuit"))->menuRole(), QAction::QuitRole);
}

class MenuBarTest : public AppTest {};

TEST_F(MenuBarTest, QuitItemQuitsAndTheWindowShowsTheSharedBar)
{
    Window1& w = openWindow();
    EXPECT_EQ(w.menuBar(), MainMenuBar::instance()) << "the instance start-up made, not a second bar";
    EXPECT_EQ(MainMenuBar::instance(), MainMenuBar::instance());

    // The window's item accessors find the bar's items by name.
    ASSERT_NE(w.FileQuit(), nullptr);
    EXPECT_EQ(w.FileQuit()->text(), QStringLiteral("&Quit"));
    EXPECT_EQ(w.FileMenu()->text(), QStringLiteral("&File"));
    EXPECT_EQ(w.EditMenu()->text(), QStringLiteral("&Edit"));
    EXPECT_EQ(w.EditSelectAll()->shortcut(), QKeySequence(QStringLiteral("Ctrl+A")));
    EXPECT_TRUE(w.EditSeparator1()->isSeparator());
    EXPECT_TRUE(w.EditSeparator2()->isSeparator());
    EXPECT_EQ(w.EditClear()->text(), QStringLiteral("&Delete"));

    w.FileQuit()->trigger();
    EXPECT_EQ(quit.codes.size(), 1u) << "File > Quit asks the platform to quit";
    EXPECT_TRUE(box.shown.isEmpty());
}

// ---- Resource accessors -----------------------------------------------------

// A small 16-bit PCM mono WAV file.
QByteArray wavBytes()
{
    auto u32 = [](QByteArray& b, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [](QByteArray& b, uint16_t v) {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    };
    const uint32_t frames = 8;
    QByteArray b("RIFF");
    u32(b, 36 + frames * 2);
    b.append("WAVEfmt ");
    u32(b, 16);
    u16(b, 1);     // PCM
    u16(b, 1);     // mono
    u32(b, 44100); // rate
    u32(b, 44100 * 2);
    u16(b, 2);  // block align
    u16(b, 16); // bits
    b.append("data");
    u32(b, frames * 2);
    for (uint32_t i = 0; i < frames; ++i)
        u16(b, uint16_t(i * 100));
    return b;
}

class ResourceLookupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        platform::setResourceRoot(folder.path());
    }
    void TearDown() override { platform::setResourceRoot(QString()); }

    void addPicture(const QString& name)
    {
        QImage image(4, 3, QImage::Format_ARGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(folder.filePath(name), "PNG"));
    }
    void addSound(const QString& name)
    {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(wavBytes());
    }

    QTemporaryDir folder;
};

TEST_F(ResourceLookupTest, MissingPictureIsLookedUpAgainUntilFound)
{
    platform::PictureSlot slot("late.png");
    EXPECT_EQ(slot.get(), nullptr);
    EXPECT_EQ(slot.get(), nullptr);
    addPicture(QStringLiteral("late.png"));
    platform::Picture* found = slot.get();
    ASSERT_NE(found, nullptr) << "the first call after the file was added finds it";
    EXPECT_EQ(found->Width(), 4);
    EXPECT_EQ(slot.get(), found) << "the same object from then on";
    ASSERT_TRUE(QFile::remove(folder.filePath(QStringLiteral("late.png"))));
    EXPECT_EQ(slot.get(), found) << "kept for the whole run, never looked up again";
}

TEST_F(ResourceLookupTest, PictureFoundAtFirstCallKeepsItsIdentity)
{
    addPicture(QStringLiteral("go.png"));
    platform::PictureSlot slot("go.png");
    platform::Picture* first = slot.get();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name(), QStringLiteral("go.png"));
    // A picture set as an icon compares equal to the next result.
    platform::Ref<platform::Picture> icon = first;
    EXPECT_TRUE(icon == platform::Ref<platform::Picture>(slot.get()));
}

TEST_F(ResourceLookupTest, MissingSoundStaysMissingEvenWhenAddedLater)
{
    platform::SoundSlot slot("hi.wav");
    EXPECT_EQ(slot.get(), nullptr);
    addSound(QStringLiteral("hi.wav"));
    EXPECT_EQ(slot.get(), nullptr) << "a sound is looked up once, on the first call";
    // The file itself is a good sound: a slot that looks for the first time finds it.
    platform::SoundSlot fresh("hi.wav");
    EXPECT_NE(fresh.get(), nullptr);
}

TEST_F(ResourceLookupTest, SoundFoundAtFirstCallIsTheSameObjectForTheRun)
{
    addSound(QStringLiteral("low.wav"));
    platform::SoundSlot slot("low.wav");
    platform::Sound* first = slot.get();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QFile::remove(folder.filePath(QStringLiteral("low.wav"))));
    EXPECT_EQ(slot.get(), first);
}

TEST_F(ResourceLookupTest, TwoMissingPicturesAreEqualEmptyReferences)
{
    platform::PictureSlot a("missing1.png");
    platform::PictureSlot b("missing2.png");
    const platform::Ref<platform::Picture> ra = a.get();
    const platform::Ref<platform::Picture> rb = b.get();
    EXPECT_TRUE(ra.isNil());
    EXPECT_TRUE(ra == rb);
}

TEST_F(ResourceLookupTest, FileNamesKeepTheirLetterCase)
{
    addPicture(QStringLiteral("CR.png"));
    platform::PictureSlot lower("cr.png");
    platform::PictureSlot exact("CR.png");
    EXPECT_EQ(lower.get(), nullptr);
    EXPECT_NE(exact.get(), nullptr);
}

// The program's own accessors over its compiled-in resources.
TEST(ResourceAccessors, EveryAccessorFetchesTheFileOfItsName)
{
    std::set<std::string> pictureNames, soundNames;
    for (const res::PictureEntry& p : res::pictureList)
        pictureNames.insert(std::string(p.name));
    for (std::string_view s : res::soundList)
        soundNames.insert(std::string(s));
    ASSERT_EQ(pictureNames.size(), 56u);
    ASSERT_EQ(soundNames.size(), 9u);

    std::set<std::string> seen;
    std::set<const platform::Picture*> objects;
    for (const res::PictureAccessor& p : res::allPictures()) {
        seen.insert(p.name);
        const res::PictureRef pic = p.get();
        EXPECT_FALSE(pic.isNil()) << "picture " << p.name << " is missing";
        if (pic.isNil())
            continue;
        EXPECT_EQ(pic->name(), QString::fromLatin1(p.name) + QStringLiteral(".png"));
        EXPECT_TRUE(p.get() == pic) << p.name << ": the same object on every call";
        objects.insert(pic.get());
    }
    EXPECT_EQ(seen, pictureNames);
    EXPECT_EQ(objects.size(), res::allPictures().size()) << "each accessor has its own picture";

    std::set<std::string> seenSounds;
    for (const res::SoundAccessor& a : res::allSounds()) {
        seenSounds.insert(a.name);
        const res::SoundRef sound = a.get();
        EXPECT_FALSE(sound.isNil()) << "sound " << a.name << " is missing";
        if (sound.isNil())
            continue;
        EXPECT_EQ(sound->name(), QString::fromLatin1(a.name) + QStringLiteral(".wav"));
        EXPECT_TRUE(a.get() == sound) << a.name;
    }
    EXPECT_EQ(seenSounds, soundNames);
}

TEST(ResourceAccessors, IdentityOfTheStartButtonFaces)
{
    EXPECT_FALSE(res::go().isNil());
    EXPECT_TRUE(res::go() == res::go());
    EXPECT_FALSE(res::go() == res::stop());
    EXPECT_FALSE(res::go() == res::repeat());
    EXPECT_FALSE(res::stop() == res::repeat());
    EXPECT_FALSE(res::play() == res::smallstop());
}

// ---- Application object and its generator -----------------------------------

class ApplicationTest : public AppTest {};

TEST_F(ApplicationTest, AppIsTheVelvaneObject)
{
    Velvane* app = App();
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(static_cast<QCoreApplication*>(app), QCoreApplication::instance());
}

TEST_F(ApplicationTest, OpenEventCreatesTheGenerator)
{
    App()->Randomizer.reset();
    EXPECT_THROW(randomizer(), platform::NilObjectException) << "empty before the open event";
    App()->Event_Open();
    ASSERT_TRUE(App()->Randomizer != nullptr);
    EXPECT_EQ(&randomizer(), App()->Randomizer.get());
    // InRange includes both bounds.
    std::set<int64_t> drawn;
    for (int i = 0; i < 400; ++i) {
        const int64_t v = randomizer().InRange(4, 6);
        ASSERT_GE(v, 4);
        ASSERT_LE(v, 6);
        drawn.insert(v);
    }
    EXPECT_EQ(drawn, (std::set<int64_t>{4, 5, 6}));
}

TEST_F(ApplicationTest, OpeningTheWindowDrawsNoRandomNumber)
{
    midi.devices.resize(1); // one input device that opens
    platform::ScriptedRandom& random = scriptRandom({});
    Window1& w = openWindow();
    EXPECT_TRUE(random.calls.empty()) << "nothing is drawn before the first bar of the first test";
    // Nor by moving the tempo slider or repainting the idle canvases.
    w.Slider1->setValue(45);
    w.Canvas1->renderToImage();
    w.Canvas2->renderToImage();
    EXPECT_TRUE(random.calls.empty());
    EXPECT_TRUE(box.shown.isEmpty()) << box.shown.join(QStringLiteral(" | ")).toStdString();
}

} // namespace
