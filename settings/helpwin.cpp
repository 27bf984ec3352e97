#include "settings/helpwin.h"
#include "platform/fonts.h"
#include "settings/helptext.h"
#include <QGridLayout>
#include "platform/controls.h"
#include <QPointer>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>

namespace {
QPointer<helpwin> shared;
}

helpwin::helpwin()
{
    setWindowTitle(QStringLiteral("Help"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(658, 406);
    platform::setWhiteBackground(this);
    TextArea1 = new QTextEdit(this);
    TextArea1->setReadOnly(true);
    TextArea1->setFont(platform::font(QStringLiteral("Arial"), 16));
    TextArea1->setFrameShape(QFrame::NoFrame);
    TextArea1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TextArea1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(20, 10, 20, 30);
    layout->addWidget(TextArea1);
    TextArea1->setPlainText(helpText());
    // Line spacing 1.5.
    QTextCursor all(TextArea1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat spacing;
    spacing.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
    all.mergeBlockFormat(spacing);
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
    show();
    raise();
}
