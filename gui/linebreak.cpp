#include "gui/linebreak.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace dovi {

namespace {

bool isSpace(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000); }

QString withoutTrailingSpaces(QString line)
{
    qsizetype end = line.size();
    while (end > 0 && isSpace(line.at(end - 1)))
        --end;
    line.truncate(end);
    return line;
}

// The boundaries (UTF-16 offsets after 0, the last one the text's end) that an ICU break iterator
// finds in text. The iterators are made once per thread: making one loads its rules.
std::vector<qsizetype> boundaries(icu::BreakIterator* iterator, const QString& text)
{
    std::vector<qsizetype> found;
    if (iterator == nullptr) {
        found.push_back(text.size());  // no ICU data: one piece, broken by clusters below
        return found;
    }
    // The iterator keeps a reference to the text: it must outlive the walk.
    const icu::UnicodeString unicode(false, reinterpret_cast<const char16_t*>(text.utf16()), int32_t(text.size()));
    iterator->setText(unicode);
    for (int32_t b = iterator->next(); b != icu::BreakIterator::DONE; b = iterator->next())
        found.push_back(b);
    return found;
}

icu::BreakIterator* lineIterator()
{
    thread_local const std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createLineInstance(icu::Locale("ja@lb=strict"), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    return iterator.get();
}

icu::BreakIterator* clusterIterator()
{
    thread_local const std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createCharacterInstance(icu::Locale("ja"), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    return iterator.get();
}

// Whether the character at text[at] may not start a line in the strict Japanese rules (closing
// punctuation, small kana, the long vowel mark, iteration marks, "!" "?" and the like).
bool mayNotStartLine(const QString& text, qsizetype at)
{
    const char32_t c = text.at(at).isHighSurrogate() && at + 1 < text.size()
                           ? QChar::surrogateToUcs4(text.at(at), text.at(at + 1))
                           : text.at(at).unicode();
    switch (u_getIntPropertyValue(UChar32(c), UCHAR_LINE_BREAK)) {
    case U_LB_NONSTARTER:
    case U_LB_CONDITIONAL_JAPANESE_STARTER:
    case U_LB_CLOSE_PUNCTUATION:
    case U_LB_CLOSE_PARENTHESIS:
    case U_LB_EXCLAMATION:
    case U_LB_INFIX_NUMERIC:
        return true;
    default:
        return false;
    }
}

void breakParagraph(const QString& text, qreal maxWidth, const TextWidth& width, QStringList& lines)
{
    if (text.isEmpty()) {
        lines << QString();
        return;
    }
    const std::vector<qsizetype> breaks = boundaries(lineIterator(), text);
    const std::vector<qsizetype> clusters = boundaries(clusterIterator(), text);
    const auto piece = [&text](qsizetype from, qsizetype to) { return text.mid(from, to - from); };

    qsizetype from = 0;
    while (from < text.size()) {
        // The longest piece from `from` that ends at a break opportunity and fits.
        qsizetype end = from;
        for (const qsizetype to : breaks) {
            if (to <= from)
                continue;
            if (width(withoutTrailingSpaces(piece(from, to))) > maxWidth)
                break;
            end = to;
        }
        if (end == from) {
            // No break fits: as many grapheme clusters as fit, at least one, and not a character
            // that may not start a line first on the next one when a cluster can be spared.
            std::vector<qsizetype> taken;
            for (const qsizetype to : clusters) {
                if (to <= from)
                    continue;
                if (!taken.empty() && width(piece(from, to)) > maxWidth)
                    break;
                taken.push_back(to);
            }
            end = taken.back();
            if (end < text.size() && taken.size() > 1 && mayNotStartLine(text, end))
                end = taken[taken.size() - 2];
        }
        lines << (end == text.size() ? piece(from, end) : withoutTrailingSpaces(piece(from, end)));
        from = end;
        while (from < text.size() && isSpace(text.at(from)))
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

QStringList shownLines(const QString& text, qreal maxWidth, int maxLines, const TextWidth& width)
{
    const int room = std::max(1, maxLines);
    QStringList lines = breakLines(text, maxWidth, width);
    if (lines.size() <= room)
        return lines;
    lines = lines.mid(0, room);
    const QString ellipsis(QChar(0x2026));
    QString last = lines.last();
    // Shortened cluster by cluster from its end; an empty line shows the ellipsis alone.
    std::vector<qsizetype> clusters = boundaries(clusterIterator(), last);
    clusters.insert(clusters.begin(), 0);
    std::size_t keep = clusters.size() - 1;
    while (keep > 0 && width(withoutTrailingSpaces(last.left(clusters[keep])) + ellipsis) > maxWidth)
        --keep;
    lines.last() = withoutTrailingSpaces(last.left(clusters[keep])) + ellipsis;
    return lines;
}

bool fitsInLines(const QString& text, qreal maxWidth, int maxLines, const TextWidth& width)
{
    return breakLines(text, maxWidth, width).size() <= std::max(1, maxLines);
}

}  // namespace dovi
