#include "platform/Screens.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(ScreensTest, CentresAndKeepsInsideTheWorkArea)
{
    struct Row {
        const char* label;
        QSize size;
        QRect reference;
        QRect work_area;
        QPoint expected;
    };
    const QRect work(0, 0, 1000, 800);
    const Row rows[] = {
        { "centred", QSize(200, 100), QRect(100, 100, 400, 300), work, QPoint(200, 200) },
        { "halves round down", QSize(201, 101), QRect(0, 0, 401, 301), work, QPoint(100, 100) },
        { "past the right and bottom", QSize(300, 200), QRect(800, 700, 200, 100), work, QPoint(700, 600) },
        { "past the left and top", QSize(300, 200), QRect(-50, -50, 100, 100), work, QPoint(0, 0) },
        { "larger than the work area starts at its left", QSize(1200, 900), work, work, QPoint(0, 0) },
        { "work area off the origin", QSize(100, 100), QRect(0, 0, 10, 10), QRect(1000, 40, 800, 600), QPoint(1000, 40) },
    };
    for (const Row& row : rows)
        EXPECT_EQ(CenteredPosition(row.size, row.reference, row.work_area), row.expected) << row.label;
}

TEST(ScreensTest, CentresAChildInItsParent)
{
    QWidget parent;
    parent.resize(400, 300);
    QWidget child(&parent);
    child.resize(100, 50);
    CenterWindow(&child);
    EXPECT_EQ(child.pos(), QPoint(150, 125));
}

TEST(ScreensTest, KnowsTheScreens)
{
    const auto monitors = Monitors();
    ASSERT_FALSE(monitors.empty());
    EXPECT_TRUE(monitors.front().primary);
    EXPECT_FALSE(monitors.front().monitor.isEmpty());
    EXPECT_GT(ScreenDpi(), 0);
}

}
