// Breaking a label's text into lines that fit its box, and ending a text that does not fit.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace dovi {

// The width of a piece of text, in the units of the box width.
using TextWidth = std::function<qreal(const QString&)>;

// The lines of text in a box maxWidth wide, filled greedily from the start. Lines end only where
// ICU's line breaking for Japanese with the strict rules (locale "ja@lb=strict", UAX #14) allows:
// at spaces (dropped at the line's end), between Japanese characters, but never before closing
// punctuation, a small kana, 々, the long vowel mark or the middle dot, never after an opening
// bracket, and never inside a grapheme cluster (combining marks, emoji sequences, variation
// selectors). A word wider than the box is broken between grapheme clusters so that no line is
// wider than the box (unless one cluster alone is). A line feed always ends a line. "" gives no
// lines.
QStringList breakLines(const QString& text, qreal maxWidth, const TextWidth& width);

// The lines a box of maxLines lines (at least 1) shows for text: breakLines() when they fit;
// otherwise the first maxLines of them, the last one shortened by whole grapheme clusters until
// it fits together with a closing "…".
QStringList shownLines(const QString& text, qreal maxWidth, int maxLines, const TextWidth& width);

// Whether text fits in maxLines lines of a box maxWidth wide, so that shownLines() shows it whole.
bool fitsInLines(const QString& text, qreal maxWidth, int maxLines, const TextWidth& width);

}  // namespace dovi
