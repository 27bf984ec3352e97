// The data file: written state reads back, damaged files load to sound
// values, a failed write keeps the old file, and the MIDI device line.
#include "platform/errors.h"
#include "platform/midi.h"
#include "platform/numbers.h"
#include "scoring/datafile.h"
#include "scoring/scramble.h"
#include "scoring_fixture.h"
#include "support/doubles/failing_rewrite.h"
#include "support/doubles/scripted_midi.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <csignal>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using scoringtest::ScoringFixture;

// Everything the file holds, with Window1.listenplay.
struct State {
    int64_t totaltests = 0, totalnotes = 0;
    double totalaccuracy = 0, correct = 0, almost = 0, miss = 0;
    bool midiinput = false;
    int64_t earlychange = 80;
    bool listenplay = true;
    int64_t tickspeed = 60;
    bool playmidinotes = false, reptest = false;

    static State now(bool listenplay)
    {
        return {Module1::totaltests, Module1::totalnotes,    Module1::totalaccuracy, Module1::correct,
                Module1::almost,     Module1::miss,          Module1::midiinput,     Module1::earlychange,
                listenplay,          Module1::tickspeed,     Module1::playmidinotes, Module1::reptest};
    }
    void apply() const
    {
        Module1::totaltests = totaltests;
        Module1::totalnotes = totalnotes;
        Module1::totalaccuracy = totalaccuracy;
        Module1::correct = correct;
        Module1::almost = almost;
        Module1::miss = miss;
        Module1::midiinput = midiinput;
        Module1::earlychange = earlychange;
        Module1::tickspeed = tickspeed;
        Module1::playmidinotes = playmidinotes;
        Module1::reptest = reptest;
    }
    bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* os)
{
    *os << "{tests " << s.totaltests << ", notes " << s.totalnotes << ", acc " << s.totalaccuracy << ", correct "
        << s.correct << ", almost " << s.almost << ", miss " << s.miss << ", midi " << s.midiinput
        << ", early " << s.earlychange << ", lp " << s.listenplay << ", tick " << s.tickspeed << ", pmn "
        << s.playmidinotes << ", rep " << s.reptest << "}";
}

// The values a program can hold, whatever the file said.
void expectSound(const State& s)
{
    EXPECT_GE(s.totaltests, 0);
    EXPECT_GE(s.totalnotes, 0);
    for (double m : {s.totalaccuracy, s.correct, s.almost, s.miss}) {
        EXPECT_TRUE(std::isfinite(m));
        EXPECT_GE(m, 0);
        EXPECT_LE(m, 100);
    }
    EXPECT_GE(s.tickspeed, 20);
    EXPECT_LE(s.tickspeed, 80);
    EXPECT_GE(s.earlychange, 10);
    EXPECT_LE(s.earlychange, 100);
}

class DataFile : public ScoringFixture {
protected:
    QString filePath() const { return platform::dataFilePath(scoring::datafilename); }

