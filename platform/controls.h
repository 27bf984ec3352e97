#pragma once
// The controls the windows use, as thin wrappers over Qt where Qt alone does
// not give the semantics. Every handler they call runs through guarded().
#include "platform/graphics.h"
#include "platform/picture.h"
#include "platform/ref.h"
#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QKeyEvent;

namespace platform {

// What a Timer waits with: one pending call on the event loop at a time.
// Tests give a Timer one they ring by hand.
class Alarm {
public:
    virtual ~Alarm() = default;
    // Rings (calls `ring`) once, delayMs from now; replaces a pending arm.
    virtual void arm(int delayMs) = 0;
    virtual void cancel() = 0;
    std::function<void()> ring;
};

// A repeating (Mode 2) or single-shot (Mode 1) timer on the event loop.
// A repeating timer keeps the grid of its start on the clock Ticks() reads
// (clockNanoseconds): firing k is due at the start + k periods, however late
// the firings before it came. A firing more than a period late runs once, at
// once, and stands for the ones it overran. (Qt's repeating timer would
// count the next period from a late firing instead.)
class Timer : public QObject {
    Q_OBJECT
public:
    // Without an alarm the timer waits with a precise Qt single-shot timer.
    explicit Timer(QObject* parent = nullptr, std::unique_ptr<Alarm> alarm = nullptr);
    ~Timer() override;
    int Mode() const { return mode_; }
    void setMode(int mode);
    int Period() const { return period_; }
    // While the timer runs its grid starts again from now.
    void setPeriod(int ms);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);
    // Restarts the count: the grid starts again from now.
    void Reset();
    // Enables the timer with its first firing firstDelayMs from now, which
    // runs `first` in place of Action; the grid of the later firings starts
    // when that firing was due. Disabling the timer before then drops `first`.
    void startIn(int firstDelayMs, std::function<void()> first);
    // The delay given to startIn while its first firing is still to come,
    // else -1.
    int FirstDelay() const { return first_ ? firstDelay_ : -1; }
    // When the next firing is due (clockNanoseconds), while the timer is on.
    int64_t NextDue() const { return gridStart_ + next_ * int64_t(period_) * 1'000'000; }
    // One firing, as the event loop runs it when the alarm rings (tests step
    // timers with it).
    void Fire();

    std::function<void()> Action;

signals:
    // Enabled() changed: by setEnabled, or by a single-shot timer firing.
    void enabledChanged(bool enabled);

private:
    // Starts the grid at `start` (clockNanoseconds) with firing `next` to come.
    void startGrid(int64_t start, int64_t next);
    // Arms the alarm for the firing after the one that runs at `now`.
    void armAfter(int64_t now);
    void armNext(int64_t now);
    // Whole milliseconds from now to NextDue(), 0 when it is past.
    int waitMs(int64_t now) const;

    std::unique_ptr<Alarm> alarm_;
    int mode_ = 2;
    int period_ = 1000;
    bool enabled_ = false;
    std::function<void()> first_;
    int firstDelay_ = 0;
    int64_t gridStart_ = 0;
    int64_t next_ = 0; // the firing the alarm is armed for
};

// A push button whose face is a picture; the picture can be read back and
// compared by identity.
class BevelButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit BevelButton(QWidget* parent = nullptr);
    Ref<Picture> Icon() const { return icon_; }
    void setIcon(Ref<Picture> pic);
    // Pixels by which the picture is drawn lower than the top of the button.
    void setIconDY(int dy);

    std::function<void()> Action;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Ref<Picture> icon_;
    int iconDY_ = 0;
};

// A drawing surface: its backdrop picture, then whatever Paint draws.
class Canvas : public QWidget {
    Q_OBJECT
public:
    explicit Canvas(QWidget* parent = nullptr);
    void setBackdrop(Ref<Picture> pic);
    Ref<Picture> Backdrop() const { return backdrop_; }
    // Asks for a repaint; the paint happens in the canvas's own paint event.
    void Refresh() { update(); }

    std::function<void(Graphics&)> Paint;

    // Draws the canvas (backdrop and Paint) into an image of its size on a
    // white ground, as the window would show it (tests).
    QImage renderToImage();

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void draw(QPainter& painter);
    Ref<Picture> backdrop_;
};

// A radio button that reacts to a click anywhere in its rectangle: the
// toolkit's own takes only its indicator and caption, which leaves most of a
// captionless button dead.
class RadioButton : public QRadioButton {
    Q_OBJECT
public:
    explicit RadioButton(const QString& caption, QWidget* parent = nullptr);

protected:
    bool hitButton(const QPoint& pos) const override;
};

class ListboxModel;

// A list control used as a table of text cells. An index out of range raises
// OutOfBoundsException.
class Listbox : public QTableView {
    Q_OBJECT
public:
    Listbox(int columnCount, QWidget* parent = nullptr);
    ~Listbox() override;

    int ColumnCount() const;
    int64_t ListCount() const;
    // Index of the row appended last, -1 when there is none.
    int64_t LastIndex() const { return lastIndex_; }
    // Appends a row whose column 0 is the text and whose other cells are empty.
    void AddRow(const QString& text);
    void DeleteAllRows();
    QString Cell(int64_t row, int64_t column) const;
    void setCell(int64_t row, int64_t column, const QString& text);
    // Makes a column editable in place and opens the editor on a cell.
    void setColumnEditable(int column, bool editable);
    bool ColumnEditable(int column) const;
    void EditCell(int64_t row, int64_t column);

    // The cell-click event: (row, column, x, y); True when handled.
    std::function<bool(int64_t, int64_t, int, int)> CellClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void check(int64_t row, int64_t column) const;
    ListboxModel* model_;
    int64_t lastIndex_ = -1;
};

// A one-character text field whose key-down handler says whether the key was
// consumed (True) or goes on to the field (False). Either way the key ends in
// the field: none moves the focus or reaches the window.
class TextField : public QLineEdit {
    Q_OBJECT
public:
    explicit TextField(QWidget* parent = nullptr);
    std::function<bool(const QKeyEvent&)> KeyDown;

protected:
    // Tab and Backtab reach the key-down handler too instead of moving the focus.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Fills the widget's background with opaque white.
void setWhiteBackground(QWidget* widget);

// Shows a window in front of the others, also when it was minimised (show()
// and raise() alone leave a minimised window minimised).
void bringToFront(QWidget* window);

// Label helpers: colour as 0xRRGGBB.
void setTextColor(QLabel* label, uint32_t colour);
uint32_t textColor(const QLabel* label);

} // namespace platform
