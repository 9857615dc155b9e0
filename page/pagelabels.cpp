#include "page/pagelabels.h"

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
    if (page.messageCount > 0) {
        labels.msgList = page.messages;
        labels.msgCount = page.messageCount;
    } else {
        labels.msgList[0] = page.counterLine.value_or(std::string(texts::kDesignLabel4));
        labels.msgCount = 1;
    }
    // Before the first tick the line shows the counter line or keeps its design text.
    labels.label4 = page.counterLine.value_or(std::string(texts::kDesignLabel4));
    return labels;
}

}  // namespace dovi
