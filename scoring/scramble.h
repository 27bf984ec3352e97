#pragma once
// The data file's scrambled lines: each value is stored as a line of
// upper-case hexadecimal digits in which it does not stand in plain.
//
// A line is a marker pair naming the filler count a (0 to 9, drawn afresh for
// every line), a digit pairs of keyword filler, then one digit pair per value
// character: the character's code minus an entry of the offset table.
#include <QString>

namespace scoring {

// The scrambled line of one value. Draws its filler count from a generator
// of its own (platform::newRandom), never from the application's.
// A tab is stored as a space. A character that does not fit one digit pair
// (a control character below its offset, or a code more than 255 above it)
// is stored as "?". A value is stored only as far as the offset table
// reaches: its first 300 - 2a characters (at least 282).
QString encpw(const QString& value);

// The value of one line, without its line break. Never fails and never
// draws a random number: a line whose first character is no marker reads as
// the empty text; a pair that is not hexadecimal reads as far as its leading
// hex digit; a lone last digit gives one more character; digits past the
// offset table's end are not read.
QString decpw(const QString& line);

} // namespace scoring
