#pragma once
// The help window: one read-only text area with the help text.
#include <QWidget>

class QTextEdit;

class helpwin : public QWidget {
    Q_OBJECT
public:
    static helpwin* instance();
    static helpwin* existing();
    // Shows the window without blocking, in front, also when it was minimised.
    void Show();

    QTextEdit* TextArea1 = nullptr;

protected:
    // The text area keeps its margins at any window size; no layout, so the
    // window has no minimum size.
    void resizeEvent(QResizeEvent* event) override;
    // The focus ring round the text area while it has the focus.
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    helpwin();
};
