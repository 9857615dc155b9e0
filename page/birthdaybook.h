// The messages of the birthday book: one line per person whose birthday is today.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "book/birthday.h"

namespace dovi {

// The message for a birthday on a day of todayYear. With a year of birth:
// name + "さん" + (todayYear − year) + "才の誕生日", the age written plainly, with "-" when
// negative; otherwise name + "さん 誕生日".
std::string birthdayMessage(const Birthday& birthday, int todayYear);

// The message for one stored entry, its year read from the last yearLength characters.
inline std::string birthdayMessage(std::string_view value, std::size_t yearLength, int todayYear)
{
    return birthdayMessage(parseBirthday(value, yearLength), todayYear);
}

}  // namespace dovi
