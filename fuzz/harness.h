// Fuzz cases for the settings file and the page build: each takes arbitrary bytes, runs one
// scenario against a real dovi.ini in a scratch folder and checks what the modules promise.
// The libFuzzer entry points and the regression test both call these plain functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dovi::fuzz {

// Called when a case finds a broken promise; what says which. The default prints what and
// aborts, which libFuzzer reports as a finding. A test may install a handler that throws.
using FailureHandler = void (*)(const char* what);
void setFailureHandler(FailureHandler handler);

// The whole input is dovi.ini. Checks the file's encoding, and reads sections and keys named in
// the file (and variants of those names): every value is valid UTF-8 without NUL within the
// length limit, reads repeat, and for ASCII and UTF-8 files each value is the one the layout
// rules give. Returns 0.
int runReaderCase(const std::uint8_t* data, std::size_t size);

// A trailer at the end of the input chooses one write (section, key, value or delete); the rest
// is dovi.ini. Checks that a refused write leaves the file byte for byte, that a done write
// changes exactly one line (or adds one key line, or a section line and a key line at the end)
// and that the key then reads back as written. Returns 0.
int runWriteCase(const std::uint8_t* data, std::size_t size);

// A trailer at the end of the input chooses the date (years 1 to 9999), the time and the random
// numbers; the rest is dovi.ini. Runs the whole page build and checks that it ends with bounded
// reads, writes and draws, that no moved entry is lost, and that the page holds valid text.
// Returns 0.
int runPageCase(const std::uint8_t* data, std::size_t size);

}  // namespace dovi::fuzz