    void writeBytes(const QByteArray& bytes) const
    {
        QFile f(filePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray readBytes() const { return readBytesOf(filePath()); }
    static QByteArray readBytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Scrambled lines of these values, filler counts cycling through 0 to 9.
    QStringList scrambled(const QStringList& values)
    {
        QStringList lines;
        for (qsizetype i = 0; i < values.size(); ++i) {
            fillers.push(i % 10);
            lines << scoring::encpw(values[i]);
        }
        return lines;
    }
    void writeValues(const QStringList& values, const char* eol = "\n")
    {
        writeBytes(scrambled(values).join(QString::fromLatin1(eol)).toLatin1() + eol);
    }

    State load()
    {
        bool listenplay = true;
        scoring::loaddata(listenplay);
        return State::now(listenplay);
    }
    void save(bool listenplay)
    {
        fillers.pushRepeated(7, 13);
        scoring::savedata(listenplay);
    }
    QStringList fileValues() const
    {
        QStringList values;
        for (const QString& line : platform::readDataFileLines(scoring::datafilename))
            values << scoring::decpw(line);
        return values;
    }
};

const QStringList goodValues = {"3", "40", "66.66666666666667", "50", "25", "25", "notmidi",
                                "70", "notlp", "45", "pmn", "nf", "rep"};
const State goodState = {3, 40, 200.0 / 3, 50, 25, 25, false, 70, false, 45, true, true};

TEST_F(DataFile, NoFileChangesNothingAndCreatesNothing)
{
    EXPECT_EQ(load(), State());
    EXPECT_FALSE(QFile::exists(filePath()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

TEST_F(DataFile, WrittenStateReadsBack)
{
    const std::vector<State> states = {
        State(),
        goodState,
        {1, 4, 100, 100, 0, 0, false, 10, true, 20, false, false},
        {123456789, 9876543210, 0.1 + 0.2, 1.0 / 3, 98.33333333333333, 1e-9, false, 100, false, 80, true,
         false},
    };
    for (const State& state : states) {
        state.apply();
        save(state.listenplay);
        Module1::initialise();
        EXPECT_EQ(load(), state);
    }
}

TEST_F(DataFile, WriteGivesThirteenScrambledLinesOfTheExpectedValues)
{
    Module1::totaltests = 3;
    Module1::totalnotes = 40;
    Module1::earlychange = 80;
    Module1::tickspeed = 60;
    Module1::reptest = true;
    save(true);

    const QByteArray bytes = readBytes();
    ASSERT_TRUE(bytes.endsWith('\n'));
    const QStringList lines = platform::readDataFileLines(scoring::datafilename);
    ASSERT_EQ(lines.size(), 13);
    for (const QString& line : lines)
        for (QChar c : line)
            EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) << line.toStdString();
    EXPECT_EQ(fileValues(), QStringList({"3", "40", "0", "0", "0", "0", "notmidi", "80", "lp", "60", "notpmn",
                                         "nf", "rep"}));
    EXPECT_EQ(scoring::datafilevalues(true), fileValues());
}

TEST_F(DataFile, EachLineDrawsItsOwnFillerAndBothFilesReadAlike)
{
    goodState.apply();
    fillers.pushRepeated(2, 13);
    scoring::savedata(false);
    const QByteArray first = readBytes();
    for (int i = 0; i < 13; ++i)
        fillers.push(i % 10);
    scoring::savedata(false);
    const QByteArray second = readBytes();
    EXPECT_NE(first, second);
    EXPECT_EQ(*fillers.generators, 26); // one fresh generator per line

    Module1::initialise();
    const State fromSecond = load();
    writeBytes(first);
    Module1::initialise();
    EXPECT_EQ(load(), fromSecond);
    EXPECT_EQ(fromSecond, goodState);
}

TEST_F(DataFile, ReadingDrawsNoRandomNumber)
{
    writeValues(goodValues);
    const int before = *fillers.generators;
    load();
    EXPECT_EQ(*fillers.generators, before);
}

TEST_F(DataFile, OnlyTheFirstThirteenLinesCountAndTheNextWriteLeavesThirteen)
{
    QStringList values = goodValues;
    values << "999" << "midi" << "1";
    writeValues(values);
    EXPECT_EQ(load(), goodState);
    save(false);
    EXPECT_EQ(platform::readDataFileLines(scoring::datafilename).size(), 13);
}

TEST_F(DataFile, ShortFileReadsMissingLinesAsEmpty)
{
    Module1::earlychange = 33; // kept: an empty line leaves it
    Module1::tickspeed = 44;
    Module1::midiinputpos = true;
    Module1::midiinput = true;
    Module1::playmidinotes = true;
    Module1::reptest = true;
    writeValues(goodValues.mid(0, 6));
    bool listenplay = false;
    scoring::loaddata(listenplay);
    const State expected = {3, 40, 200.0 / 3, 50, 25, 25, false, 33, true, 44, false, false};
    EXPECT_EQ(State::now(listenplay), expected);
}

TEST_F(DataFile, NumbersAreTruncatedTowardZero)
{
    QStringList values = goodValues;
    values[0] = "7.9";
    values[1] = "12.99";
    values[7] = "55.7";
    values[9] = "45.5";
    writeValues(values);
    const State s = load();
    EXPECT_EQ(s.totaltests, 7);
    EXPECT_EQ(s.totalnotes, 12);
    EXPECT_EQ(s.earlychange, 55);
    EXPECT_EQ(s.tickspeed, 45);
}

TEST_F(DataFile, FlagWordsAndAnythingElse)
{
    struct Case {
        QString line7, line9, line11, line13;
        bool midiinputpos;
        bool midiinput, listenplay, playmidinotes, reptest;
    };
    const std::vector<Case> cases = {
        {"midi", "lp", "pmn", "rep", true, true, true, true, true},
        {"midi", "notlp", "notpmn", "norep", false, false, false, false, false},
        {"notmidi", "", "", "", true, false, true, false, false},
        {"MIDI", "NOTLP", "PMN", "REP", true, false, true, false, false},
        {"midi ", "notlp ", "pmn ", "rep ", true, false, true, false, false},
        {"garbage", "garbage", "garbage", "garbage", true, false, true, false, false},
    };
    for (const auto& c : cases) {
        Module1::initialise();
        Module1::midiinputpos = c.midiinputpos; // no stream: the device line must not crash
        QStringList values = goodValues;
        values[6] = c.line7;
        values[8] = c.line9;
        values[10] = c.line11;
        values[12] = c.line13;
        writeValues(values);
        const State s = load();
        EXPECT_EQ(s.midiinput, c.midiinput) << c.line7.toStdString();
        EXPECT_EQ(s.listenplay, c.listenplay) << c.line9.toStdString();
        EXPECT_EQ(s.playmidinotes, c.playmidinotes) << c.line11.toStdString();
        EXPECT_EQ(s.reptest, c.reptest) << c.line13.toStdString();
    }
}

TEST_F(DataFile, ValuesOutOfRangeKeepTheirInitialValue)
{
    struct Case {
        int line; // 1-based
        QString value;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {10, "0", false},   {10, "19", false},  {10, "81", false},  {10, "-60", false},
        {10, "1e400", false}, {10, "20", true}, {10, "80", true},   {10, "abc", false},
        {8, "9", false},    {8, "101", false},  {8, "0", false},    {8, "10", true},
        {8, "100", true},   {1, "-3", false},   {1, "1e400", false}, {1, "0", true},
        {2, "-0.5", false}, {3, "-1", false},   {3, "100.5", false}, {3, "1e400", false},
        {4, "100", true},   {5, "0", true},     {6, "-1e400", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("line " + std::to_string(c.line) + " " + c.value.toStdString());
        Module1::initialise();
        QStringList values = goodValues;
        values[c.line - 1] = c.value;
        writeValues(values);
        State expected = goodState;
        State initial;
        switch (c.line) {
        case 1: expected.totaltests = c.accepted ? 0 : initial.totaltests; break;
        case 2: expected.totalnotes = initial.totalnotes; break;
        case 3: expected.totalaccuracy = initial.totalaccuracy; break;
        case 4: expected.correct = 100; break;
        case 5: expected.almost = 0; break;
        case 6: expected.miss = initial.miss; break;
        case 8: expected.earlychange = c.accepted ? platform::TruncToInt64(platform::Val(c.value)) : 80; break;
        case 10: expected.tickspeed = c.accepted ? platform::TruncToInt64(platform::Val(c.value)) : 60; break;
        }
        const State s = load();
        EXPECT_EQ(s, expected);
        expectSound(s);
    }
}

TEST_F(DataFile, DamagedFilesLoadToSoundValues)
{
    const QStringList good = scrambled(goodValues);
    std::mt19937 gen(7);
    QByteArray noise;
    for (int i = 0; i < 4000; ++i)
        noise += static_cast<char>(gen() % 256);

    struct Case {
        const char* name;
        QByteArray bytes;
        bool readsAsGood; // every value as written
        bool readsAsInitial;
    };
    const std::vector<Case> cases = {
        {"empty", "", false, true},
        {"only line breaks", "\n\n\n\n\n\n\n\n\n\n\n\n\n\n", false, true},
        {"crlf endings", good.join("\r\n").toLatin1() + "\r\n", true, false},
        {"lone cr endings", good.join("\r").toLatin1() + "\r", true, false},
        {"no final line break", good.join("\n").toLatin1(), true, false},
        {"garbage lines", "hello world\nZZZZ\n!!\n3A\n\t\t\n--\n+\n.\n1e400\nmidi\n\n\xff\xfe\n\x01\x02", false,
         true},
        {"huge first line", QByteArray(1, '3') + QByteArray(100000, '3') + "\n" + good.mid(1).join("\n").toLatin1(),
         false, false},
        {"huge digit lines", (QByteArray(1, 'A') + QByteArray(100000, 'F') + "\n").repeated(13), false, false},
        {"bytes that are not text", noise, false, false},
        {"truncated mid-line", good.join("\n").toLatin1().left(60), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Module1::initialise();
        writeBytes(c.bytes);
        State s;
        ASSERT_NO_THROW(s = load());
        expectSound(s);
        if (c.readsAsGood) {
            EXPECT_EQ(s, goodState);
        }
        if (c.readsAsInitial) {
            EXPECT_EQ(s, State());
        }
    }
}

TEST_F(DataFile, AFileThatCannotBeReadThrowsAndChangesNothing)
{
    // Each must end the read at once (no blocking, no reading without end)
    // with a message that names the file and the reason.
    struct Case {
        const char* what;
        std::function<void(const QString&)> make;
        const char* reason;
    };
    const Case cases[] = {
        {"folder", [](const QString& p) { QDir().mkdir(p); }, "folder"},
        {"named pipe", [](const QString& p) { ::mkfifo(QFile::encodeName(p).constData(), 0600); }, "named pipe"},
        {"link to an endless device", [](const QString& p) { QFile::link(QStringLiteral("/dev/zero"), p); },
         "device"},
        {"link that leads nowhere", [](const QString& p) { QFile::link(p + QStringLiteral(".gone"), p); },
         "No such file"},
        {"link to a folder",
         [this](const QString& p) {
             QDir().mkdir(dir.filePath(QStringLiteral("folder")));
             QFile::link(dir.filePath(QStringLiteral("folder")), p);
         },
         "folder"},
        {"link to a named pipe",
         [this](const QString& p) {
             ::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600);
             QFile::link(dir.filePath(QStringLiteral("pipe")), p);
         },
         "named pipe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& name : QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
            QFile::remove(dir.filePath(name));
            QDir().rmdir(dir.filePath(name));
        }
        c.make(filePath());
        bool listenplay = false;
        try {
            scoring::loaddata(listenplay);
            ADD_FAILURE() << c.what << " was read";
        } catch (const platform::IOException& e) {
            EXPECT_TRUE(e.message().contains(filePath())) << e.what();
            EXPECT_TRUE(e.message().contains(QLatin1String(c.reason))) << e.what();
        }
        EXPECT_FALSE(listenplay);
        EXPECT_EQ(State::now(true), State()) << c.what;
    }
}

TEST_F(DataFile, AHugeFileReadsItsFirstThirteenLinesOnly)
{
    // 200 MB behind the 13 lines (sparse: the test writes none of it).
    writeValues(goodValues);
    ASSERT_EQ(::truncate(QFile::encodeName(filePath()).constData(), 200LL * 1024 * 1024), 0);
    EXPECT_EQ(load(), goodState);
}

TEST_F(DataFile, OnlyTheProgramsOwnStaleLeftoversGoAtAStartOrASave)
{
    struct Case {
        const char* name;
        qint64 ageSeconds;
        bool removed;
    };
    const Case cases[] = {
        {"mydata.txt.backup", 3600, false},
        {"mydata.txt.241210", 3600, false},
        {"mydata.txt.bak", 3600, false},
        {"mydata.txt.old", 3600, false},
        {"mydata.txt.aB3xY9", 3600, false}, // a user's file that looks like a temporary one
        {"mydata.txt.velvane-save-aB3xY9", 3600, true}, // the program's save cut short an hour ago
        {"mydata.txt.velvane-save-Qw12Er", 2, false},    // another copy's save under way
    };
    auto plant = [&] {
        for (const Case& c : cases) {
            const QString path = dir.path() + "/" + c.name;
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            ASSERT_EQ(f.write(c.name), qint64(std::strlen(c.name)));
            ASSERT_TRUE(f.flush()); // a later flush would make it new again
            ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-c.ageSeconds),
                                      QFileDevice::FileModificationTime));
        }
    };
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        for (const Case& c : cases) {
            QFile f(dir.path() + "/" + c.name);
            if (c.removed) {
                EXPECT_FALSE(f.exists()) << c.name << " was left";
            } else {
                ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << c.name << " was removed";
                EXPECT_EQ(f.readAll(), QByteArray(c.name));
            }
        }
    };

    plant(); // with no data file beside it
    EXPECT_EQ(load(), State());
    check("start without a data file");

    writeValues(goodValues);
    plant();
    EXPECT_EQ(load(), goodState);
    check("start");

    plant();
    save(true);
    check("save");
    EXPECT_EQ(load(), State::now(true));
}

TEST_F(DataFile, AFailedSaveTellsTheTerminalWhichFileAndWhy)
{
    struct Case {
        const char* what;
        std::function<void()> breakIt;
        QString reason;
    };
    const QString blocker = dir.path() + QStringLiteral("/blocker");
    const Case cases[] = {
        {"the disk fails", [] { platform::testing::failNextRewrite(); }, QStringLiteral("simulated failure")},
        {"the folder cannot be made",
         [&] {
             QFile f(blocker);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             platform::setDataFolder(blocker + QStringLiteral("/Velvane"));
         },
         QStringLiteral("Not a directory")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.breakIt();
        fillers.pushRepeated(0, 13);
        ::testing::internal::CaptureStderr();
        EXPECT_THROW(scoring::savedata(true), platform::IOException);
        const QString said = QString::fromStdString(::testing::internal::GetCapturedStderr());
        EXPECT_EQ(said.count(QLatin1Char('\n')), 1) << said.toStdString();
        EXPECT_TRUE(said.endsWith(QLatin1Char('\n')));
        EXPECT_TRUE(said.contains(filePath())) << said.toStdString();
        EXPECT_TRUE(said.contains(QLatin1String(": ") + c.reason + QLatin1Char('\n'))) << said.toStdString();
        platform::setDataFolder(dir.path());
    }

    // A save that works says nothing.
    ::testing::internal::CaptureStderr();
    save(true);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(DataFile, ARealWriteErrorLeavesTheOldFileByteForByteAndIsReported)
{
    // A save of the real program code in a process of its own whose file-size
    // limit stops the write short, with SIGXFSZ at its default: the process
    // must not end by it. The smallest data file the helper can write is 101
    // bytes.
    goodState.apply();
    save(goodState.listenplay);
    const QByteArray old = readBytes();
    ASSERT_GT(old.size(), 101);

    for (const rlim_t limit : {rlim_t(0), rlim_t(1), rlim_t(64), rlim_t(100)}) {
        SCOPED_TRACE("file-size limit " + std::to_string(limit));
        QProcess helper;
        helper.setChildProcessModifier([limit] {
            const rlimit l{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &l);
            ::signal(SIGXFSZ, SIG_DFL); // as a shell hands it down
        });
        helper.start(QStringLiteral(VELVANE_WRITE_DATAFILE), {dir.path(), QStringLiteral("totaltests=9")});
        ASSERT_TRUE(helper.waitForFinished(30000));
        const QString said = QString::fromLocal8Bit(helper.readAllStandardError());
        EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit) << "ended by a signal";
        EXPECT_EQ(helper.exitCode(), 1) << "the save was not reported as failed\n" << said.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("Velvane: the statistics were not saved: cannot write ") + filePath() +
                                  QStringLiteral(": File too large\n")))
            << said.toStdString();
        EXPECT_EQ(readBytes(), old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{scoring::datafilename});
    }

