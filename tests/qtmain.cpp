// main() of the widget tests: an offscreen application with the program's font stand-ins.
#include <QApplication>

#include <gtest/gtest.h>

#include "gui/widgetkit.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dovi::installFontSubstitutes();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
