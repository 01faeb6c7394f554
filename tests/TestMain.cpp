#include <QApplication>
#include <gtest/gtest.h>

// Every test executable runs inside one QApplication on the offscreen platform, so fonts,
// images and widgets work without a display.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
