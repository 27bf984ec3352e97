// The help window: one shared window with the read-only help text.
#include "support/paint_recorder.h"
#include "settings/helpwin.h"
#include "settings/helptext.h"
#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

// Closes the shared window and lets it go, so the next test starts afresh.
void closeHelp()
{
    if (helpwin* open = helpwin::existing())
        open->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Pixels of the selection's highlight (the style's blue) in an image.
int highlightPixels(const QImage& image, QColor highlight)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == highlight;
    return n;
}


} // namespace

TEST(HelpWindow, OneSharedWindowWithTheReadOnlyText)
{
    helpwin* first = helpwin::instance();
    first->Show();
    EXPECT_EQ(helpwin::instance(), first) << "pressing help again shows the same window";
    EXPECT_EQ(first->windowTitle(), "Help");
    EXPECT_EQ(first->size(), QSize(658, 406));
    EXPECT_TRUE(first->TextArea1->isReadOnly());

    const QStringList lines = helpText().split('\n');
    ASSERT_EQ(lines.size(), 36);
    EXPECT_EQ(lines[0], "HOW TO PLAY");
    EXPECT_EQ(lines[12], "There are two modes you can use:");
    EXPECT_EQ(lines[14], "1. LISTEN AND PLAY. ");
    EXPECT_EQ(lines[22], "2. CONTINUOUS PLAY");
    EXPECT_EQ(lines[34], "WHAT YOUR ACCURACY SCORE MEANS");
    for (int blank : {2, 7, 10, 12, 14, 22, 29, 31, 34})
        EXPECT_TRUE(lines[blank - 1].isEmpty()) << "line " << blank;
    EXPECT_EQ(first->TextArea1->toPlainText(), helpText());

    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(helpwin::existing(), nullptr) << "a closed window is gone";
}

TEST(HelpWindow, HelpWhileMinimisedShowsItAgainInFront)
{
    helpwin* help = helpwin::instance();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    QWidget other; // the main window, say, in front meanwhile
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    help->showMinimized();
    ASSERT_TRUE(help->windowState() & Qt::WindowMinimized);

    helpwin::instance()->Show();
    EXPECT_FALSE(help->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(help)) << "shown in front, not behind the main window";
    closeHelp();
}

TEST(HelpWindow, NoMinimumSizeAndTheMarginsFollowTheWindow)
{
    helpwin* help = helpwin::instance();
    EXPECT_EQ(help->minimumSize(), QSize(0, 0));
    EXPECT_EQ(help->maximumSize(), QSize(32000, 32000));
    struct Case {
        QSize window;
        QRect area; // margins 20 left and right, 10 top, 30 bottom
    };
    for (const Case& c : {Case{{658, 406}, {20, 10, 618, 366}}, Case{{900, 300}, {20, 10, 860, 260}},
                          Case{{60, 50}, {20, 10, 20, 10}}, Case{{30, 20}, {20, 10, 0, 0}}}) {
        help->resize(c.window);
        QCoreApplication::processEvents();
        EXPECT_EQ(help->size(), c.window) << "nothing holds the window larger";
        EXPECT_EQ(help->TextArea1->geometry(), c.area) << c.window.width() << " x " << c.window.height();
    }
    closeHelp();
    EXPECT_EQ(helpwin::instance()->size(), QSize(658, 406)) << "a new window has the first size again";
    closeHelp();
}

TEST(HelpWindow, SelectionAndFocusRingShowOnlyWithTheFocus)
{
    helpwin* help = helpwin::instance();
    help->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    QTextEdit* area = help->TextArea1;
    QTextCursor all(area->document());
    all.select(QTextCursor::Document);
    area->setTextCursor(all);
    const QColor highlight = area->palette().color(QPalette::Active, QPalette::Highlight);
    const QPoint leftOfArea = area->geometry().topLeft() + QPoint(-1, 50);
    const QColor white(255, 255, 255);

    area->clearFocus(); // the window gave it the focus when it became active
    QCoreApplication::processEvents();
    PaintRecorder ring(help);
    area->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(area->hasFocus());
    EXPECT_TRUE(ring.painted.contains(leftOfArea)) << "taking the focus repaints the ring";
    EXPECT_GT(highlightPixels(area->viewport()->grab().toImage(), highlight), 1000) << "selection shown";
    EXPECT_EQ(help->grab().toImage().pixelColor(leftOfArea), highlight) << "focus ring";

    ring.painted = QRegion();
    area->clearFocus();
    QCoreApplication::processEvents();
    ASSERT_FALSE(area->hasFocus());
    EXPECT_TRUE(ring.painted.contains(leftOfArea)) << "losing the focus repaints the ring away";
    EXPECT_EQ(highlightPixels(area->viewport()->grab().toImage(), highlight), 0) << "selection hidden";
    EXPECT_EQ(help->grab().toImage().pixelColor(leftOfArea), white) << "no ring";
    EXPECT_TRUE(area->textCursor().hasSelection()) << "hidden, not dropped";
    closeHelp();
}

// The text area has no border: its outermost pixels show the white of its
// background, left of the scroll bar.
TEST(HelpWindow, TextAreaHasNoBorder)
{
    helpwin* help = helpwin::instance();
    help->TextArea1->clearFocus();
    QCoreApplication::processEvents();
    const QImage image = help->TextArea1->grab().toImage();
    const QColor white(255, 255, 255);
    const int right = image.width() - 1 - help->TextArea1->verticalScrollBar()->width();
    for (int y = 0; y < image.height(); y += 5)
        ASSERT_EQ(image.pixelColor(0, y), white) << "left edge at " << y;
    for (int x = 0; x < right; x += 5) {
        ASSERT_EQ(image.pixelColor(x, 0), white) << "top edge at " << x;
        ASSERT_EQ(image.pixelColor(x, image.height() - 1), white) << "bottom edge at " << x;
    }
    closeHelp();
}
