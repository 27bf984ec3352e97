// Corrected hit times, the repeat list rebuilt from the note table, and the
// click on the note table's hit-time column.
#include "platform/numbers.h"
#include "shell/module1.h"
#include "support/app/app_fixture.h"
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <map>

using namespace Module1;
using platform::Val;

namespace {

struct Row {
    QString onset;
    QString hit = QString();
    QString group = QString(); // column 4
};

class NoteTableTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        openWindow();
        lasttesttickspeed = 60;
        window->beatsinbar = 4;
    }

    void fill(const std::vector<Row>& rows)
    {
        platform::Listbox& list = *window->notelist;
        list.DeleteAllRows();
        for (const Row& r : rows) {
            list.AddRow(r.onset);
            const int64_t i = list.LastIndex();
            list.setCell(i, 1, r.hit);
            list.setCell(i, 4, r.group);
        }
    }

    QStringList repeatEntries() const
    {
        QStringList entries;
        for (int64_t i = 0; i < window->retestlist->ListCount(); ++i)
            entries << window->retestlist->Cell(i, 0);
        return entries;
    }

    QStringList column(int c) const
    {
        QStringList cells;
        for (int64_t i = 0; i < window->notelist->ListCount(); ++i)
            cells << window->notelist->Cell(i, c);
        return cells;
    }
};

// ---- correctnotelist --------------------------------------------------------

TEST_F(NoteTableTest, CorrectedHitTimes)
{
    struct Case {
        const char* onset;
        const char* hit;
        double corrected;
        const char* why;
    };
    // 4 beats at 60: the two-bar span is 480.
    const std::vector<Case> cases = {
        {"480", "478", -2, "early on a two-bar boundary: back one span"},
        {"480", "481", 481, "late on the boundary"},
        {"480", "480", 480, "exact on the boundary"},
        {"480", "", -480, "unplayed on the boundary"},
        {"300", "298", 298, "early off the boundary"},
        {"300", "", 0, "unplayed off the boundary"},
        {"300", "12.9", 12, "a fraction is truncated"},
        {"300", "-12.9", -12, "toward zero"},
        {"960", "950", 470, "back one span, not by the onset's multiple"},
        {"960", "961", 961, "late on a later boundary"},
        {"240", "230", 230, "a one-bar boundary is not a two-bar one"},
        {"480", "abc", -480, "text that is no number reads as 0"},
        {"300", "abc", 0, "text that is no number reads as 0"},
        {"1440", "1439", 959, "the third boundary"},
    };
    std::vector<Row> rows = {{"0", "", "0"}};
    for (const Case& c : cases)
        rows.push_back({QString::fromLatin1(c.onset), QString::fromLatin1(c.hit)});
    fill(rows);

    window->correctnotelist();

    EXPECT_EQ(window->notelist->Cell(0, 2), QString()) << "row 0 without a hit keeps an empty column 2";
    for (size_t i = 0; i < cases.size(); ++i) {
        const QString cell = window->notelist->Cell(int64_t(i + 1), 2);
        EXPECT_FALSE(cell.isEmpty()) << cases[i].why;
        EXPECT_EQ(Val(cell), cases[i].corrected)
            << "onset " << cases[i].onset << ", hit \"" << cases[i].hit << "\": " << cases[i].why << " (got \""
            << cell.toStdString() << "\")";
    }
    // Whole values keep the plain integer text.
    EXPECT_EQ(window->notelist->Cell(5, 2), QStringLiteral("298"));
    EXPECT_EQ(window->notelist->Cell(6, 2), QStringLiteral("0"));
    EXPECT_EQ(window->notelist->Cell(7, 2), QStringLiteral("12"));

    // Columns 0, 1, 3 and 4 are left alone, and a second run changes nothing.
    const QStringList onsets = column(0), hits = column(1), corrected = column(2);
    window->correctnotelist();
    EXPECT_EQ(column(0), onsets);
    EXPECT_EQ(column(1), hits);
    EXPECT_EQ(column(2), corrected);
    EXPECT_EQ(column(4)[0], QStringLiteral("0"));
}

TEST_F(NoteTableTest, RowZeroIsCopiedNeverShifted)
{
    for (const char* hit : {"", "5", "-3", "-40", "12.9"}) {
        fill({{"0", QString::fromLatin1(hit), "0"}, {"60", "61"}});
        window->correctnotelist();
        EXPECT_EQ(window->notelist->Cell(0, 2), QString::fromLatin1(hit)) << "row 0 hit \"" << hit << "\"";
        EXPECT_EQ(window->notelist->Cell(1, 2), QStringLiteral("61"));
    }
}

