// Scrambled lines of the data file: the frozen format, round trips for every
// filler count, and lines that are damaged or longer than the format allows.
#include "scoring/scramble.h"
#include "scoring_fixture.h"

#include <set>
#include <vector>

namespace {

using scoring::decpw;
using scoring::encpw;
using scoringtest::ScoringFixture;

const QString markers = QStringLiteral("3A7E1C59F2B");

bool upperHexOnly(const QString& line)
{
    for (QChar c : line)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            return false;
    return true;
}

// Every character that a line can store: the tab and the codes 20 to 255.
QString storableCharacters()
{
    QString all(QChar(u'\t'));
    for (char16_t c = 20; c <= 255; ++c)
        all += QChar(c);
    return all;
}

QString withTabsAsSpaces(QString v)
{
    return v.replace(u'\t', u' ');
}

class Scramble : public ScoringFixture {};

// The tables are the file format: these lines were written by the program
// and must read the same for ever, and the same values must scramble to them.
TEST_F(Scramble, FrozenLinesKeepTheirMeaning)
{
    struct Case {
        int filler;
        QString value;
        QString line;
    };
    const std::vector<Case> cases = {
        {0, "3", "3A28"},
        {9, "40", "2B636C565E5C5A5F5D6E2230"},
        {4, "notmidi", "1C5C6957715B67715F555F5D"},
        {0, "", "3A"},
        {9, "", "2B636C565E5C5A5F5D6E"},
        {2, "66.66666666666667", "7E696627302135232E332822312A2C262F24362C"},
        {7, "nf", "9F6A5C5C6F535264625C"},
        {5, "rep", "C56562635F596F575C"},
        {3, "lp", "E162605E5F6F"},
        {8, "1e+20", "F2586761644D615D63215E193225"},
        {6, "norep", "595E6E516A5E585A6A665B60"},
        // Runs through the entries set one by one into those that are all alike.
        {0, "The quick brown fox jumps over the lazy dog",
         "3A49576317626F5C6258185F645B726216566866205F6F606E6220667256661F61605719655A7372195D6860"},
        // The widest difference a pair holds: 255 above entry 1.
        {0, QString(QChar(char16_t(11 + 255))), "3AFF"},
    };
    for (const auto& c : cases) {
        fillers.push(c.filler);
        EXPECT_EQ(encpw(c.value), c.line) << "filler " << c.filler;
        EXPECT_EQ(decpw(c.line), c.value);
    }
    // A tab is stored as a space.
    fillers.push(1);
    EXPECT_EQ(encpw(QStringLiteral("\t")), QStringLiteral("A75A1E"));
    EXPECT_EQ(decpw(QStringLiteral("A75A1E")), QStringLiteral(" "));
}

TEST_F(Scramble, EveryFillerCountRoundTripsEveryStorableCharacter)
{
    const QString all = storableCharacters();
    const std::vector<QString> values = {"", "0", "3", "-480", "66.66666666666667", "1e+20", "midi", "notlp",
                                         "a\tb", all.left(150), all.mid(150)};
    for (int a = 0; a <= 9; ++a) {
        for (const QString& v : values) {
            fillers.push(a);
            const QString line = encpw(v);
            EXPECT_EQ(line.size(), 2 + 2 * (a + v.size())) << "filler " << a;
            EXPECT_TRUE(upperHexOnly(line)) << line.toStdString();
            EXPECT_EQ(line[0], markers[a]);
            EXPECT_EQ(line[1], markers[a + 1]);
            EXPECT_EQ(decpw(line), withTabsAsSpaces(v)) << "filler " << a;
        }
    }
}

TEST_F(Scramble, LongValuesRoundTripAsFarAsTheTableReaches)
{
    const QString all = storableCharacters();
    QString longest;
    while (longest.size() < 300)
        longest += all;
    for (int a = 0; a <= 9; ++a) {
        // 282 characters fit whatever the filler count.
        fillers.push(a);
        EXPECT_EQ(decpw(encpw(longest.left(282))), withTabsAsSpaces(longest.left(282))) << "filler " << a;

        // Exactly as many as the table reaches still fit ...
        const int fits = 300 - 2 * a;
        fillers.push(a);
        EXPECT_EQ(decpw(encpw(longest.left(fits))), withTabsAsSpaces(longest.left(fits)));

        // ... and what lies beyond is not stored.
        fillers.push(a);
        const QString line = encpw(longest + longest);
        EXPECT_EQ(line.size(), 2 + 2 * (a + fits));
        EXPECT_EQ(decpw(line), withTabsAsSpaces(longest.left(fits)));
    }
}

TEST_F(Scramble, CharactersThatCannotBeStoredBecomeQuestionMarks)
{
    // Far above 255 at every entry.
    const QString value = QStringLiteral("a") + QChar(char16_t(0x4E2D)) + QChar(char16_t(0x300)) + QStringLiteral("z");
    for (int a = 0; a <= 9; ++a) {
        fillers.push(a);
        const QString line = encpw(value);
        EXPECT_TRUE(upperHexOnly(line));
        EXPECT_EQ(decpw(line), QStringLiteral("a??z"));
    }
    // With filler 0 the value uses entries 1 to 4: 11, 17, 2, 9. A code below
    // its entry cannot be stored; 256 can, one above an entry of 1 or more.
    fillers.push(0);
    const QString low = QString(QChar(u'\x05')) + QChar(u'\x10') + QChar(u'\x02') + QChar(char16_t(0x100));
    EXPECT_EQ(decpw(encpw(low)), QStringLiteral("??") + QChar(u'\x02') + QChar(char16_t(0x100)));
}

TEST_F(Scramble, RealDrawsGiveEveryMarkerPairAndReadBack)
{
    platform::setRandomFactory(nullptr); // the program's own generators
    std::set<QChar> firsts;
    for (int i = 0; i < 500; ++i) {
        const QString line = encpw(QStringLiteral("98.5"));
        firsts.insert(line[0]);
        const int a = static_cast<int>(markers.indexOf(line[0]));
        ASSERT_GE(a, 0);
        ASSERT_LE(a, 9); // entry 10 never opens a line
        EXPECT_EQ(line[1], markers[a + 1]);
        EXPECT_EQ(decpw(line), QStringLiteral("98.5"));
    }
    EXPECT_EQ(firsts.size(), 10u);
}

TEST_F(Scramble, ShortAndUnmarkedLinesReadAsEmptyWithoutADraw)
{
    // No filler is scripted: any random draw would fail the test.
    std::vector<QString> lines = {"", "Z", "0123456789", "zz", " 3A28", "-3A28", "\n"};
    for (int a = 0; a <= 10; ++a) {
        // Lines of at most 2a + 2 characters hold nothing after the filler.
        for (int len = 1; len <= 2 * a + 2; ++len)
            lines.push_back(QString(markers[a]) + QString(len - 1, u'F'));
    }
    for (const QString& line : lines)
        EXPECT_EQ(decpw(line), QString()) << line.toStdString();
    EXPECT_EQ(*fillers.generators, 0);
}

TEST_F(Scramble, SecondCharacterAndFillerDigitsAreNeverRead)
{
    const QString line = QStringLiteral("2B636C565E5C5A5F5D6E2230"); // filler 9, "40"
    QString changed = line;
    changed[1] = u'0';
    for (int i = 2; i < 20; ++i)
        changed[i] = QChar(u"0123456789ABCDEF"[i % 16]);
    EXPECT_EQ(decpw(changed), QStringLiteral("40"));
}

TEST_F(Scramble, LoneLastDigitGivesOneMoreCharacter)
{
    // Filler 0: the value's first pair uses entry 1 (11), the second entry 2 (17).
    EXPECT_EQ(decpw(QStringLiteral("3A282")), QStringLiteral("3") + QChar(char16_t(2 + 17)));
    EXPECT_EQ(decpw(QStringLiteral("3A2")), QString(QChar(char16_t(2 + 11))));
}

TEST_F(Scramble, MarkerTenReadsWithFillerTen)
{
    // Entry 10 of the markers: the value starts at position 23 and uses
    // entries 21 (11), 22 (6), 23 (13), ...
    const QString filler(20, u'0');
    EXPECT_EQ(decpw(QStringLiteral("BX") + filler + QStringLiteral("28302B")),
              QStringLiteral("3") + QChar(char16_t(0x30 + 6)) + QChar(char16_t(0x2B + 13)));
    EXPECT_EQ(decpw(QStringLiteral("B0") + filler), QString());
}

TEST_F(Scramble, LowerCaseLinesReadLikeUpperCase)
{
    EXPECT_EQ(decpw(QStringLiteral("f2586761644d615d63215e193225")), QStringLiteral("1e+20"));
    EXPECT_EQ(decpw(QStringLiteral("c56562635f596f575c")), QStringLiteral("rep"));
}

TEST_F(Scramble, PairsThatAreNotHexReadAsTheirLeadingHexDigit)
{
    // Filler 0, entries 1, 2, 3 are 11, 17, 2.
    const QString read = decpw(QStringLiteral("3AZZ1G G"));
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read[0].unicode(), 0 + 11);
    EXPECT_EQ(read[1].unicode(), 1 + 17);
    EXPECT_EQ(read[2].unicode(), 0 + 2);
    // The same line reads the same every time.
    EXPECT_EQ(decpw(QStringLiteral("3AZZ1G G")), read);
}

TEST_F(Scramble, HugeLinesReadOnlyAsFarAsTheTableReaches)
{
    for (int a = 0; a <= 10; ++a) {
        const QString line = QString(markers[a]) + QString(100000, u'F');
        const QString read = decpw(line);
        EXPECT_EQ(read.size(), 300 - 2 * a) << "filler " << a;
        for (QChar c : read)
            EXPECT_LE(c.unicode(), 255 + 20);
    }
}

} // namespace
