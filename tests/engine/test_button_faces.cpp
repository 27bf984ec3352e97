// The button faces where the windows show them: the main window's row of
// buttons lines up, the new-test button leaves the held start face whole, and
// the replay button keeps clear of the results window's top edge.
#include "scoring/resultswin.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include <QImage>
#include <optional>
#include <utility>

namespace {

bool isWhite(QRgb c) { return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255; }

// The first and last rows of the face shown in one column of a control,
// in the coordinates of the picture `shot` of `top`.
std::optional<std::pair<int, int>> faceRows(const QImage& shot, QWidget* top, QWidget* control, int x)
{
    const QRect r(control->mapTo(top, QPoint(0, 0)), control->size());
    std::optional<std::pair<int, int>> rows;
    for (int y = r.top(); y <= r.bottom(); ++y)
        if (!isWhite(shot.pixel(r.left() + x, y))) {
            if (!rows)
                rows = {y, y};
            rows->second = y;
        }
    return rows;
}

class ButtonFacesOnScreenTest : public AppTest {};

TEST_F(ButtonFacesOnScreenTest, TheMainRowOfFacesLinesUp)
{
    Window1& w = openWindow();
    QWidget* area = w.centralWidget();
    for (res::PictureRef start : {res::go(), res::stop(), res::repeat()}) {
        w.BevelButton1->setIcon(start);
        const QImage shot = area->grab().toImage();
        // A column through the left quarter of each face misses the captions.
        const auto reference = faceRows(shot, area, w.BevelButton1, w.BevelButton1->width() / 8);
        ASSERT_TRUE(reference) << "the start button shows no face";
        for (platform::BevelButton* button : {w.BevelButton2, w.BevelButton3, w.BevelButton4}) {
            const auto rows = faceRows(shot, area, button, button->width() / 8);
            ASSERT_TRUE(rows);
            EXPECT_EQ(*rows, *reference) << "rows " << rows->first << "-" << rows->second << " against the start face's "
                                         << reference->first << "-" << reference->second;
        }
    }
}

TEST_F(ButtonFacesOnScreenTest, TheNewTestButtonLeavesTheHeldStartFaceWhole)
{
    Window1& w = openWindow();
    QWidget* area = w.centralWidget();
    w.BevelButton1->setIcon(res::repeat());
    w.BevelButton5->setVisible(false);
    const QImage alone = area->grab().toImage();
    w.BevelButton5->setVisible(true);
    const QImage held = area->grab().toImage();

    // Columns where the two buttons overlap, across the new-test face.
    const int newTestLeft = w.BevelButton5->x() - w.BevelButton1->x();
    for (int x : {newTestLeft + 10, newTestLeft + w.BevelButton5->width() / 2, newTestLeft + w.BevelButton5->width() - 10}) {
        const auto whole = faceRows(alone, area, w.BevelButton1, x);
        const auto shown = faceRows(held, area, w.BevelButton1, x);
        ASSERT_TRUE(whole && shown);
        // The start face ends above the new-test button, as it does alone.
        int bottom = -1;
        for (int y = shown->first; y < w.BevelButton5->y(); ++y)
            if (!isWhite(held.pixel(w.BevelButton1->x() + x, y)))
                bottom = y;
        EXPECT_EQ(bottom, whole->second) << "the new-test button covers the start face's lowest rows";
        const auto newTest = faceRows(held, area, w.BevelButton5, x - newTestLeft);
        ASSERT_TRUE(newTest);
        EXPECT_GE(newTest->first - whole->second - 1, 2) << "no gap between the two faces at x " << x;
    }
}

TEST_F(ButtonFacesOnScreenTest, TheReplayFaceKeepsClearOfTheResultsWindowsTopEdge)
{
    openWindow();
    resultswin* r = resultswin::instance();
    for (res::PictureRef face : {res::play(), res::smallstop()}) {
        r->BevelButton1->setIcon(face);
        const QImage shot = r->grab().toImage();
        for (int x = 0; x < r->BevelButton1->width(); x += 4) {
            const auto rows = faceRows(shot, r, r->BevelButton1, x);
            if (rows) {
                EXPECT_GE(rows->first, 3) << "at x " << x;
            }
        }
        EXPECT_TRUE(faceRows(shot, r, r->BevelButton1, r->BevelButton1->width() / 2)) << "no face";
    }
}

} // namespace
