#include "music_font.h"
#include <QTransform>

namespace resgen {

bool MusicFont::load(const QString& fontFile)
{
    raw_ = QRawFont(fontFile, 4 * kUnitsPerSpace, QFont::PreferNoHinting);
    cache_.clear();
    return raw_.isValid() && raw_.supportsCharacter(char32_t(glyph::noteheadBlack));
}

QPainterPath MusicFont::outline(char32_t codePoint) const
{
    if (auto found = cache_.find(codePoint); found != cache_.end())
        return found->second;
    const QString text = QString::fromUcs4(&codePoint, 1);
    const QList<quint32> indexes = raw_.glyphIndexesForString(text);
    QPainterPath path;
    if (!indexes.isEmpty() && indexes.first() != 0)
        path = QTransform::fromScale(1 / kUnitsPerSpace, 1 / kUnitsPerSpace).map(raw_.pathForGlyph(indexes.first()));
    cache_.emplace(codePoint, path);
    return path;
}

} // namespace resgen
