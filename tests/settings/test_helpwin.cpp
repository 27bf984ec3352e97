// The help window: one shared window with the read-only help text.
#include "settings/helpwin.h"
#include "settings/helptext.h"
#include <QCoreApplication>
#include <QTextEdit>
#include <gtest/gtest.h>

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
