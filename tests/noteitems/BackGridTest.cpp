#include "widgets/LayoutFixture.h"

#include "noteitems/BackGrid.h"

namespace {

// A 100 x 100 page shown at zoom 2 on a 200 x 200 back buffer.
class BackGridTest : public LayoutFixture {
protected:
    BackGridTest()
        : LayoutFixture({ 200, 200 }, CanvasKind::Page)
    {
        GetCanvas().SetLayoutSize(100, 100);
        GetCanvas().SetZoom(2);
    }

    QImage RenderGrid(const QString& keys)
    {
        Load(QStringLiteral("[BackBrush]\nPos=L0,T0,R0,B0\nColor=0xffffffff\n[BackGrid]\nPos=L0,T0,R0,B0\nColor=0xff000000\n") + keys);
        return Render();
    }

    // Device columns along a row that the grid darkened.
    static std::vector<int> DarkColumns(const QImage& image, int y)
    {
        std::vector<int> columns;
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) < 128)
                columns.push_back(x);
        return columns;
    }
};

TEST_F(BackGridTest, QuarterLinesStayOneDevicePixelWideAtZoomTwo)
{
    ASSERT_FLOAT_EQ(GetCanvas().EffectiveScale(), 2);
    const QImage image = RenderGrid(QStringLiteral("Interval=0.25\n"));
    EXPECT_EQ(DarkColumns(image, 10), (std::vector<int> { 50, 100, 150 }));
    for (int x : { 50, 100, 150 })
        EXPECT_EQ(image.pixel(x, 10), kBlack) << x;
    for (int x : { 49, 51, 99, 101 })
        EXPECT_EQ(image.pixel(x, 10), kWhite) << x;
    // Horizontal lines likewise.
    for (int y : { 50, 100, 150 })
        EXPECT_EQ(image.pixel(10, y), kBlack) << y;
    EXPECT_EQ(image.pixel(10, 49), kWhite);
    EXPECT_EQ(image.pixel(10, 151), kWhite);
}

TEST_F(BackGridTest, IntervalAndModeDecideTheLines)
{
    const struct {
        const char* keys;
        std::vector<int> columns;
    } rows[] = {
        { "Interval=0.5\n", { 100 } },
        { "Interval=1\n", {} },
        { "Interval=1.5\n", {} },
        { "Interval=0\n", {} },
        { "Interval=-0.25\n", {} },
        { "Interval=0.25\nOption=Pixcel\n", {} },
        { "Interval=0.25\nOption=Rate,Pixcel\n", {} },
        { "Interval=0.25\nOption=Rate\n", { 50, 100, 150 } },
    };
    for (const auto& row : rows) {
        GetCanvas().Clear();
        const QImage image = RenderGrid(QString::fromLatin1(row.keys));
        EXPECT_EQ(DarkColumns(image, 10), row.columns) << row.keys;
    }
}

TEST_F(BackGridTest, PropertiesAndColourForms)
{
    Load(QStringLiteral("[BackGrid]\nInterval=0.25\nColor=none\n[BackGrid]\nColor=80FF0000\n[BackGrid]\n"));
    BackGrid* grid = ItemAs<BackGrid>(0);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->Color(), kFace);
    EXPECT_EQ(ItemAs<BackGrid>(1)->Color(), 0x80ff0000u);
    EXPECT_EQ(ItemAs<BackGrid>(2)->Color(), kFace);
    EXPECT_FLOAT_EQ(ItemAs<BackGrid>(2)->Interval(), 1.0f);
    EXPECT_TRUE(ItemAs<BackGrid>(2)->RateMode());

    QString value;
    ASSERT_TRUE(grid->GetProperty(QStringLiteral("Interval"), value));
    EXPECT_EQ(value, QStringLiteral("0.25"));
    EXPECT_TRUE(grid->SetProperty(QStringLiteral("Interval"), QStringLiteral("0.125")));
    EXPECT_FALSE(grid->SetProperty(QStringLiteral("Interval"), QStringLiteral("0.125")));
    EXPECT_TRUE(grid->SetProperty(QStringLiteral("Color"), QStringLiteral("0xff808080")));
    EXPECT_FALSE(grid->SetProperty(QStringLiteral("Color"), QStringLiteral("ff808080")));
    ASSERT_TRUE(grid->GetProperty(QStringLiteral("Width"), value));

    // The grid belongs to the frame, not to the page: it never writes itself into a note.
    QString section;
    QString options;
    EXPECT_FALSE(grid->Save(section, options, SaveMode::Persistent));
    EXPECT_TRUE(section.isEmpty());
}

// At every zoom and device pixel ratio each line is one device pixel of full colour: no
// half-tone pixels beside it.
TEST(BackGridPixelRatioTest, LinesAreOneWholeDevicePixel)
{
    for (qreal ratio : { 1.0, 1.5, 2.0 }) {
        for (float zoom : { 0.5f, 0.75f, 1.0f, 2.0f }) {
            const int side = int(100 * zoom);
            OffscreenCanvas offscreen(QSize(side, side), CanvasKind::Page, ratio);
            Canvas& canvas = offscreen.GetCanvas();
            canvas.SetLayoutSize(100, 100);
            canvas.SetZoom(zoom);
            SectionDocument document;
            ParseSectionText(QStringLiteral("[BackBrush]\r\nPos=L0,T0,R0,B0\r\nColor=0xffffffff\r\n"
                                            "[BackGrid]\r\nPos=L0,T0,R0,B0\r\nColor=0xff000000\r\nInterval=0.25\r\n"),
                document);
            for (int index = 0; index < document.Count(); ++index)
                ItemFactories::AddFromSection(canvas, document.Name(index), document.Store(index));
            const QImage image = offscreen.Render();
            const int y = image.height() / 8;
            std::vector<int> black;
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                EXPECT_TRUE(pixel == 0xffffffff || pixel == 0xff000000)
                    << "ratio " << ratio << ", zoom " << zoom << ": half tone at " << x;
                if (pixel == 0xff000000)
                    black.push_back(x);
            }
            ASSERT_EQ(black.size(), 3u) << "ratio " << ratio << ", zoom " << zoom;
            // Each line lies in the device pixel its page position falls into or next to it.
            for (int line = 0; line < 3; ++line)
                EXPECT_NEAR(black[size_t(line)], 25 * (line + 1) * zoom * ratio, 1.0) << ratio << " " << zoom;
        }
    }
}

}
