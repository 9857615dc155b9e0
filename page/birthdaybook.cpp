#include "page/birthdaybook.h"

#include "texts/texts.h"

namespace dovi {

std::string birthdayMessage(const Birthday& birthday, int todayYear)
{
    std::string message = birthday.name;
    if (birthday.year) {
        message += texts::kHonorific;
        message += std::to_string(todayYear - *birthday.year);
        message += texts::kAgeBirthday;
    } else {
        message += texts::kPlainBirthday;
    }
    return message;
}

}  // namespace dovi
