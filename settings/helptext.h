#pragma once
#include <QString>

// The help window's text: 36 lines, headings and paragraphs.
QString helpText();
