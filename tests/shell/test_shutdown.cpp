// Shutting down deletes every window before the application object, also
// when a window's menus are top-level widgets of their own.
#include "shell/mainmenubar.h"
#include "shell/startup.h"
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <gtest/gtest.h>

TEST(Shutdown, DeletesEveryWindowOnceWithItsMenus)
{
    QPointer<QMainWindow> main = new QMainWindow();
    main->setMenuBar(new MainMenuBar());
    for (QMenu* menu : main->menuBar()->findChildren<QMenu*>())
        menu->winId(); // make the menus native top-level widgets, as showing them does
    QPointer<QWidget> other = new QWidget();
    deleteTopLevelWindows();
    EXPECT_TRUE(main.isNull());
    EXPECT_TRUE(other.isNull());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}
