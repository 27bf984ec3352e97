#include "settings/helpwin.h"
#include "engine/window1.h"
#include "platform/controls.h"
#include "platform/fonts.h"
#include "platform/screenfit.h"
#include "settings/helptext.h"
#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QRegion>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>

namespace {
QPointer<helpwin> shared;

// Margins of the text area inside the window.
constexpr int marginLeft = 20;
constexpr int marginTop = 10;
constexpr int marginRight = 20;
constexpr int marginBottom = 30;
// Width of the focus ring drawn just outside the text area.
constexpr int ringWidth = 2;
} // namespace

helpwin::helpwin()
{
    setWindowTitle(QStringLiteral("Help"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setMaximumSize(32000, 32000);
    platform::setWhiteBackground(this);
    TextArea1 = new QTextEdit(this);
    TextArea1->setReadOnly(true);
    TextArea1->setFont(platform::font(QStringLiteral("Arial"), 16));
    TextArea1->setFrameShape(QFrame::NoFrame);
    TextArea1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TextArea1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Without the focus the selection is not shown: the inactive highlight is
    // the area's own ground and text colour.
    QPalette palette = TextArea1->palette();
    palette.setBrush(QPalette::Inactive, QPalette::Highlight, palette.brush(QPalette::Inactive, QPalette::Base));
    palette.setBrush(QPalette::Inactive, QPalette::HighlightedText, palette.brush(QPalette::Inactive, QPalette::Text));
    TextArea1->setPalette(palette);
    TextArea1->installEventFilter(this);
    TextArea1->setPlainText(helpText());
    // Line spacing 1.5.
    QTextCursor all(TextArea1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat spacing;
    spacing.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
    all.mergeBlockFormat(spacing);
    resize(658, 406);
}

helpwin* helpwin::instance()
{
    if (!shared) {
        shared = new helpwin();
        shared->show();
    }
    return shared;
}

helpwin* helpwin::existing() { return shared; }

void helpwin::Show()
{
    // The text area scrolls its text at any size the screen leaves.
    platform::fitIntoScreen(this, size(), Window1::existing());
    platform::bringToFront(this);
}

void helpwin::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    TextArea1->setGeometry(marginLeft, marginTop, std::max(0, width() - marginLeft - marginRight),
                           std::max(0, height() - marginTop - marginBottom));
}

void helpwin::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!TextArea1->hasFocus())
        return;
    const QRect inner = TextArea1->geometry();
    const QRect outer = inner.adjusted(-ringWidth, -ringWidth, ringWidth, ringWidth);
    QPainter painter(this);
    painter.setClipRegion(QRegion(outer).subtracted(QRegion(inner)));
    painter.fillRect(outer, palette().color(QPalette::Active, QPalette::Highlight));
}

bool helpwin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TextArea1 && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        update(TextArea1->geometry().adjusted(-ringWidth, -ringWidth, ringWidth, ringWidth));
    return QWidget::eventFilter(watched, event);
}
