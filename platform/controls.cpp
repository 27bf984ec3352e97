#include "platform/controls.h"
#include "platform/errors.h"
#include "platform/services.h"
#include "platform/ticks.h"
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

namespace platform {

// --- Timer ---------------------------------------------------------------

namespace {

constexpr int64_t msNs = 1'000'000;

// The event loop's single-shot timer; precise, as the clocks' passes need.
class QtAlarm : public Alarm {
public:
    QtAlarm()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { ring(); });
    }
    void arm(int delayMs) override { timer_.start(delayMs); }
    void cancel() override { timer_.stop(); }

private:
    QTimer timer_;
};

} // namespace

Timer::Timer(QObject* parent, std::unique_ptr<Alarm> alarm)
    : QObject(parent), alarm_(alarm ? std::move(alarm) : std::make_unique<QtAlarm>())
{
    alarm_->ring = [this] { Fire(); };
}

Timer::~Timer()
{
    alarm_->cancel();
}

void Timer::setMode(int mode)
{
    mode_ = mode;
}

void Timer::setPeriod(int ms)
{
    period_ = ms;
    if (enabled_ && !first_)
        startGrid(clockNanoseconds(), 1);
}

void Timer::startGrid(int64_t start, int64_t next)
{
    gridStart_ = start;
    next_ = next;
    armNext(clockNanoseconds());
}

int Timer::waitMs(int64_t now) const
{
    // To the nearest millisecond, the alarm's unit: the firings then stand
    // on the grid on average instead of half a millisecond after it.
    const int64_t wait = NextDue() - now;
    return wait <= 0 ? 0 : int((wait + msNs / 2) / msNs);
}

void Timer::armNext(int64_t now)
{
    alarm_->arm(waitMs(now));
}

void Timer::armAfter(int64_t now)
{
    // The next firing due after now; at least the one after the firing
    // running now, which may have rung up to half a millisecond early.
    const int64_t periodNs = int64_t(period_) * msNs;
    const int64_t passed = periodNs > 0 && now >= gridStart_ ? (now - gridStart_) / periodNs : 0;
    next_ = std::max(next_ + 1, passed + 1);
    // Never longer than a period, also on a clock that stands still.
    alarm_->arm(std::min(waitMs(now), period_));
}

void Timer::setEnabled(bool on)
{
    const bool changed = on != enabled_;
    enabled_ = on;
    if (on && mode_ != 0) {
        if (changed)
            startGrid(clockNanoseconds(), 1);
    } else {
        alarm_->cancel();
        first_ = nullptr;
    }
    if (changed)
        emit enabledChanged(on);
}

void Timer::startIn(int firstDelayMs, std::function<void()> first)
{
    const bool changed = !enabled_;
    enabled_ = true;
    first_ = std::move(first);
    firstDelay_ = firstDelayMs;
    startGrid(clockNanoseconds() + firstDelayMs * msNs, 0);
    if (changed)
        emit enabledChanged(true);
}

void Timer::Reset()
{
    if (enabled_)
        startGrid(clockNanoseconds(), 1);
}

void Timer::Fire()
{
    if (!enabled_)
        return;
    // Armed before the firing runs, which may stop the timer or start it anew.
    armAfter(clockNanoseconds());
    if (first_) {
        std::function<void()> first = std::move(first_);
        first_ = nullptr;
        guarded(first);
        return;
    }
    if (mode_ == 1) {
        alarm_->cancel();
        enabled_ = false; // a single-shot timer is off once it has fired
        emit enabledChanged(false);
    }
    if (Action)
        guarded(Action);
}

// --- BevelButton -----------------------------------------------------------

RadioButton::RadioButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent) {}

bool RadioButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }

BevelButton::BevelButton(QWidget* parent) : QAbstractButton(parent)
{
    QObject::connect(this, &QAbstractButton::clicked, this, [this] {
        if (Action)
            guarded(Action);
    });
}

void BevelButton::setIcon(Ref<Picture> pic)
{
    icon_ = pic;
    update();
}

void BevelButton::setIconDY(int dy)
{
    iconDY_ = dy;
    update();
}

void BevelButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (icon_.isNil())
        return;
    const QImage& image = icon_->image();
    // The picture is the whole face, centred in the area below IconDY.
    QRect area(0, iconDY_, width(), height() - iconDY_);
    QSize size = image.size() / image.devicePixelRatio();
    QPoint topLeft(area.x() + (area.width() - size.width()) / 2,
                   area.y() + (area.height() - size.height()) / 2);
    if (!isDown()) {
        p.drawImage(QRect(topLeft, size), image);
        return;
    }
    // Pressed: the face darkens, not the transparent rest of the picture.
    QImage pressed = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter shade(&pressed);
    shade.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    shade.fillRect(pressed.rect(), QColor(0, 0, 0, 40));
    shade.end();
    p.drawImage(QRect(topLeft, size), pressed);
}