    // Without the limit the same helper saves.
    QProcess helper;
    helper.start(QStringLiteral(VELVANE_WRITE_DATAFILE), {dir.path(), QStringLiteral("totaltests=9")});
    ASSERT_TRUE(helper.waitForFinished(30000));
    EXPECT_EQ(helper.exitCode(), 0) << helper.readAllStandardError().toStdString();
    Module1::initialise();
    EXPECT_EQ(load().totaltests, 9);
}

// The data file's mode as lstat sees it, or -1 when the name is not there.
int modeOf(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode) : -1;
}

TEST_F(DataFile, ASaveKeepsTheFilesModeBitsExactly)
{
    // The suite runs as root, for whom every one of these can be written: the
    // bits themselves are checked. A file made by the first save is the
    // owner's only.
    goodState.apply();
    save(true);
    EXPECT_EQ(modeOf(filePath()) & 07777, 0600);
    for (const int mode : {0444, 0400, 0640, 0604, 0664, 0666, 0755, 02640}) {
        SCOPED_TRACE(testing::Message() << std::oct << mode);
        ASSERT_EQ(::chmod(QFile::encodeName(filePath()).constData(), mode_t(mode)), 0);
        Module1::totaltests += 1;
        save(true);
        EXPECT_EQ(modeOf(filePath()), S_IFREG | mode);
        Module1::initialise();
        EXPECT_EQ(load().totaltests, goodState.totaltests + 1) << "not saved";
        goodState.apply();
    }
}

