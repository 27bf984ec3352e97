#pragma once
// The results window: the graph of the last test and the replay button.
#include <QWidget>

class resultswin : public QWidget {
    Q_OBJECT
public:
    // The shared instance: created and shown when none exists.
    static resultswin* instance();
    static resultswin* existing();

    // The client area's size; applies at once, also to an open window.
    void setHeight(int h);
    void setWidth(int w);

private:
    resultswin();
};
