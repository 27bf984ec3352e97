#include "shell/mainmenubar.h"
#include "platform/services.h"
#include <QAction>
#include <QMenu>
#include <QPointer>

namespace {

struct ItemSpec {
    const char* name;
    const char* text;
    const char* shortcut; // nullptr: no shortcut set at all (separators)
};

// Sets what every item of the bar gets; a "-" text makes a separator, which
// keeps no text (the style would draw the "-" beside the line).
void setUp(QAction* item, const ItemSpec& spec)
{
    item->setObjectName(QString::fromLatin1(spec.name));
    item->setVisible(true);
    item->setEnabled(true); // AutoEnable: the toolkit keeps standard items enabled
    if (QString::fromLatin1(spec.text) == QLatin1String("-")) {
        item->setSeparator(true);
        return;
    }
    item->setText(QString::fromLatin1(spec.text));
    if (spec.shortcut)
        item->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut)));
}

} // namespace

MainMenuBar::MainMenuBar()
{
    Untitled0();
    Untitled1();
}

MainMenuBar* MainMenuBar::instance()
{
    // The window that shows the bar owns it; should that window go (tests
    // make several), the next reference builds a new one.
    static QPointer<MainMenuBar> shared;
    if (!shared)
        shared = new MainMenuBar();
    return shared;
}

QMenu* MainMenuBar::childMenu(const QString& name) const
{
    return findChild<QMenu*>(name, Qt::FindDirectChildrenOnly);
}

QAction* MainMenuBar::childItem(const QString& name) const
{
    for (QMenu* menu : findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (menu->objectName() == name)
            return menu->menuAction();
        for (QAction* item : menu->actions())
            if (item->objectName() == name)
                return item;
    }
    return nullptr;
}

void MainMenuBar::Untitled0()
{
    auto* fileMenu = new QMenu(this);
    fileMenu->setObjectName(QStringLiteral("FileMenu"));
    fileMenu->setTitle(QStringLiteral("&File"));
    addMenu(fileMenu);

    auto* quit = new QAction(childMenu(QStringLiteral("FileMenu")));
    setUp(quit, {"FileQuit", "&Quit", "Ctrl+Q"});
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, quit, [] { platform::guarded([] { platform::Quit(0); }); });
    childMenu(QStringLiteral("FileMenu"))->addAction(quit);
}

void MainMenuBar::Untitled1()
{
    auto* editMenu = new QMenu(this);
    editMenu->setObjectName(QStringLiteral("EditMenu"));
    editMenu->setTitle(QStringLiteral("&Edit"));
    addMenu(editMenu);

    static const ItemSpec items[] = {
        {"EditUndo", "&Undo", "Ctrl+Z"},
        {"EditSeparator1", "-", nullptr},
        {"EditCut", "Cu&t", "Ctrl+X"},
        {"EditCopy", "&Copy", "Ctrl+C"},
        {"EditPaste", "&Paste", "Ctrl+V"},
        {"EditClear", "&Delete", ""},
        {"EditSeparator2", "-", nullptr},
        {"EditSelectAll", "Select &All", "Ctrl+A"},
    };
    for (const ItemSpec& spec : items) {
        QMenu* menu = childMenu(QStringLiteral("EditMenu"));
        auto* item = new QAction(menu);
        setUp(item, spec);
        menu->addAction(item);
    }
}
