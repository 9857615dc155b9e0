#include "cli/textout.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace dovi::cli {

namespace {

// Whether a byte may need escaping: a C0 control (TAB, LF and CR included), DEL, or the lead byte
// of U+0080..U+009F.
bool mayNeedEscape(unsigned char byte) { return byte < 0x20 || byte == 0x7F || byte == 0xC2; }

// The first index from i on whose byte may need escaping, or text.size(). Eight bytes at a time
// while none of them may: a listing of megabytes has only its tabs and line ends to escape.
std::size_t plainUntil(std::string_view text, std::size_t i)
{
    constexpr std::uint64_t ones = 0x0101010101010101, highs = 0x8080808080808080;
    // Whether some byte of x is below n (n at most 0x80), or with n = 1 is zero.
    const auto someBelow = [](std::uint64_t x, std::uint64_t n) { return (x - n * ones) & ~x & highs; };
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, 8);
        if (someBelow(word, 0x20) | someBelow(word ^ (0x7F * ones), 1) | someBelow(word ^ (0xC2 * ones), 1))
            break;
    }
    while (i < text.size() && !mayNeedEscape(static_cast<unsigned char>(text[i])))
        ++i;
    return i;
}

// utf8 escaped as escapeControls() does (with tabs: TAB too, and a CR LF kept), appended to out.
void appendEscaped(std::string& out, std::string_view utf8, bool tabs)
{
    char code[8];
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        // The bytes up to the next one that may need escaping go out as they are, in one piece.
        const std::size_t plain = plainUntil(utf8, i);
        out.append(utf8.substr(i, plain - i));
        if (plain == utf8.size())
            break;
        i = plain;
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0u;
        if (tabs && byte == '\r' && next == '\n') {  // a message's own Windows line end
            out += "\r\n";
            ++i;
        } else if ((byte < 0x20 && (byte != '\t' || tabs) && byte != '\n') || byte == 0x7F) {
            std::snprintf(code, sizeof code, "\\x%02x", byte);
            out += code;
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {  // U+0080..U+009F in UTF-8
            std::snprintf(code, sizeof code, "\\u%04x", next);
            out += code;
            ++i;
        } else {
            out += static_cast<char>(byte);
        }
    }
}

std::string escaped(std::string_view utf8, bool tabs)
{
    std::string out;
    out.reserve(utf8.size());
    appendEscaped(out, utf8, tabs);
    return out;
}

}  // namespace

std::string escapeControls(std::string_view utf8) { return escaped(utf8, false); }

std::string column(std::string_view utf8)
{
    std::string text;
    appendColumn(text, utf8);
    return text;
}

void appendColumn(std::string& out, std::string_view utf8)
{
    const std::size_t start = out.size();
    appendEscaped(out, utf8, true);
    for (std::size_t at = start; (at = out.find('\n', at)) != std::string::npos;)
        out.replace(at, 1, "\\x0a");
}

bool OutputBuffer::pass(bool all)
{
    // A last 0xC2 waits for the byte that tells whether it starts a C1 control, a last CR in a
    // message for the byte that tells whether it ends a line.
    std::size_t keep = 0;
    if (!all && escape_ && !pending_.empty() &&
        (static_cast<unsigned char>(pending_.back()) == 0xC2 || (escapeTabs_ && pending_.back() == '\r')))
        keep = 1;
    const std::string_view ready = std::string_view(pending_).substr(0, pending_.size() - keep);
    const std::string bytes = escape_ ? escaped(ready, escapeTabs_) : std::string(ready);
    pending_.erase(0, ready.size());
    if (error_)
        return false;
    errno = 0;
    if (target_->sputn(bytes.data(), static_cast<std::streamsize>(bytes.size())) !=
        static_cast<std::streamsize>(bytes.size())) {
        error_ = errno ? errno : EIO;
        return false;
    }
    return true;
}

std::streamsize OutputBuffer::xsputn(const char* bytes, std::streamsize count)
{
    pending_.append(bytes, static_cast<std::size_t>(count));
    return pass(false) ? count : 0;
}

OutputBuffer::int_type OutputBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

int OutputBuffer::sync()
{
    if (!pass(true))
        return -1;
    errno = 0;
    if (target_->pubsync() != 0) {
        error_ = errno ? errno : EIO;
        return -1;
    }
    return 0;
}

std::ostream& rawStream(std::ostream& out)
{
    if (auto* buffer = dynamic_cast<OutputBuffer*>(out.rdbuf()); buffer && buffer->raw) {
        out.flush();  // what came before stays before
        return *buffer->raw;
    }
    return out;
}

}  // namespace dovi::cli
