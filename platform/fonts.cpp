#include "platform/fonts.h"
#include <QStringList>

namespace platform {

void installFontSubstitutes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    QFont::insertSubstitutions(QStringLiteral("comic sans MS"),
                               QStringList() << QStringLiteral("Comic Neue") << QStringLiteral("Comic Sans MS"));
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               QStringList() << QStringLiteral("Liberation Sans") << QStringLiteral("Arimo"));
    QFont::insertSubstitutions(QStringLiteral("Helvetica"),
                               QStringList() << QStringLiteral("Liberation Sans") << QStringLiteral("Arimo"));
    QFont::insertSubstitutions(QStringLiteral("System"),
                               QStringList() << QStringLiteral("Liberation Sans") << QStringLiteral("DejaVu Sans"));
}

QFont font(const QString& family, int pixelSize, bool bold, bool italic)
{
    installFontSubstitutes();
    QString name = family;
    auto takeSuffix = [&name](const QString& suffix) {
        if (name.endsWith(suffix, Qt::CaseInsensitive)) {
            name.chop(suffix.size());
            return true;
        }
        return false;
    };
    if (takeSuffix(QStringLiteral(" Bold Italic"))) {
        bold = true;
        italic = true;
    } else if (takeSuffix(QStringLiteral(" Bold"))) {
        bold = true;
    }
    QFont f(name);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

} // namespace platform
