#pragma once
// Watches a widget's paint events: how many arrived and the region they
// covered, so a test sees whether something asked for a repaint.
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

class PaintRecorder : public QObject {
public:
    PaintRecorder() = default;
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};
