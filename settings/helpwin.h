#pragma once
// The help window: one read-only text area with the help text.
#include <QWidget>

class QTextEdit;

class helpwin : public QWidget {
    Q_OBJECT
public:
    static helpwin* instance();
    static helpwin* existing();
    // Shows the window without blocking.
    void Show();

    QTextEdit* TextArea1 = nullptr;

private:
    helpwin();
};