TEST_F(DataFile, ASaveThroughALinkReplacesTheFileItLeadsToAndKeepsTheLink)
{
    // mydata.txt pointing into a synced folder, by a relative link, an
    // absolute one and a link to a link; the file there keeps its mode and
    // the save's leftovers are looked for beside it.
    struct Case {
        const char* what;
        QString linkText; // relative to the data folder
        bool chained;
    };
    const Case cases[] = {
        {"relative link", QStringLiteral("synced/stats.txt"), false},
        {"absolute link", QString(), false},
        {"link to a link", QStringLiteral("hop"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString synced = dir.filePath(QStringLiteral("synced"));
        QDir(synced).removeRecursively();
        QFile::remove(filePath());
        QFile::remove(dir.filePath(QStringLiteral("hop")));
        ASSERT_TRUE(QDir().mkdir(synced));
        const QString target = synced + QStringLiteral("/stats.txt");
        const QString text = c.linkText.isEmpty() ? target : c.linkText;
        goodState.apply();
        save(true);
        ASSERT_TRUE(QFile::rename(filePath(), target));
        ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
        if (c.chained) {
            ASSERT_EQ(::symlink("synced/stats.txt", QFile::encodeName(dir.filePath(QStringLiteral("hop"))).constData()), 0);
        }
        ASSERT_EQ(::symlink(QFile::encodeName(text).constData(), QFile::encodeName(filePath()).constData()), 0);
        const QString linkTarget = QFileInfo(filePath()).symLinkTarget();

        // A save cut short an hour ago left its temporary file beside the target.
        const QString leftover = target + QStringLiteral(".velvane-save-aB3xY9");
        {
            QFile f(leftover);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("half");
            ASSERT_TRUE(f.flush());
            ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                                      QFileDevice::FileModificationTime));
        }
        Module1::totaltests = 77;
        save(true);
        EXPECT_TRUE(S_ISLNK(modeOf(filePath()))) << "the link was replaced";
        EXPECT_EQ(QFileInfo(filePath()).symLinkTarget(), linkTarget);
        EXPECT_EQ(modeOf(target), S_IFREG | 0640);
        EXPECT_EQ(QDir(synced).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{QStringLiteral("stats.txt")});
        QStringList expected{QStringLiteral("mydata.txt"), QStringLiteral("synced")};
        if (c.chained)
            expected.prepend(QStringLiteral("hop"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
                  expected);
        Module1::initialise();
        EXPECT_EQ(load().totaltests, 77);
    }
}

TEST_F(DataFile, WhatCannotBeReplacedAtSaveTimeStaysAsItIsAndTheSaveSaysWhy)
{
    // Put in place of the data file while the program runs, after the start
    // read it.
    struct Case {
        const char* what;
        std::function<void(const QString&)> make;
        const char* reason;
        mode_t kind; // what must still be there
    };
    const Case cases[] = {
        {"named pipe", [](const QString& p) { ::mkfifo(QFile::encodeName(p).constData(), 0600); },
         "it is a named pipe, not a file", S_IFIFO},
        {"folder", [](const QString& p) { QDir().mkdir(p); }, "it is a folder, not a file", S_IFDIR},
        {"link that leads nowhere", [](const QString& p) { QFile::link(p + QStringLiteral(".gone"), p); },
         "No such file or directory", S_IFLNK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeValues(goodValues);
        ASSERT_EQ(load(), goodState);
        ASSERT_TRUE(QFile::remove(filePath()));
        c.make(filePath());
        Module1::totaltests = 4;
        fillers.pushRepeated(0, 13);
        ::testing::internal::CaptureStderr();
        EXPECT_THROW(scoring::savedata(true), platform::IOException);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(said, "Velvane: the statistics were not saved: cannot write " + filePath().toStdString() + ": "
                            + c.reason + "\n");
        EXPECT_EQ(modeOf(filePath()) & S_IFMT, int(c.kind)) << "replaced";
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
                  QStringList{scoring::datafilename});
        QDir().rmdir(filePath());
        QFile::remove(filePath());
        Module1::initialise();
    }
}

TEST_F(DataFile, AReadOnlyFileIsNotReplacedForANormalUser)
{
    // Root may write a 0444 file, so the save runs as the unprivileged user
    // nobody, in a folder that user may write (the rename would go through).
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty() || ::geteuid() != 0)
        GTEST_SKIP() << "needs setpriv and root to run a save as the user nobody";
    constexpr uid_t nobody = 65534;
    QTemporaryDir shared(QDir::tempPath() + QStringLiteral("/velvane-nobody-XXXXXX"));
    ASSERT_TRUE(shared.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 0777), 0);
    platform::setDataFolder(shared.path());
    goodState.apply();
    save(true);
    const QString path = platform::dataFilePath(scoring::datafilename);
    const QByteArray path8 = QFile::encodeName(path);
    ASSERT_EQ(::chown(path8.constData(), nobody, nobody), 0);
    auto runAsNobody = [&] {
        QProcess helper;
        helper.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups"), QStringLiteral(VELVANE_WRITE_DATAFILE),
                               shared.path(), QStringLiteral("totaltests=9")});
        EXPECT_TRUE(helper.waitForFinished(30000));
        return std::make_pair(helper.exitCode(), QString::fromLocal8Bit(helper.readAllStandardError()));
    };
    // The helper itself must be reachable for that user.
    ASSERT_EQ(::chmod(path8.constData(), 0644), 0);
    const auto [writable, why] = runAsNobody();
    if (writable != 0) {
        GTEST_SKIP() << "the user nobody cannot run the save here: " << why.toStdString();
    }
    Module1::initialise();
    ASSERT_EQ(load().totaltests, 9);
    const QByteArray old = readBytesOf(path);

    ASSERT_EQ(::chmod(path8.constData(), 0444), 0);
    const auto [status, said] = runAsNobody();
    EXPECT_EQ(status, 1) << "a read-only file was replaced";
    EXPECT_TRUE(said.startsWith(QStringLiteral("Velvane: the statistics were not saved: cannot write ") + path
                                + QStringLiteral(": Permission denied\n")))
        << said.toStdString();
    EXPECT_EQ(readBytesOf(path), old);
    EXPECT_EQ(modeOf(path), S_IFREG | 0444);
    EXPECT_EQ(QDir(shared.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{scoring::datafilename});
}

