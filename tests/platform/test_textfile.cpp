// Text files in the data folder: line endings on reading, and the atomic
// rewrite that a failure must not turn into a half-written file.
#include "platform/errors.h"
#include "platform/textfile.h"
#include "support/doubles/failing_rewrite.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString fileName = QStringLiteral("lines.txt");

class TextFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        platform::setDataFolder(dir_.path());
    }
    void TearDown() override { platform::setDataFolder(QString()); }

    QString path(const QString& name = fileName) const { return dir_.path() + "/" + name; }

    void writeBytes(const QByteArray& bytes, const QString& name = fileName) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QByteArray readBytes(const QString& name = fileName) const
    {
        QFile f(path(name));
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray("<unreadable>");
        return f.readAll();
    }

    // Sets the file's modification time this many seconds into the past.
    static void setAge(const QString& p, qint64 seconds)
    {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-seconds),
                                  QFileDevice::FileModificationTime));
    }

    QTemporaryDir dir_;
};

TEST_F(TextFile, DataFolderDefaultsToTheApplicationDataLocation)
{
    platform::setDataFolder(QString());
    EXPECT_EQ(platform::dataFolder(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    platform::setDataFolder(QStringLiteral("/some/where"));
    EXPECT_EQ(platform::dataFolder(), QStringLiteral("/some/where"));
    EXPECT_EQ(platform::dataFilePath(QStringLiteral("mydata.txt")), QStringLiteral("/some/where/mydata.txt"));
}

TEST_F(TextFile, LinesEndAtNewlineCarriageReturnOrBoth)
{
    struct Case {
        QByteArray bytes;
        QStringList lines;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"x\ny\r\nz\rw", {"x", "y", "z", "w"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\r\n\rb\n\r\n", {"a", "", "b", ""}},
        {"\n", {""}},
        {"\n\r", {"", ""}},
        {"\r\n\r\n", {"", ""}},
        {"  spaced  \n", {"  spaced  "}},
    };
    for (const auto& c : cases) {
        writeBytes(c.bytes);
        EXPECT_EQ(platform::readDataFileLines(fileName), c.lines) << c.bytes.toStdString();
    }
}

TEST_F(TextFile, EveryByteReadsAsOneLatin1Character)
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        if (b != '\n' && b != '\r')
            bytes += static_cast<char>(b);
    writeBytes(bytes + "\nend");
    const QStringList lines = platform::readDataFileLines(fileName);
    ASSERT_EQ(lines.size(), 2);
    ASSERT_EQ(lines[0].size(), 254);
    for (qsizetype i = 0; i < lines[0].size(); ++i)
        EXPECT_EQ(lines[0][i].unicode(), static_cast<unsigned char>(bytes[i]));
    EXPECT_EQ(lines[1], QStringLiteral("end"));
}

TEST_F(TextFile, ReadingWhatCannotBeReadThrows)
{
    EXPECT_FALSE(platform::dataFileExists(fileName));
    EXPECT_THROW(platform::readDataFileLines(fileName), platform::IOException);

    // Something is there, but it is no file.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(fileName));
    EXPECT_TRUE(platform::dataFileExists(fileName));
    EXPECT_THROW(platform::readDataFileLines(fileName), platform::IOException);
}

TEST_F(TextFile, OnlyARegularFileIsReadAndTheMessageSaysWhy)
{
    // None of these may block or read without end; each is named with its reason.
    struct Case {
        const char* what;
        std::function<void(const QString&)> make;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"folder", [](const QString& p) { QDir().mkdir(p); }, "folder"},
        {"named pipe", [](const QString& p) { ::mkfifo(QFile::encodeName(p).constData(), 0600); }, "named pipe"},
        {"link to a named pipe",
         [this](const QString& p) {
             ::mkfifo(QFile::encodeName(path(QStringLiteral("pipe"))).constData(), 0600);
             QFile::link(path(QStringLiteral("pipe")), p);
         },
         "named pipe"},
        {"link to an endless device", [](const QString& p) { QFile::link(QStringLiteral("/dev/zero"), p); }, "device"},
        {"link to nothing", [](const QString& p) { QFile::link(QStringLiteral("/nonexistent/x"), p); },
         "No such file"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        platform::setDataFolder(dir.path());
        const QString p = dir.path() + "/" + fileName;
        c.make(p);
        try {
            platform::readDataFileLines(fileName, 13);
            ADD_FAILURE() << c.what << " was read";
        } catch (const platform::IOException& e) {
            EXPECT_TRUE(e.message().contains(p)) << c.what << ": " << e.what();
            EXPECT_TRUE(e.message().contains(QLatin1String(c.reason))) << c.what << ": " << e.what();
        }
    }
    // A link to a regular file is read.
    platform::setDataFolder(dir_.path());
    writeBytes("through the link\n", QStringLiteral("target"));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("target")), path()));
    EXPECT_EQ(platform::readDataFileLines(fileName), QStringList{"through the link"});
}

