// Scoring as the main window does it: the result labels, the saved data file
// and the totals labels, and a save that fails at the end of a test.
#include "platform/textfile.h"
#include "scoring/datafile.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include "support/doubles/failing_rewrite.h"
#include <QFile>

using namespace Module1;

namespace {

class ShowResultsTest : public AppTest {
protected:
    static QByteArray dataFileBytes()
    {
        QFile f(platform::dataFilePath(scoring::datafilename));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(ShowResultsTest, EachResultGoesToItsLabelAndTheTotalsFollowTheSave)
{
    Window1& w = openWindow();
    // One perfect, one 3 ticks late, one 10 ticks early, one missed:
    // early 10, late 3 + 60, average offset 73 / 3, accuracy 59.44.
    const std::pair<const char*, const char*> rows[] = {{"0", "0"}, {"60", "63"}, {"120", "110"}, {"180", ""}};
    for (auto [onset, hit] : rows) {
        w.notelist->AddRow(QString::fromLatin1(onset));
        w.notelist->setCell(w.notelist->LastIndex(), 1, QString::fromLatin1(hit));
    }
    w.resultbox->setVisible(false);
    ASSERT_TRUE(dataFileBytes().isEmpty());

    w.showresults();

    EXPECT_FALSE(w.resultbox->isHidden());
    EXPECT_EQ(w.perfect->text(), QStringLiteral("Perfect hits = 1"));
    EXPECT_EQ(w.close_->text(), QStringLiteral("Near perfect hits 1"));
    EXPECT_EQ(w.whoops->text(), QStringLiteral("whoops a daisy 2"));
    EXPECT_EQ(w.summary->text(), QStringLiteral("You played 3 notes but missed out 1 and were 59.44% accurate"));
    EXPECT_EQ(w.summary2->text(), QStringLiteral("You are generally well behind the beat "));

    EXPECT_EQ(w.ttestslabel->text(), QStringLiteral("Number of tests 1"));
    EXPECT_EQ(w.tnoteslabel->text(), QStringLiteral("Notes played 4"));
    EXPECT_EQ(w.tacclabel->text(), QStringLiteral("Accuracy 59.44%"));
    EXPECT_EQ(w.thitslabel->text(), QStringLiteral("Perfect hits 25%"));
    EXPECT_EQ(w.tnearlabel->text(), QStringLiteral("Pretty close hits 25%"));
    EXPECT_EQ(w.tmisslabel->text(), QStringLiteral("Way off hits 50%"));

    // The data file holds the new statistics.
    ASSERT_FALSE(dataFileBytes().isEmpty());
    Module1::initialise();
    w.loaddata();
    EXPECT_EQ(totaltests, 1);
    EXPECT_EQ(totalnotes, 4);
}

// A data file that cannot be written at the end of a test: the clock reports
// "Timer1", the old file stays whole, and the window is ready for the next
// test all the same.
TEST_F(ShowResultsTest, AFailedSaveAtTheEndOfATestKeepsTheOldFileAndRestoresTheButtons)
{
    Window1& w = openWindow();
    w.listenplay = false;
    w.savedata(); // the file of the tests before
    const QByteArray old = dataFileBytes();
    ASSERT_FALSE(old.isEmpty());

    platform::testing::failNextRewrite();
    const int64_t T = startTest();
    for (int64_t t = T; t <= T + 2000 && w.Timer1->Enabled(); ++t) {
        clock.now = t;
        w.Timer1_Action();
    }

    EXPECT_EQ(box.shown, QStringList{"Timer1"});
    EXPECT_EQ(dataFileBytes(), old);
    EXPECT_FALSE(w.Timer1->Enabled());
    EXPECT_EQ(w.BevelButton1->Icon(), res::go());
    EXPECT_TRUE(idleControls(w));
    EXPECT_FALSE(w.resultbox->isHidden()) << "the results were shown before the save";
}
