// The output of dovi-cli: text that is safe to show in a terminal, and a final check that every
// byte got out.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace dovi::cli {

// utf8 with its control characters made visible: C0 controls other than TAB and LF, and DEL, as
// "\x1b" (two lower-case hex digits), C1 controls (U+0080 to U+009F) as "\u009b". Everything else,
// backslashes included, stays as it is.
std::string escapeControls(std::string_view utf8);

// utf8 as one tab-separated column: escaped as escapeControls does, and a TAB as "\x09" too, so
// that a stored value cannot fake a column.
std::string column(std::string_view utf8);
// column(utf8) appended to out.
void appendColumn(std::string& out, std::string_view utf8);

// A stream buffer that hands what is written to target, escaped with escapeControls or as it is,
// and remembers the first error of the target. Unbuffered but for a trailing byte that may start
// a C1 character.
class OutputBuffer final : public std::streambuf {
public:
    // escape: control characters as escapeControls makes them visible; escapeTabs: TAB too, for
    // messages, which have no columns (a CR LF line end stays).
    OutputBuffer(std::streambuf* target, bool escape, bool escapeTabs = false)
        : target_(target), escape_(escape), escapeTabs_(escapeTabs)
    {
    }

    // errno of the first failed write or flush to the target, 0 while none failed.
    int error() const { return error_; }

    // The stream that writes to the same place without escaping; set for the escaping buffer.
    std::ostream* raw = nullptr;

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool pass(bool all);

    std::streambuf* target_;
    bool escape_;
    bool escapeTabs_;
    int error_ = 0;
    std::string pending_;
};

// The stream to write output that escapes control characters itself (JSON) to: the raw partner of
// out when out escapes, else out.
std::ostream& rawStream(std::ostream& out);

}  // namespace dovi::cli