TEST_F(TextFile, ReadingStopsAtTheLineAndByteLimits)
{
    writeBytes("1\n2\r\n3\r4\n5\n");
    EXPECT_EQ(platform::readDataFileLines(fileName, 3), QStringList({"1", "2", "3"}));
    EXPECT_EQ(platform::readDataFileLines(fileName, 5), QStringList({"1", "2", "3", "4", "5"}));
    EXPECT_EQ(platform::readDataFileLines(fileName, 0), QStringList());
    EXPECT_EQ(platform::readDataFileLines(fileName, -1, 5), QStringList({"1", "2"}));
    EXPECT_EQ(platform::readDataFileLines(fileName, -1, 6), QStringList({"1", "2", "3"}));

    // A huge file (sparse, so the test itself costs nothing): only the first
    // 64 KiB are read, so only they take time and memory.
    writeBytes("first\n");
    ASSERT_EQ(::truncate(QFile::encodeName(path()).constData(), 200LL * 1024 * 1024), 0);
    const QStringList lines = platform::readDataFileLines(fileName, 13);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("first"));
    EXPECT_EQ(lines[1].size(), 64 * 1024 - 6);
}

TEST_F(TextFile, OnlyTheRewritesOwnTemporaryFilesGoAndOnlyOnceStale)
{
    struct Case {
        QString name;
        qint64 ageSeconds;
        bool removed;
    };
    const std::vector<Case> cases = {
        {fileName + ".velvane-save-Ab12Cd", 70, true},
        {fileName + ".velvane-save-XXXXXX", 3600, true},
        {fileName + ".velvane-save-000000", 70, true},
        {fileName + ".velvane-save-Fresh1", 50, false}, // a save in progress
        {fileName + ".velvane-save-Ahead1", -30, false}, // from a clock ahead of ours
        {fileName + ".Ab12Cd", 3600, false},
        {fileName + ".bak", 3600, false},
        {fileName + ".velvane-save-Ab12Cde", 3600, false},
        {fileName + ".velvane-save-Ab-2Cd", 3600, false},
        {"other.txt.velvane-save-Ab12Cd", 3600, false},
    };
    auto entries = [this] {
        QStringList names = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        names.sort();
        return names;
    };
    auto plant = [&] {
        for (const Case& c : cases) {
            writeBytes("x", c.name);
            setAge(path(c.name), c.ageSeconds);
        }
    };
    QStringList kept;
    for (const Case& c : cases)
        if (!c.removed)
            kept << c.name;
    kept.sort();

    plant();
    platform::removeRewriteLeftovers(fileName);
    EXPECT_EQ(entries(), kept);

    // The next rewrite removes them too.
    plant();
    platform::rewriteDataFile(fileName, {"new"});
    kept << fileName;
    kept.sort();
    EXPECT_EQ(entries(), kept);
    EXPECT_EQ(readBytes(), QByteArray("new\n"));
}

// What a rewrite leaves in the folder while it writes, seen from its hook.
QStringList seenDuringRewrite;

