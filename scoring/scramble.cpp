#include "scoring/scramble.h"

#include "platform/numbers.h"
#include "platform/random.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace scoring {

namespace {

// These tables are the file format: a data file written with other values
// reads as nonsense. Never change them.
constexpr std::array<char16_t, 11> markerchars = {u'3', u'A', u'7', u'E', u'1', u'C',
                                                   u'5', u'9', u'F', u'2', u'B'};

constexpr int lastEntry = 300;

// Entries 0 to 34 one by one; entry 26 was never given a value and counts
// as 0; every entry from 35 on is 7.
constexpr std::array<int, 35> firstEntries = {4,  11, 17, 2, 9,  15, 6, 13, 1,  19, 8, 3,
                                              14, 20, 5,  12, 10, 16, 7, 18, 0,  11, 6, 13,
                                              2,  17, 0,  9,  4,  15, 12, 1, 19, 8,  14};
constexpr int laterEntry = 7;

int offsettable(int i)
{
    return i < static_cast<int>(firstEntries.size()) ? firstEntries[static_cast<std::size_t>(i)] : laterEntry;
}

const QString keyword = QStringLiteral("kodrafimus");

// Stands in for a character that cannot be stored; storable at every entry.
constexpr int replacementCode = u'?';

constexpr char16_t hexDigits[] = u"0123456789ABCDEF";

} // namespace

QString encpw(const QString& value)
{
    const int a = static_cast<int>(std::clamp<int64_t>(platform::newRandom()->InRange(0, 9), 0, 9));

    QString line;
    line += QChar(markerchars[static_cast<std::size_t>(a)]);
    line += QChar(markerchars[static_cast<std::size_t>(a + 1)]);

    const QString d = keyword.left(a) + value;
    // Character j (from 1) uses entry a + j, and the table ends at 300.
    const int count = std::min<qsizetype>(d.size(), lastEntry - a);
    for (int j = 1; j <= count; ++j) {
        int c = d[j - 1].unicode();
        if (c == '\t')
            c = ' ';
        int diff = c - offsettable(a + j);
        if (diff < 0 || diff > 255)
            diff = replacementCode - offsettable(a + j);
        line += QChar(hexDigits[diff / 16]); // a one-digit difference gets the pad "0"
        line += QChar(hexDigits[diff % 16]);
    }
    return line;
}

QString decpw(const QString& line)
{
    if (line.isEmpty())
        return QString();
    // Hex digits read in either case, so the markers do too.
    const char16_t first = line[0].toUpper().unicode();
    const auto found = std::find(markerchars.begin(), markerchars.end(), first);
    if (found == markerchars.end())
        return QString();
    const int a = static_cast<int>(found - markerchars.begin());

    QString result;
    const qsizetype m = line.size();
    // Positions from 1: the value starts after the marker pair and 2a filler
    // digits; pair i uses entry 2a + 1 + i.
    for (qsizetype p = 2 * a + 3, i = 0; p <= m && 2 * a + 1 + i <= lastEntry; p += 2, ++i) {
        const QString pair = line.mid(p - 1, 2);
        const int v = platform::TruncToInt32(platform::Val(QStringLiteral("&h") + pair));
        const int code = v + offsettable(static_cast<int>(2 * a + 1 + i));
        result += QChar(static_cast<char16_t>(code));
    }
    return result;
}

} // namespace scoring
