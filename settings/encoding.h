// The encodings a settings file can have.
#pragma once

namespace dovi {

// New files are Cp932 with CRLF line ends.
enum class FileEncoding { Cp932, Utf8, Utf8Bom, Utf16Le, Utf16Be };

}  // namespace dovi