// --- Canvas ----------------------------------------------------------------

Canvas::Canvas(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void Canvas::setBackdrop(Ref<Picture> pic)
{
    backdrop_ = pic;
    update();
}

void Canvas::draw(QPainter& painter)
{
    if (!backdrop_.isNil())
        painter.drawImage(QPointF(0, 0), backdrop_->image());
    if (Paint) {
        Graphics g(painter);
        Paint(g);
    }
}

void Canvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    guarded([&] { draw(painter); });
}

QImage Canvas::renderToImage()
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    draw(painter);
    return image;
}

// --- Listbox ---------------------------------------------------------------

class ListboxModel : public QAbstractTableModel {
public:
    explicit ListboxModel(int columns) : columns_(columns), editable_(columns, false) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : columns_;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return rows_[index.row()][index.column()];
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        rows_[index.row()][index.column()] = value.toString();
        emit dataChanged(index, index);
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.isValid() && editable_[index.column()])
            f |= Qt::ItemIsEditable;
        return f;
    }

    void append(const QString& first)
    {
        int row = static_cast<int>(rows_.size());
        beginInsertRows(QModelIndex(), row, row);
        std::vector<QString> cells(columns_);
        cells[0] = first;
        rows_.push_back(std::move(cells));
        endInsertRows();
    }
    void clear()
    {
        beginResetModel();
        rows_.clear();
        endResetModel();
    }
    const QString& cell(int64_t r, int64_t c) const { return rows_[r][c]; }
    void setCell(int64_t r, int64_t c, const QString& text)
    {
        rows_[r][c] = text;
        QModelIndex i = index(static_cast<int>(r), static_cast<int>(c));
        emit dataChanged(i, i);
    }

    int columns_;
    std::vector<bool> editable_;
    std::vector<std::vector<QString>> rows_;
};

Listbox::Listbox(int columnCount, QWidget* parent)
    : QTableView(parent), model_(new ListboxModel(columnCount))
{
    model_->setParent(this);
    setModel(model_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

Listbox::~Listbox() = default;

int Listbox::ColumnCount() const { return model_->columns_; }

int64_t Listbox::ListCount() const { return static_cast<int64_t>(model_->rows_.size()); }

void Listbox::AddRow(const QString& text)
{
    model_->append(text);
    lastIndex_ = ListCount() - 1;
}

void Listbox::DeleteAllRows()
{
    model_->clear();
    lastIndex_ = -1;
}

void Listbox::check(int64_t row, int64_t column) const
{
    if (row < 0 || row >= ListCount())
        throw OutOfBoundsException(QStringLiteral("row %1 of %2").arg(row).arg(ListCount()));
    if (column < 0 || column >= model_->columns_)
        throw OutOfBoundsException(QStringLiteral("column %1 of %2").arg(column).arg(model_->columns_));
}

QString Listbox::Cell(int64_t row, int64_t column) const
{
    check(row, column);
    return model_->cell(row, column);
}

void Listbox::setCell(int64_t row, int64_t column, const QString& text)
{
    check(row, column);
    model_->setCell(row, column, text);
}

void Listbox::setColumnEditable(int column, bool editable)
{
    if (column < 0 || column >= model_->columns_)
        throw OutOfBoundsException(QStringLiteral("column %1 of %2").arg(column).arg(model_->columns_));
    model_->editable_[column] = editable;
}

bool Listbox::ColumnEditable(int column) const
{
    return column >= 0 && column < model_->columns_ && model_->editable_[column];
}

void Listbox::EditCell(int64_t row, int64_t column)
{
    check(row, column);
    edit(model_->index(static_cast<int>(row), static_cast<int>(column)));
}

void Listbox::mousePressEvent(QMouseEvent* event)
{
    QModelIndex index = indexAt(event->pos());
    bool handled = false;
    if (index.isValid() && CellClick) {
        guarded([&] {
            handled = CellClick(index.row(), index.column(), event->pos().x(), event->pos().y());
        });
    }
    if (!handled)
        QTableView::mousePressEvent(event);
}

// --- TextField -------------------------------------------------------------

TextField::TextField(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(1);
}

bool TextField::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void TextField::keyPressEvent(QKeyEvent* event)
{
    bool consumed = false;
    if (KeyDown)
        guarded([&] { consumed = KeyDown(*event); });
    if (!consumed)
        QLineEdit::keyPressEvent(event);
    // A key the field does not use (Tab, Escape, Up...) would otherwise go on
    // to the window, where Tab moves the focus away from the field.
    event->accept();
}

void setWhiteBackground(QWidget* widget)
{
    widget->setAutoFillBackground(true);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, Qt::white);
    widget->setPalette(pal);
}

void bringToFront(QWidget* window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

// --- Labels ----------------------------------------------------------------

void setTextColor(QLabel* label, uint32_t colour)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, rgb(colour));
    label->setPalette(pal);
}

uint32_t textColor(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF;
}

} // namespace platform
