// The main window's page-build handler: runs the build once and shows its result.
#include "gui/form1.h"
#include "page/pagelabels.h"

namespace dovi {

void Form1::Timer2_Timer()
{
    pinOnTop();
    const DayPage day = buildDayPage(settings(), *services_.clock, *services_.random);
    const PageLabels page = pageLabels(day);

    Label5->setText(qs(page.label5));
    Shape1->setVisible(page.shape1);
    Label8->setText(qs(page.label8));
    for (std::size_t i = 0; i < msgList.size(); ++i)
        msgList[i] = qs(page.msgList[i]);
    msgCount = page.msgCount;
    Label4->setText(qs(page.label4));
    Label6->setText(qs(page.label6));
    Label7->setText(qs(page.label7));
    showKoyomiLine(day.koyomi);

    pageBuilt_ = true;
    // The build runs once per enabling of Timer2; from now on Timer1 rotates the message line.
    setTimerEnabled(*Timer1, true);
    setTimerEnabled(*Timer2, false);
}

}  // namespace dovi
