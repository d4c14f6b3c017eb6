#include <QApplication>
#include <gtest/gtest.h>

// Every test binary gets a real QApplication (offscreen under CTest), so
// widgets, timers and sockets behave as in the program.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
