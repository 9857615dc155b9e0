// Settings files of a chosen size for the benchmarks, made like a well-used dovi.ini: a registered
// user, the holiday table, special days and birthdays under lettered keys on every day of the year,
// and a large collection of sayings. Shift-JIS with CR LF line ends, as files from Windows are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dovi::bench {

// The day the page build is measured on: lettered entries only, so the build reads and never writes.
inline constexpr int kBuildMonth = 1;
inline constexpr int kBuildDay = 20;

// The day whose special day stands under the bare key, for the benchmark of moving it to a letter.
inline constexpr std::string_view kMoveDateKey = "03/03";
inline constexpr std::string_view kMoveValue = "ひな人形を飾る日";

// The bytes of a settings file of at least targetBytes (and less than one line more). The same
// size always gives the same bytes. With withBareKey, section "特別日" also holds kMoveValue under
// the bare key kMoveDateKey.
std::string makeSettingsFile(std::size_t targetBytes, bool withBareKey);

// A file with exactly sayingCount sayings (the stored count is sayingCount + 1) and full dated
// sections (20 entries on every day of the year in each), of at least targetBytes: the sayings are
// made longer (up to the longest value a read gives) until the file reaches that size.
std::string makeSettingsFileWithSayings(std::size_t targetBytes, int sayingCount);

}  // namespace dovi::bench