TEST_F(DataFile, FailedWriteLeavesTheOldFileAndThrows)
{
    goodState.apply();
    save(goodState.listenplay);
    const QByteArray old = readBytes();

    Module1::totaltests = 4;
    Module1::tickspeed = 30;
    platform::testing::failNextRewrite();
    fillers.pushRepeated(0, 13);
    EXPECT_THROW(scoring::savedata(true), platform::IOException);
    EXPECT_EQ(readBytes(), old);

    Module1::initialise();
    EXPECT_EQ(load(), goodState);
}

TEST_F(DataFile, TotalsLabelTexts)
{
    Module1::totaltests = 12;
    Module1::totalnotes = 345;
    Module1::totalaccuracy = 200.0 / 3;
    Module1::correct = 12.345;
    Module1::almost = 0.5;
    Module1::miss = 100;
    const scoring::TotalsTexts t = scoring::totalslabels();
    EXPECT_EQ(t.ttestslabel, QStringLiteral("Number of tests 12"));
    EXPECT_EQ(t.tnoteslabel, QStringLiteral("Notes played 345"));
    EXPECT_EQ(t.tacclabel, QStringLiteral("Accuracy 66.67%"));
    EXPECT_EQ(t.thitslabel, QStringLiteral("Perfect hits 12.35%"));
    EXPECT_EQ(t.tnearlabel, QStringLiteral("Pretty close hits 0.5%"));
    EXPECT_EQ(t.tmisslabel, QStringLiteral("Way off hits 100%"));

    Module1::initialise();
    const scoring::TotalsTexts zero = scoring::totalslabels();
    EXPECT_EQ(zero.ttestslabel, QStringLiteral("Number of tests 0"));
    EXPECT_EQ(zero.tnoteslabel, QStringLiteral("Notes played 0"));
    EXPECT_EQ(zero.tacclabel, QStringLiteral("Accuracy 0%"));
    EXPECT_EQ(zero.thitslabel, QStringLiteral("Perfect hits 0%"));
    EXPECT_EQ(zero.tnearlabel, QStringLiteral("Pretty close hits 0%"));
    EXPECT_EQ(zero.tmisslabel, QStringLiteral("Way off hits 0%"));
}

