#pragma once
// Fonts by the names the layouts use, sized in pixels. "comic sans MS",
// "Arial" and "Helvetica" resolve to installed metric-compatible faces; a
// family named "... Bold Italic" (or "... Bold") selects that style.
#include <QFont>
#include <QString>

namespace platform {

// Registers the substitutions once; safe to call again.
void installFontSubstitutes();

QFont font(const QString& family, int pixelSize, bool bold = false, bool italic = false);

} // namespace platform
