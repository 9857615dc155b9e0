#include "book/birthday.h"

namespace dovi {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The last n characters of UTF-8 text (whole code points; all of it when it has fewer). A byte
// that is not a continuation byte starts a character, so stray bytes count as one each.
std::string_view lastCharacters(std::string_view text, std::size_t n)
{
    std::size_t start = text.size();
    for (std::size_t count = 0; count < n && start > 0;) {
        --start;
        if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80)
            ++count;
    }
    return text.substr(start);
}

}  // namespace

std::optional<int> yearTextValue(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t firstDigit = pos;
    int value = 0;
    // At most five characters reach here from the file; the bound keeps any caller's text safe.
    while (pos < text.size() && isDigit(text[pos]) && pos - firstDigit < 9) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == firstDigit)
        return std::nullopt;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    if (pos != text.size())
        return std::nullopt;
    return negative ? -value : value;
}

Birthday parseBirthday(std::string_view value, std::size_t yearLength)
{
    return {std::string(value.substr(0, value.find_first_of(":,"))), yearTextValue(lastCharacters(value, yearLength))};
}

}  // namespace dovi
