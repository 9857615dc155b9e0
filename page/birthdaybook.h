// The messages of the birthday book: one line per person whose birthday is today.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace dovi {

// The year of birth stands in the last four characters of a lettered entry ("太郎:1980") and is
// taken from the last five of an entry still under the bare date key, the form those entries had.
inline constexpr std::size_t kLetteredYearLength = 4;
inline constexpr std::size_t kBareKeyYearLength = 5;

// The value of a year text, or std::nullopt when the text is no number. A number is: optional
// ASCII blanks, an optional "+" or "-", one or more ASCII decimal digits, optional ASCII blanks;
// nothing else counts (no decimal point, exponent, thousands separator or full-width digits).
// The texts are at most five characters long, so the value always fits.
std::optional<int> yearTextValue(std::string_view text);

// The message for one entry of the birthday book, value as stored, on a day of todayYear.
// Name: the value up to its first ":" or "," (all of it when it has neither). Year text: the last
// yearLength characters of the value (all of it when shorter). When the year text is a number:
// name + "さん" + (todayYear − year) + "才の誕生日", the age written plainly, with "-" when negative;
// otherwise name + "さん 誕生日".
std::string birthdayMessage(std::string_view value, std::size_t yearLength, int todayYear);

}  // namespace dovi