TEST_F(NoteTableTest, TwoBarSpanFollowsTempoAndBeats)
{
    struct Case {
        int64_t tempo;
        int64_t beats;
        const char* onset;
        const char* hit;
        double corrected;
    };
    const std::vector<Case> cases = {
        {45, 3, "270", "260", -10},  // span 45 * 3 * 2 = 270
        {45, 3, "480", "470", 470},  // 480 is no boundary at that span
        {60, 2, "240", "235", -5},   // span 240
        {80, 5, "800", "790", -10},  // span 800
        {20, 4, "160", "150", -10},  // span 160
        {20, 4, "480", "470", 310},  // the third boundary, back one span
    };
    for (const Case& c : cases) {
        lasttesttickspeed = c.tempo;
        window->beatsinbar = c.beats;
        fill({{"0", "0", "0"}, {QString::fromLatin1(c.onset), QString::fromLatin1(c.hit)}});
        window->correctnotelist();
        EXPECT_EQ(Val(window->notelist->Cell(1, 2)), c.corrected)
            << "tempo " << c.tempo << ", " << c.beats << " beats, onset " << c.onset << ", hit " << c.hit;
    }
}

// ---- setrepeat --------------------------------------------------------------

TEST_F(NoteTableTest, RepeatListOneEntryPerBeat)
{
    struct Case {
        const char* what;
        std::vector<Row> rows;
        QStringList entries;
    };
    const std::vector<Case> cases = {
        {"a quaver pair on beat 2",
         {{"0", "", "0"}, {"60", "", "2"}, {"90"}, {"120", "", "0"}, {"180", "", "0"}},
         {"0", "2", "0", "0"}},
        {"the scan runs out of rows on the fifth beat",
         {{"0", "", "0"}, {"60", "", "0"}, {"120", "", "0"}, {"180", "", "2"}, {"210"}},
         {"0", "0", "0", "2"}},
        {"a rest beat", {{"0", "", "0"}, {"60", "", "0"}, {"180", "", "0"}}, {"0", "0", "1", "0"}},
        {"a group whose first note lies after the beat",
         {{"0", "", "0"}, {"90", "", "3"}, {"120", "", "0"}, {"180", "", "0"}},
         {"0", "3", "0", "0"}},
        {"group 23 on beat 3",
         {{"0", "", "0"}, {"60", "", "0"}, {"135", "", "23"}, {"150"}, {"165"}, {"180", "", "0"}},
         {"0", "0", "23", "0"}},
        {"a first note on the last tick of its beat",
         {{"0", "", "0"}, {"119", "", "3"}, {"120", "", "0"}},
         {"0", "3", "0"}},
        {"a row on the next beat's start belongs to that beat",
         {{"0", "", "0"}, {"120", "", "21"}, {"180", "", "0"}},
         {"0", "1", "21", "0"}},
        {"the last beat's group starts after its beat",
         {{"0", "", "0"}, {"60", "", "0"}, {"135", "", "24"}, {"165"}},
         {"0", "0", "24"}},
        {"a crotchet drawn as 9", {{"0", "", "0"}, {"60", "", "9"}}, {"0", "9"}},
        {"one row", {{"0", "", "0"}}, {"0"}},
        {"two rest beats in a row", {{"0", "", "0"}, {"180", "", "4"}, {"195"}, {"210"}, {"225"}, {"240", "", "18"}},
         {"0", "1", "1", "4", "18"}},
        {"hits do not matter", {{"0", "3", "0"}, {"60", "70", "20"}, {"90", "95"}}, {"0", "20"}},
    };
    for (const Case& c : cases) {
        fill(c.rows);
        window->setrepeat();
        EXPECT_EQ(repeatEntries(), c.entries) << c.what;
    }
}

TEST_F(NoteTableTest, RepeatListAtAnotherTempo)
{
    // 45 ticks a beat: beats start at 0, 45, 90, 135.
    lasttesttickspeed = 45;
    window->beatsinbar = 3;
    fill({{"0", "", "0"}, {"45", "", "2"}, {"67"}, {"112", "", "21"}, {"135", "", "0"}});
    window->setrepeat();
    EXPECT_EQ(repeatEntries(), (QStringList{"0", "2", "21", "0"}));
}

// A whole held test of 4 bars of 4 beats, made from the groups' own offsets:
// 15 generated beats, the first and the last the crotchet.
TEST_F(NoteTableTest, RepeatListOfAWholeTest)
{
    const std::map<int64_t, std::vector<int64_t>> offsets = {
        {0, {0}},          {1, {}},           {2, {0, 30}},        {3, {30}},       {4, {0, 15, 30, 45}},
        {8, {}},           {10, {0, 20, 40}}, {13, {20, 40}},      {19, {}},        {21, {30}},
        {23, {15, 30, 45}}, {24, {15, 45}},   {26, {0, 7, 15, 22, 30, 45}},        {30, {0, 12, 24, 48}},
    };
    const std::vector<int64_t> beats = {0, 4, 1, 3, 10, 8, 13, 26, 21, 19, 23, 24, 30, 2, 0};
    // Every beat gives back its own group; the rests give "1".
    const QStringList expected = {"0", "4", "1", "3", "10", "1", "13", "26", "21", "1", "23", "24", "30", "2", "0"};
    std::vector<Row> rows;
    for (size_t b = 0; b < beats.size(); ++b) {
        bool first = true;
        for (int64_t o : offsets.at(beats[b])) {
            rows.push_back({platform::Str(int64_t(b) * 60 + o), QString(),
                            first ? platform::Str(beats[b]) : QString()});
            first = false;
        }
    }
    fill(rows);
    window->setrepeat();
    EXPECT_EQ(repeatEntries(), expected);
    EXPECT_EQ(repeatEntries().size(), 15);
}