// --- The device line ---------------------------------------------------

// Records every open with its buffer size.
class RecordingMidi : public platform::ScriptedMidiBackend {
public:
    int openInput(int id, int bufferSize, void** handle) override
    {
        opens.emplace_back(id, bufferSize);
        return ScriptedMidiBackend::openInput(id, bufferSize, handle);
    }
    std::vector<std::pair<int, int>> opens;
};

class DeviceLine : public DataFile {
protected:
    void SetUp() override
    {
        DataFile::SetUp();
        midi.devices.resize(4);
        platform::setMidiBackend(&midi);
    }
    void TearDown() override
    {
        DataFile::TearDown(); // drops the stream first
        platform::setMidiBackend(nullptr);
    }
    // What the main window's opening leaves: a stream open on `device`.
    void openStreamOn(int device)
    {
        Module1::s = std::make_shared<platform::PortMidiStreamMBS>();
        ASSERT_EQ(Module1::s->OpenInput(device, 100), 0);
        Module1::midiinputpos = true;
        midi.opens.clear();
    }
    QString writtenDeviceLine(bool midiinput)
    {
        Module1::midiinput = midiinput;
        save(true);
        return fileValues().value(11);
    }
    void writeFile(const QString& line7, const QString& line12)
    {
        QStringList values = goodValues;
        values[6] = line7;
        values[11] = line12;
        writeValues(values);
    }

