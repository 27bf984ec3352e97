// Scoring, the data file and the totals labels, as the main window calls them.
#include "engine/window1.h"
#include "scoring/datafile.h"
#include "scoring/resultswin.h"
#include "scoring/score.h"
#include "scoring/scramble.h"

void Window1::showresults()
{
    resultbox->setVisible(true);
    std::vector<scoring::NoteCells> rows;
    rows.reserve(static_cast<size_t>(notelist->ListCount()));
    for (int64_t r = 0; r < notelist->ListCount(); ++r)
        rows.push_back({notelist->Cell(r, 0), notelist->Cell(r, 1)});
    scoring::Tally tally = scoring::tallytable(rows);
    scoring::ResultTexts texts = scoring::resulttexts(tally);
    perfect->setText(texts.perfect);
    close_->setText(texts.close);
    whoops->setText(texts.whoops);
    summary->setText(texts.summary);
    summary2->setText(texts.summary2);
    // A results window left open shows the graph of the test just ended,
    // whether or not the save below succeeds.
    resultswin::refreshGraph();
    // An empty table moves no statistic and leaves the data file as it was.
    if (scoring::updatestatistics(tally))
        savedata();
}

void Window1::loaddata() { scoring::loaddata(listenplay); }

void Window1::savedata()
{
    scoring::savedata(listenplay);
    showtotals();
}

QString Window1::encpw(const QString& value) { return scoring::encpw(value); }

QString Window1::decpw(const QString& line) { return scoring::decpw(line); }

void Window1::showtotals()
{
    scoring::TotalsTexts t = scoring::totalslabels();
    ttestslabel->setText(t.ttestslabel);
    tnoteslabel->setText(t.tnoteslabel);
    tacclabel->setText(t.tacclabel);
    thitslabel->setText(t.thitslabel);
    tnearlabel->setText(t.tnearlabel);
    tmisslabel->setText(t.tmisslabel);
}
