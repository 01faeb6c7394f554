#include "InputTestHarness.h"

#include "widgets/ProgressBar.h"

#include <gtest/gtest.h>

using namespace InputTest;

namespace {

const QColor kBegin(255, 0, 0);
const QColor kEnd(0, 0, 255);
const QColor kBack(0, 255, 0);

QString BarSection(const QString& pos, const QString& value)
{
    return QStringLiteral("[ProgressBar]\nPos=%1\nValue=%2\nBeginColor=0xffff0000\nEndColor=0xff0000ff\nBackColor=0xff00ff00")
        .arg(pos, value);
}

bool Near(const QColor& a, const QColor& b, int tolerance = 8)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

}

TEST(ProgressBarTest, HorizontalBarFillsFromTheLeft)
{
    Harness harness;
    ProgressBar& bar = harness.Add<ProgressBar>(BarSection(QStringLiteral("L0,T0,W200,H20"), QStringLiteral("50")));
    EXPECT_DOUBLE_EQ(bar.FillBoundary(), 100.0);
    const QImage image = harness.Render();
    // The gradient spans the whole bar, so half way along it is half way between the colours.
    EXPECT_TRUE(Near(image.pixelColor(2, 10), kBegin));
    EXPECT_TRUE(Near(image.pixelColor(98, 10), QColor(128, 0, 127), 6)) << image.pixelColor(98, 10).name().toStdString();
    EXPECT_EQ(image.pixelColor(102, 10), kBack);
    EXPECT_EQ(image.pixelColor(197, 10), kBack);
}

TEST(ProgressBarTest, VerticalBarFillsFromTheBottom)
{
    Harness harness;
    harness.Add<ProgressBar>(BarSection(QStringLiteral("L0,T0,W20,H200"), QStringLiteral("25")));
    const QImage image = harness.Render();
    // Boundary at 1 + 0.75 x 198.
    EXPECT_EQ(image.pixelColor(10, 100), kBack);
    EXPECT_EQ(image.pixelColor(10, 148), kBack);
    EXPECT_TRUE(Near(image.pixelColor(10, 151), QColor(64, 0, 191), 6)) << image.pixelColor(10, 151).name().toStdString();
    EXPECT_TRUE(Near(image.pixelColor(10, 197), kEnd));
}

TEST(ProgressBarTest, ValueIsKeptAsGivenAndReadClamped)
{
    struct Row {
        const char* value;
        double boundary;
        const char* read;
    };
    const Row rows[] = {
        { "0", 1, "0" },
        { "100", 199, "100" },
        { "250", 199, "100" },
        { "-3", 1, "0" },
        { "12.5", 1 + 0.125 * 198, "12.5" },
    };
    for (const Row& row : rows) {
        Harness harness;
        ProgressBar& bar = harness.Add<ProgressBar>(QStringLiteral("[ProgressBar]\nPos=L0,T0,W200,H20\nValue=7"));
        EXPECT_TRUE(bar.SetProperty(QStringLiteral("Value"), QLatin1String(row.value)));
        EXPECT_FALSE(bar.SetProperty(QStringLiteral("Value"), QLatin1String(row.value)));
        EXPECT_DOUBLE_EQ(bar.FillBoundary(), row.boundary) << row.value;
        QString read;
        EXPECT_TRUE(bar.GetProperty(QStringLiteral("Value"), read));
        EXPECT_EQ(read, QLatin1String(row.read));
    }

    // A negative play size is refused; a play size of 0 lets the fill reach both ends.
    Harness harness;
    ProgressBar& bar = harness.Add<ProgressBar>(QStringLiteral("[ProgressBar]\nPos=L0,T0,W200,H20\nValue=100\nPlaySize=-4"));
    EXPECT_DOUBLE_EQ(bar.FillBoundary(), 199.0);
    ProgressBar& tight = harness.Add<ProgressBar>(QStringLiteral("[ProgressBar]\nPos=L0,T0,W200,H20\nValue=100\nPlaySize=0"));
    EXPECT_DOUBLE_EQ(tight.FillBoundary(), 200.0);
}