void recordFolder(const QString& path)
{
    seenDuringRewrite = QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden);
    // Another copy of the program starting or saving right now.
    platform::removeRewriteLeftovers(QFileInfo(path).fileName());
}

TEST_F(TextFile, ARewritesTemporaryFileSurvivesAnotherCopyAndIsTakenOnceStale)
{
    writeBytes("old\n");
    {
        struct Unhook {
            ~Unhook() { platform::setRewriteHook(nullptr); }
        } unhook;
        platform::setRewriteHook(&recordFolder);
        ASSERT_NO_THROW(platform::rewriteDataFile(fileName, {"new"}));
    }
    EXPECT_EQ(readBytes(), QByteArray("new\n")) << "the other copy took the temporary file away";

    seenDuringRewrite.removeAll(fileName);
    ASSERT_EQ(seenDuringRewrite.size(), 1) << seenDuringRewrite.join(' ').toStdString();
    const QString temporary = seenDuringRewrite.front();
    EXPECT_TRUE(temporary.startsWith(fileName + ".velvane-save-")) << temporary.toStdString();

    // Left behind by a save cut short, it goes once it is stale.
    writeBytes("half", temporary);
    platform::removeRewriteLeftovers(fileName);
    EXPECT_TRUE(QFile::exists(path(temporary)));
    setAge(path(temporary), 70);
    platform::removeRewriteLeftovers(fileName);
    EXPECT_FALSE(QFile::exists(path(temporary)));
}

TEST_F(TextFile, RewriteReplacesTheWholeFile)
{
    writeBytes("an old and much longer content\r\nwith two lines\r\n");
    platform::rewriteDataFile(fileName, {"one", "two"});
    EXPECT_EQ(readBytes(), QByteArray("one\ntwo\n"));
    EXPECT_EQ(platform::readDataFileLines(fileName), QStringList({"one", "two"}));

    platform::rewriteDataFile(fileName, {});
    EXPECT_EQ(readBytes(), QByteArray());
    EXPECT_TRUE(platform::dataFileExists(fileName));
}

TEST_F(TextFile, RewriteCreatesAMissingFolder)
{
    const QString nested = dir_.path() + "/sub/deeper";
    platform::setDataFolder(nested);
    EXPECT_FALSE(platform::dataFileExists(fileName));
    platform::rewriteDataFile(fileName, {"x"});
    QFile f(nested + "/" + fileName);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("x\n"));
}

TEST_F(TextFile, FailedRewriteLeavesTheOldFileWholeAndNoLeftovers)
{
    const QByteArray old("first\nsecond\nthird\n");
    writeBytes(old);

    platform::testing::failNextRewrite();
    EXPECT_THROW(platform::rewriteDataFile(fileName, {"new"}), platform::IOException);
    EXPECT_EQ(readBytes(), old);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({fileName}));

    // The failure is for one rewrite only.
    platform::rewriteDataFile(fileName, {"new"});
    EXPECT_EQ(readBytes(), QByteArray("new\n"));
}

TEST_F(TextFile, RewriteThatCannotCreateItsFolderThrows)
{
    writeBytes("in the way", QStringLiteral("blocker"));
    const QString folder = path(QStringLiteral("blocker")) + "/sub";
    platform::setDataFolder(folder);
    try {
        platform::rewriteDataFile(fileName, {"x"});
        ADD_FAILURE() << "the rewrite went through a file";
    } catch (const platform::IOException& e) {
        // Which file, which folder and why.
        EXPECT_TRUE(e.message().contains(folder + "/" + fileName)) << e.what();
        EXPECT_TRUE(e.message().contains(QLatin1String(": Not a directory"))) << e.what();
    }
    EXPECT_EQ(readBytes(QStringLiteral("blocker")), QByteArray("in the way"));
}

TEST_F(TextFile, RewriteOverSomethingThatIsNoFileThrows)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir(fileName));
    EXPECT_THROW(platform::rewriteDataFile(fileName, {"x"}), platform::IOException);
}

} // namespace
