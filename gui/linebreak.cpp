#include "gui/linebreak.h"

#include <string_view>
#include <vector>

namespace dovi {

namespace {

bool isSpace(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000'; }

// Kana, kanji, Japanese punctuation and the full-width and half-width forms.
bool isJapanese(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFFEF) || c >= 0x20000;
}

// Characters a line must not start with: closing punctuation, small kana, iteration and sound
// marks, the long vowel mark and the middle dot.
bool mayNotStartLine(char32_t c)
{
    static constexpr std::u32string_view kClosing =
        U"、。，．・：；？！゛゜ヽヾゝゞ々〻ー‐゠〜～）］｝」』】〕〉》〙〗〟’”｡｣､･ｰ"
        U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿｧｨｩｪｫｬｭｮｯ"
        U"!?),.:;]}%";
    return kClosing.find(c) != std::u32string_view::npos;
}

// Characters a line must not end with: opening brackets.
bool mayNotEndLine(char32_t c)
{
    static constexpr std::u32string_view kOpening = U"（［｛「『【〔〈《〘〖〝‘“｢([{";
    return kOpening.find(c) != std::u32string_view::npos;
}

// Whether a line may end between the characters a and b.
bool mayBreakBetween(char32_t a, char32_t b)
{
    if (isSpace(b))
        return false;  // after the last blank of a run, not inside it
    if (isSpace(a))
        return true;
    if (mayNotStartLine(b) || mayNotEndLine(a))
        return false;
    return isJapanese(a) || isJapanese(b);
}

QString withoutTrailingSpaces(QString line)
{
    qsizetype end = line.size();
    while (end > 0 && isSpace(line.at(end - 1).unicode()))
        --end;
    line.truncate(end);
    return line;
}

void breakParagraph(const QString& text, qreal maxWidth, const TextWidth& width, QStringList& lines)
{
    // Code points and where each starts in text; starts[n] is the text's end.
    std::vector<char32_t> points;
    std::vector<qsizetype> starts;
    for (qsizetype i = 0; i < text.size();) {
        starts.push_back(i);
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            points.push_back(QChar::surrogateToUcs4(c, text.at(i + 1)));
            i += 2;
        } else {
            points.push_back(c.unicode());
            i += 1;
        }
    }
    const std::size_t n = points.size();
    starts.push_back(text.size());
    const auto piece = [&](std::size_t from, std::size_t to) { return text.mid(starts[from], starts[to] - starts[from]); };

    if (n == 0) {
        lines << QString();
        return;
    }
    std::size_t from = 0;
    while (from < n) {
        // The longest piece from `from` that ends at a break (or at the end) and fits.
        std::size_t end = 0;
        for (std::size_t to = from + 1; to <= n; ++to) {
            if (to < n && !mayBreakBetween(points[to - 1], points[to]))
                continue;
            if (width(withoutTrailingSpaces(piece(from, to))) > maxWidth)
                break;
            end = to;
        }
        if (end == 0) {
            // No break fits: as many characters as fit, at least one, and not a line-start
            // character first on the next line when a character can be spared.
            end = from + 1;
            while (end < n && width(piece(from, end + 1)) <= maxWidth)
                ++end;
            if (end < n && end > from + 1 && mayNotStartLine(points[end]))
                --end;
        }
        lines << (end == n ? piece(from, end) : withoutTrailingSpaces(piece(from, end)));
        from = end;
        while (from < n && isSpace(points[from]))
            ++from;
    }
}

}  // namespace

QStringList breakLines(const QString& text, qreal maxWidth, const TextWidth& width)
{
    QStringList lines;
    if (text.isEmpty())
        return lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n')))
        breakParagraph(paragraph, maxWidth, width, lines);
    return lines;
}

}  // namespace dovi
