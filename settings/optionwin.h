#pragma once
// The options window, shown modally between tests.
#include <QDialog>

class optionwin : public QDialog {
    Q_OBJECT
public:
    // The shared instance: created (and opened) when none exists.
    static optionwin* instance();
    // The open options window, if any; nullptr otherwise.
    static optionwin* existing();

    // Shows the window modally; returns when the user has closed it.
    void ShowModal();

private:
    optionwin();
};
