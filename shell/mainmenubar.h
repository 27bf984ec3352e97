#pragma once
// The program's one menu bar: File > Quit and an Edit menu of standard items.
#include <QMenuBar>

class QAction;
class QMenu;

class MainMenuBar : public QMenuBar {
    Q_OBJECT
public:
    MainMenuBar();

    // The shared instance, created on the first call.
    static MainMenuBar* instance();

    // Builds the File menu.
    void Untitled0();
    // Builds the Edit menu.
    void Untitled1();

    // The menu or item of that name among the bar's menus and their items.
    QMenu* childMenu(const QString& name) const;
    QAction* childItem(const QString& name) const;
};
