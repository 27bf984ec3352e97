#pragma once
// Ctrl+Q quits from every window of the program. The main window has it
// through its menu bar; the options, results and help windows have no menu
// bar of their own (and the options window is modal, which shuts the main
// window's shortcuts off), so an application-wide filter takes the key there.
class QCoreApplication;

class QObject;

// Installs the filter on the application, which owns it; deleting the
// returned filter removes it.
QObject* installQuitShortcut(QCoreApplication* application);