    RecordingMidi midi;
};

TEST_F(DeviceLine, WrittenFromTheStreamsDevice)
{
    EXPECT_EQ(writtenDeviceLine(false), QStringLiteral("nf")); // no MIDI possible, no stream

    openStreamOn(2);
    EXPECT_EQ(writtenDeviceLine(true), QStringLiteral("2"));
    EXPECT_EQ(fileValues().value(6), QStringLiteral("midi"));
    EXPECT_EQ(writtenDeviceLine(false), QStringLiteral("2")); // whatever the input method
    EXPECT_EQ(fileValues().value(6), QStringLiteral("notmidi"));

    Module1::s->Close();
    EXPECT_EQ(writtenDeviceLine(true), QStringLiteral("nf"));

    // MIDI impossible in this run: the stream is not asked.
    ASSERT_EQ(Module1::s->OpenInput(3, 100), 0);
    Module1::midiinputpos = false;
    EXPECT_EQ(writtenDeviceLine(false), QStringLiteral("nf"));
}

TEST_F(DeviceLine, ReadReopensTheStreamOnlyForStoredMidiInput)
{
    struct Case {
        const char* name;
        bool possible;
        QString line7, line12;
        bool midiinput;
        std::vector<std::pair<int, int>> opens;
        int deviceAfter;
    };
    const std::vector<Case> cases = {
        {"stored device", true, "midi", "2", true, {{2, 100}}, 2},
        {"nf means device 0", true, "midi", "nf", true, {{0, 100}}, 0},
        {"empty means device 0", true, "midi", "", true, {{0, 100}}, 0},
        {"fraction truncated", true, "midi", "3.7", true, {{3, 100}}, 3},
        {"negative is no device", true, "midi", "-4", true, {{0, 100}}, 0},
        {"garbage reads as 0", true, "midi", "xyz", true, {{0, 100}}, 0},
        {"device that is not there", true, "midi", "9", true, {{9, 100}}, -1},
        {"keyboard stored", true, "notmidi", "2", false, {}, 1},
        {"midi stored, none possible", false, "midi", "2", false, {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Module1::initialise();
        for (auto& d : midi.devices)
            d.open = false;
        openStreamOn(1);
        Module1::midiinputpos = c.possible;
        writeFile(c.line7, c.line12);
        const State s = load();
        EXPECT_EQ(s.midiinput, c.midiinput);
        EXPECT_EQ(midi.opens, c.opens);
        EXPECT_EQ(Module1::s->DeviceID(), c.deviceAfter);
        EXPECT_EQ(s.reptest, true); // line 13 is still read after the stream call
    }
}

TEST_F(DeviceLine, StoredMidiWithoutAStreamDoesNotCrash)
{
    Module1::midiinputpos = true; // never so without a stream, but it must hold
    writeFile("midi", "2");
    const State s = load();
    EXPECT_TRUE(s.midiinput);
    EXPECT_TRUE(midi.opens.empty());
}

} // namespace
