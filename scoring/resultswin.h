#pragma once
// The results window: the graph of the last test and the replay button. It
// lives until the user closes it; the next request makes a new one.
#include "platform/controls.h"
#include "platform/graphics.h"
#include "platform/screenfit.h"
#include <QWidget>

class resultswin : public QWidget {
    Q_OBJECT
public:
    // The shared instance: created and shown when none is open.
    static resultswin* instance();
    // The open results window, or nullptr; never creates one.
    static resultswin* existing();

    // The client area's size; applies at once, also to an open window. The
    // window itself is smaller only where the screen is.
    void setHeight(int h);
    void setWidth(int w);
    QSize clientSize() const;

    // Redraws the graph from the current note table and puts the window in
    // front of the others, out of the minimised state.
    void showCurrentTest();
    // Redraws the graph of the open window, if there is one; opens none.
    static void refreshGraph();

    // ---- Controls ---------------------------------------------------------
    platform::ScrollingClient* client = nullptr;   // holds the two below
    platform::Canvas* Canvas1 = nullptr;           // the results graph
    platform::BevelButton* BevelButton1 = nullptr; // replay: `play` idle, `smallstop` replaying

    // ---- Event handlers ---------------------------------------------------
    void BevelButton1_Action();
    void Canvas1_Paint(platform::Graphics& g);
    void Event_Open();
    void Event_Close();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    resultswin();
    void setClientSize(QSize size);
    // The canvas spans the full width from 45 px down and reaches 151 px below
    // the bottom edge, so it keeps those distances at every size.
    void placeCanvas();
};
