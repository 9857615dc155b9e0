// The main window's page-build handler: runs the build once and shows its result.
#include "gui/form1.h"

namespace dovi {

void Form1::Timer2_Timer()
{
    pinOnTop();
    const DayPage page = buildDayPage(settings(), *services_.clock, *services_.random);

    Label5->setText(qs(page.label5));
    if (page.holidayMark)
        Shape1->show();
    if (page.label8)
        Label8->setText(qs(*page.label8));
    for (std::size_t i = 0; i < msgList.size(); ++i)
        msgList[i] = qs(page.msgList[i]);
    msgCount = page.msgCount;
    if (page.label4)
        Label4->setText(qs(*page.label4));
    Label6->setText(qs(page.label6));
    Label7->setText(qs(page.label7));

    // The build runs once per enabling of Timer2; from now on Timer1 rotates the message line.
    setTimerEnabled(*Timer1, true);
    setTimerEnabled(*Timer2, false);
}

}  // namespace dovi
