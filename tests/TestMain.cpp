#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Every test executable runs inside one QApplication on the offscreen platform, so fonts,
// images and widgets work without a display. What the program keeps between runs goes to a
// folder of the test run's own, never to the user's settings.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
