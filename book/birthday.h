// A birthday as stored: the name up to the first ":" or ",", and the year of birth at the end of
// the value.
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
std::optional<int> yearTextValue(std::string_view text);

struct Birthday {
    std::string name;         // the value up to its first ":" or "," (all of it when it has neither)
    std::optional<int> year;  // when the year text (the last yearLength characters) is a number
};

// The birthday of a stored value; yearLength is kLetteredYearLength, or kBareKeyYearLength for an
// entry read under the bare date key.
Birthday parseBirthday(std::string_view value, std::size_t yearLength = kLetteredYearLength);

}  // namespace dovi