TEST_F(NoteTableTest, RepeatListReplacesTheOldEntriesAndLeavesRetest)
{
    window->retestlist->AddRow(QStringLiteral("7"));
    window->retestlist->AddRow(QStringLiteral("7"));
    window->retestlist->AddRow(QStringLiteral("7"));
    retest = true;
    fill({{"0", "", "0"}, {"60", "", "5"}});
    window->setrepeat();
    EXPECT_EQ(repeatEntries(), (QStringList{"0", "5"}));
    EXPECT_TRUE(retest) << "the caller sets retest; a rebuild leaves it";
    EXPECT_EQ(window->notelist->ListCount(), 2) << "the note table is not touched";
}

TEST_F(NoteTableTest, EmptyNoteTableClearsRetestAndKeepsTheList)
{
    window->retestlist->AddRow(QStringLiteral("0"));
    window->retestlist->AddRow(QStringLiteral("5"));
    retest = true;
    fill({});
    window->setrepeat();
    EXPECT_FALSE(retest);
    EXPECT_EQ(repeatEntries(), (QStringList{"0", "5"}));
}

// ---- notelist_CellClick -----------------------------------------------------

TEST_F(NoteTableTest, ClickOnTheHitColumnEditsAndCorrects)
{
    fill({{"0", "5", "0"}, {"480", "478"}});
    EXPECT_TRUE(window->notelist_CellClick(1, 1, 3, 4));
    EXPECT_TRUE(window->notelist->ColumnEditable(1)) << "column 1 left editable";
    EXPECT_EQ(window->notelist->Cell(0, 2), QStringLiteral("5"));
    EXPECT_EQ(Val(window->notelist->Cell(1, 2)), -2.0) << "the table is corrected";
    EXPECT_EQ(window->notelist->Cell(1, 1), QStringLiteral("478")) << "opening the editor changes no text";
}

TEST_F(NoteTableTest, ClickOnAnyOtherColumnDoesNothing)
{
    for (int64_t column : {0, 2, 3, 4}) {
        fill({{"0", "5", "0"}, {"480", "478"}});
        EXPECT_FALSE(window->notelist_CellClick(1, column, 3, 4)) << "column " << column;
        EXPECT_FALSE(window->notelist->ColumnEditable(1)) << "column " << column;
        EXPECT_TRUE(window->notelist->Cell(0, 2).isEmpty()) << "no correction, column " << column;
        EXPECT_TRUE(window->notelist->Cell(1, 2).isEmpty()) << "no correction, column " << column;
    }
}

// The click reaches the handler through the list control itself.
TEST_F(NoteTableTest, MouseClickOnTheTableRunsTheHandler)
{
    fill({{"0", "5", "0"}, {"480", "478"}});
    window->show();
    platform::Listbox& list = *window->notelist;
    const QPoint onHit = list.visualRect(list.model()->index(1, 1)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, onHit);
    EXPECT_TRUE(list.ColumnEditable(1));
    EXPECT_EQ(Val(list.Cell(1, 2)), -2.0);
    EXPECT_TRUE(box.shown.isEmpty()) << box.shown.join(QStringLiteral(" | ")).toStdString();
}

// A click on a hit time opens the editor on that very cell, and what the user
// types there is stored in the note table.
TEST_F(NoteTableTest, ClickedHitTimeIsEditedInPlaceAndStored)
{
    fill({{"0", "5", "0"}, {"480", "478"}, {"540", "541"}});
    window->show();
    platform::Listbox& list = *window->notelist;
    const QModelIndex cell = list.model()->index(1, 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, list.visualRect(cell).center());
    QPointer<QLineEdit> editor = list.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr) << "an editor is open";
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->geometry().contains(list.visualRect(cell).center())) << "on the clicked cell";
    EXPECT_EQ(editor->text(), QStringLiteral("478"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("470"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits the edit as a queued call
    EXPECT_EQ(list.Cell(1, 1), QStringLiteral("470"));
    EXPECT_EQ(list.Cell(2, 1), QStringLiteral("541")) << "no other cell changes";
    EXPECT_TRUE(editor.isNull() || !editor->isVisible()) << "the editor is closed";
}

} // namespace

namespace {

// A tempo of 0 (only a damaged setting) has no beat to search: the rebuild
// keeps the first entry and ends instead of running for ever.
TEST_F(NoteTableTest, RepeatListWithoutABeatLengthEnds)
{
    lasttesttickspeed = 0;
    fill({{"0", "", "0"}, {"0", "", "2"}, {"0"}});
    window->setrepeat();
    EXPECT_EQ(repeatEntries(), (QStringList{"0"}));
}

} // namespace
