// The page's 暦 line: shown by the page build when the settings file leaves it on, under the day
// of the month, with the day's full 暦 as its tooltip.
#include "gui/form1.h"
#include "page/koyomiline.h"
#include "texts/koyomi.h"

namespace dovi {

void Form1::showKoyomiLine(const KoyomiSettings& switches)
{
    if (!switches.line || !koyomiCovers(pageDate_)) {
        // Off (or a day the 暦 does not cover): the page is the page without the line, and
        // nothing is computed.
        if (koyomiLine)
            koyomiLine->hide();
        return;
    }
    const Koyomi koyomi = koyomiOf(pageDate_);
    if (!koyomiLine) {
        // Drawn over nothing: its band holds no other label or shape, so its place in the
        // stacking order does not matter, and making it late leaves the first paint as it was.
        // A plain QLabel rather than the page's wrapping labels: the line always fits its box,
        // and its tooltip is the day's 暦, not the line's own text. A click falls through to the
        // page, as on every label.
        const LabelDesign& design = form1layout::kKoyomiLine;
        koyomiLine = new QLabel(this);
        koyomiLine->setTextFormat(Qt::PlainText);
        koyomiLine->setGeometry(design.box.pixels());
        koyomiLine->setAlignment(design.alignment);
        koyomiLine->setFont(designFont(design.font));
        koyomiLine->setAccessibleDescription(qs(texts::kKoyomiLineRole));
    }
    koyomiLine->setText(qs(dovi::koyomiLine(koyomi, switches.rokuyo)));
    std::string tip;
    for (const std::string& detail : koyomiDetails(koyomi, switches.rokuyo).lines())
        tip += (tip.empty() ? "" : "\n") + detail;
    koyomiLine->setToolTip(qs(tip));
    koyomiLine->show();
}

}  // namespace dovi
