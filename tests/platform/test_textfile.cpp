// Text files in the data folder: line endings on reading, and the atomic
// rewrite that a failure must not turn into a half-written file.
#include "platform/errors.h"
#include "platform/textfile.h"
#include "support/doubles/failing_rewrite.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <string>
#include <vector>

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
    platform::setDataFolder(path(QStringLiteral("blocker")) + "/sub");
    EXPECT_THROW(platform::rewriteDataFile(fileName, {"x"}), platform::IOException);
    EXPECT_EQ(readBytes(QStringLiteral("blocker")), QByteArray("in the way"));
}

TEST_F(TextFile, RewriteOverSomethingThatIsNoFileThrows)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir(fileName));
    EXPECT_THROW(platform::rewriteDataFile(fileName, {"x"}), platform::IOException);
}

} // namespace
