// Where the model's values stand in the settings file: for the files of this folder only.
#pragma once

#include <string_view>

#include "book/snapshot.h"
#include "texts/texts.h"

namespace dovi::layout {

inline constexpr std::string_view kProfile = texts::kInit;
inline constexpr std::string_view kUser = texts::kUser;
inline constexpr std::string_view kBirthday = texts::kBirthday;
inline constexpr std::string_view kSex = texts::kSex;
inline constexpr std::string_view kRegisteredOn = texts::kRegisteredOn;
inline constexpr std::string_view kSayingCount = texts::kSayingCount;
inline constexpr std::string_view kHolidays = texts::kHolidays;
inline constexpr std::string_view kSayings = texts::kSayings;
// The holiday table's marker for the day after a fixed holiday.
inline constexpr std::string_view kSubstituteCandidate = texts::kSubstituteCandidate;

constexpr std::string_view section(Book book)
{
    return book == Book::Birthdays ? texts::kBirthdayBook : texts::kSpecialDays;
}

}  // namespace dovi::layout
