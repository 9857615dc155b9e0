#include "page/pagelabels.h"

#include <algorithm>

#include "texts/texts.h"

namespace dovi {

PageLabels pageLabels(const DayPage& page)
{
    PageLabels labels;
    labels.label5 = page.greeting;
    labels.label6 = page.saying;
    labels.label7 = page.sayingSource;
    labels.shape1 = page.holiday.has_value();
    labels.label8 = page.holiday.value_or("");
    if (!page.messages.empty()) {
        std::copy(page.messages.begin(), page.messages.end(), labels.msgList.begin());
        labels.msgCount = static_cast<std::int16_t>(page.messages.size());
    } else {
        labels.msgList[0] = page.counterLine.value_or(std::string(texts::kDesignLabel4));
        labels.msgCount = 1;
    }
    // Before the first tick the line shows the counter line or keeps its design text.
    labels.label4 = page.counterLine.value_or(std::string(texts::kDesignLabel4));
    return labels;
}

}  // namespace dovi
