// Breaking a label's text into lines that fit its box.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace dovi {

// The width of a piece of text, in the units of the box width.
using TextWidth = std::function<qreal(const QString&)>;

// The lines of text in a box maxWidth wide, filled greedily from the start. A line may end at a
// space (the spaces there are dropped) or between two characters of which one is Japanese (kana,
// kanji, full-width forms), but a line never starts with closing punctuation, a small kana, the
// long vowel mark or the middle dot (、。，．」』）！？ー・ and the like) and never ends with an
// opening bracket (「『（ and the like). A word wider than the box is broken between characters
// so that no line is wider than the box. A line feed always ends a line. "" gives no lines.
QStringList breakLines(const QString& text, qreal maxWidth, const TextWidth& width);

}  // namespace dovi
