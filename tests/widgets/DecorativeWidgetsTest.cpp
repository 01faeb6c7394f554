#include "LayoutFixture.h"

#include "platform/Paths.h"
#include "widgets/Brush.h"
#include "widgets/Edge.h"
#include "widgets/GradationBrush.h"
#include "widgets/Image.h"

#include <QDir>
#include <QPainterPath>
#include <QTemporaryDir>

namespace {

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kGreen = 0xff00ff00;
constexpr QRgb kBlue = 0xff0000ff;

const QString kWhiteBackground = QStringLiteral("[Brush]\nPos=L0,T0,R0,B0\nColor=0xffffffff\n");

using DecorativeWidgetsTest = LayoutFixture;

TEST_F(DecorativeWidgetsTest, BrushColourFormsAndOpacity)
{
    const struct {
        const char* color;
        QRgb expected;
        bool opaque;
    } rows[] = {
        { "DefaultFaceColor", kFace, true },
        { "DefaultShadowColor", kShadow, true },
        { "DefaultGrayColor", kShadow, true },
        { "DefaultLightColor", 0xffe3e3e3, true },
        { "0xffa0a0a0", 0xffa0a0a0, true },
        { "FFA0A0A0", 0xffa0a0a0, true },
        { "0x80000000", 0x80000000, false },
        { "defaultfacecolor", 0xdefa, false },
        { "zz", 0, false },
    };
    for (const auto& row : rows) {
        Brush brush(GetCanvas());
        KeyValueStore store;
        store.Set(QStringLiteral("Color"), QString::fromLatin1(row.color));
        brush.ReadSection(store);
        EXPECT_EQ(brush.Color(), row.expected) << row.color;
        EXPECT_EQ(brush.IsOpaque(), row.opaque) << row.color;
    }
    Brush fresh(GetCanvas());
    EXPECT_EQ(fresh.Color(), kFace);
}

TEST_F(DecorativeWidgetsTest, TranslucentBrushBlendsOverWhatLiesBelow)
{
    Load(kWhiteBackground + QStringLiteral("[Brush]\nPos=L10,T10,W20,H20\nColor=0x80000000\n"));
    const QImage image = Render();
    const QRgb blended = image.pixel(20, 20);
    EXPECT_NEAR(qRed(blended), 127, 2);
    EXPECT_EQ(qRed(blended), qBlue(blended));
    EXPECT_EQ(image.pixel(9, 20), kWhite);
    EXPECT_EQ(image.pixel(30, 20), kWhite);
}

TEST_F(DecorativeWidgetsTest, GradationMirrorsBeyondItsEndPoints)
{
    Load(kWhiteBackground
        + QStringLiteral("[GradationBrush]\nPos=L0,T0,W100,H10\nBeginPos=L0,T0\nEndPos=L50,T0\nBeginColor=0xffff0000\nEndColor=0xff0000ff\n"));
    const QImage image = Render();
    EXPECT_GT(qRed(image.pixel(1, 5)), 240);
    EXPECT_GT(qBlue(image.pixel(49, 5)), 240);
    // Past the end point the colours run back instead of starting over.
    EXPECT_GT(qBlue(image.pixel(51, 5)), 240);
    EXPECT_NEAR(qRed(image.pixel(75, 5)), qBlue(image.pixel(75, 5)), 16);
    EXPECT_GT(qRed(image.pixel(98, 5)), 240);
    EXPECT_EQ(image.pixel(100, 5), kWhite);
}

TEST_F(DecorativeWidgetsTest, GradationDefaultsRunDiagonallyAndEndPosAloneShadesDownwards)
{
    Load(kWhiteBackground
        + QStringLiteral("[GradationBrush]\nPos=L0,T0,W100,H100\nBeginColor=0xffff0000\nEndColor=0xff0000ff\n"
                         "[GradationBrush]\nPos=L100,T0,W100,H100\nEndPos=L0,B0\nBeginColor=0xffff0000\nEndColor=0xff0000ff\n"));
    const QImage image = Render();
    EXPECT_GT(qRed(image.pixel(1, 1)), 240);
    EXPECT_GT(qBlue(image.pixel(98, 98)), 240);
    EXPECT_NEAR(qRed(image.pixel(98, 1)), qBlue(image.pixel(98, 1)), 16);

    // The second one is the same all along each row.
    for (int x : { 101, 150, 198 }) {
        EXPECT_GT(qRed(image.pixel(x, 0)), 240) << x;
        EXPECT_GT(qBlue(image.pixel(x, 99)), 240) << x;
    }
}

TEST_F(DecorativeWidgetsTest, GradationAnchorsMeasureWithinTheBounds)
{
    const QRectF bounds(100, 200, 50, 40);
    const struct {
        const char* anchor;
        float x;
        float y;
    } rows[] = {
        { "L", 0, 0 },
        { "", 0, 0 },
        { "L10", 110, 210 },
        { "T10", 110, 210 },
        { "C0", 125, 220 },
        { "C-10%", 120, 216 },
        { "R5", 145, 205 },
        { "B5", 105, 235 },
        { "R10%", 145, 204 },
        { "B25%", 112.5f, 230 },
        { "L50%", 125, 220 },
    };
    for (const auto& row : rows) {
        const QString anchor = QString::fromLatin1(row.anchor);
        EXPECT_FLOAT_EQ(GradationBrush::EvaluateX(anchor, bounds), row.x) << row.anchor;
        EXPECT_FLOAT_EQ(GradationBrush::EvaluateY(anchor, bounds), row.y) << row.anchor;
    }
}

TEST_F(DecorativeWidgetsTest, GradationOpaqueOnlyWhenBothColoursAre)
{
    Load(QStringLiteral("[GradationBrush]\nPos=L0,T0,W10,H10\nBeginColor=0xffff0000\nEndColor=0xff0000ff\n"
                        "[GradationBrush]\nPos=L0,T0,W10,H10\nBeginColor=0x10000000\nEndColor=0xff0000ff\n"));
    EXPECT_TRUE(GetCanvas().ItemAt(0)->IsOpaque());
    EXPECT_FALSE(GetCanvas().ItemAt(1)->IsOpaque());
}

class EdgeTest : public LayoutFixture {
protected:
    QImage RenderEdge(const QString& keys)
    {
        Load(kWhiteBackground + QStringLiteral("[Edge]\nPos=L10,T10,W40,H40\n") + keys);
        return Render();
    }
};

TEST_F(EdgeTest, RoundedCornersLeaveTheBackgroundOutsideTheArc)
{
    const QImage image = RenderEdge(QStringLiteral("TColor=0xffff0000\nLColor=0xff00ff00\nRColor=0xff0000ff\nBColor=0xff000000\nRound=10,10,10,10\n"));
    for (QPoint corner : { QPoint(10, 10), QPoint(49, 10), QPoint(10, 49), QPoint(49, 49), QPoint(11, 11) })
        EXPECT_EQ(image.pixel(corner), kWhite) << corner.x() << "," << corner.y();
    EXPECT_EQ(image.pixel(30, 10), kRed);
    EXPECT_EQ(image.pixel(10, 30), kGreen);
    EXPECT_EQ(image.pixel(49, 30), kBlue);
    EXPECT_EQ(image.pixel(30, 49), kBlack);
    EXPECT_EQ(image.pixel(30, 30), kWhite);
    EXPECT_EQ(image.pixel(50, 30), kWhite);
    // The arcs are drawn: some ink lies between the corner and the straight sides.
    EXPECT_GT(CountPixels(image, QRect(10, 10, 8, 8), [](QRgb pixel) { return pixel != kWhite; }), 4);
}

TEST_F(EdgeTest, RoundValuesGoTopLeftTopRightBottomLeftBottomRight)
{
    const QImage image = RenderEdge(QStringLiteral("AllColor=0xff000000\nRound=10,0,10,0\n"));
    EXPECT_EQ(image.pixel(10, 10), kWhite);
    EXPECT_EQ(image.pixel(10, 49), kWhite);
    // Square corners are where two sides meet: mostly covered.
    EXPECT_LT(qRed(image.pixel(49, 10)), 128);
    EXPECT_LT(qRed(image.pixel(49, 49)), 128);
}

TEST_F(EdgeTest, StyleOptionsWinOverColourKeys)
{
    const struct {
        const char* keys;
        QRgb top_left;
        QRgb bottom_right;
    } rows[] = {
        { "", kHighlight, kShadow },
        { "Option=Sunken\nTColor=0xffff0000\n", kShadow, kHighlight },
        { "Option=Sunken,Raised\n", kHighlight, kShadow },
        { "TColor=0xffff0000\nLColor=0xffff0000\nBColor=0xff0000ff\nRColor=0xff0000ff\n", kRed, kBlue },
        { "TColor=none\n", 0, kShadow },
    };
    for (const auto& row : rows) {
        Edge edge(GetCanvas());
        KeyValueStore store;
        SectionDocument document;
        ParseSectionText(QStringLiteral("[Edge]\r\n") + QString::fromLatin1(row.keys).replace(QLatin1String("\n"), QLatin1String("\r\n")), document);
        edge.ReadSection(document.Store(0));
        EXPECT_EQ(edge.TopColor(), row.top_left) << row.keys;
        EXPECT_EQ(edge.BottomColor(), row.bottom_right) << row.keys;
        EXPECT_EQ(edge.RightColor(), row.bottom_right) << row.keys;
    }
    const QImage image = RenderEdge(QStringLiteral("Option=Sunken\nTColor=0xffff0000\n"));
    EXPECT_EQ(image.pixel(30, 10), kShadow);
    EXPECT_EQ(image.pixel(10, 30), kShadow);
    EXPECT_EQ(image.pixel(30, 49), kHighlight);
}

TEST_F(EdgeTest, WidthRefusesNegativeValues)
{
    Edge edge(GetCanvas());
    KeyValueStore store;
    store.Set(QStringLiteral("Width"), QStringLiteral("3"));
    edge.ReadSection(store);
    store.Set(QStringLiteral("Width"), QStringLiteral("-2"));
    edge.ReadSection(store);
    EXPECT_FLOAT_EQ(edge.PenWidth(), 3);
}

TEST_F(EdgeTest, ShapePathCutsTheRoundedCorners)
{
    Load(QStringLiteral("[Edge]\nPos=L10,T10,W40,H40\nRound=10,0,0,0\n[Edge]\nPos=L10,T10,W40,H40\n"));
    QPainterPath rounded;
    static_cast<Edge*>(GetCanvas().ItemAt(0))->AddShapePath(rounded);
    EXPECT_TRUE(rounded.contains(QPointF(30, 30)));
    EXPECT_FALSE(rounded.contains(QPointF(11, 11)));
    EXPECT_TRUE(rounded.contains(QPointF(48, 11)));
    EXPECT_TRUE(rounded.contains(QPointF(11, 48)));

    QPainterPath plain;
    static_cast<Edge*>(GetCanvas().ItemAt(1))->AddShapePath(plain);
    EXPECT_EQ(plain.boundingRect(), QRectF(10, 10, 40, 40));
}

class ImageWidgetTest : public LayoutFixture {
protected:
    QString WriteBands(const QString& name)
    {
        QImage image(95, 120, QImage::Format_RGB32);
        const QRgb colours[] = { kRed, kGreen, kBlue };
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, colours[y / 40]);
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(image.save(path));
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(ImageWidgetTest, CutOutBandTakesItsOwnSizeWhereAnchorsAreMissing)
{
    const QString path = WriteBands(QStringLiteral("logo.png"));
    Load(kWhiteBackground + QStringLiteral("[Image]\nPos=R98,T17\nFileName=%1,0,40,95,40\n").arg(path));
    ASSERT_EQ(GetCanvas().ItemCount(), 2);
    const Item* image_item = GetCanvas().ItemAt(1);
    EXPECT_EQ(image_item->GetBounds(), QRectF(102, 17, 95, 40));
    EXPECT_TRUE(image_item->IsOpaque());

    const QImage image = Render();
    EXPECT_EQ(image.pixel(102, 17), kGreen);
    EXPECT_EQ(image.pixel(196, 56), kGreen);
    EXPECT_EQ(image.pixel(150, 16), kWhite);
    EXPECT_EQ(image.pixel(150, 57), kWhite);
}

TEST_F(ImageWidgetTest, RelativePathsWithBackslashesResolveInTheCanvasBaseFolder)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("resource")));
    WriteBands(QStringLiteral("resource/bands.png"));
    GetCanvas().SetBaseFolder(m_dir.path());
    Load(QStringLiteral("[Image]\nPos=L0,T0\nFileName=resource\\bands.png\n"));
    ASSERT_EQ(GetCanvas().ItemCount(), 1);
    EXPECT_EQ(GetCanvas().ItemAt(0)->GetBounds(), QRectF(0, 0, 95, 120));
}

TEST_F(ImageWidgetTest, TilesRepeatFromTheTopLeftAndAreCutByTheBounds)
{
    const QString path = WriteBands(QStringLiteral("bands.png"));
    Load(kWhiteBackground + QStringLiteral("[Image]\nPos=L10,T10,W100,H150\nFileName=%1\nOption=Repeat\n").arg(path));
    const QImage image = Render();
    EXPECT_EQ(image.pixel(10, 10), kRed);
    EXPECT_EQ(image.pixel(104, 10), kRed);
    EXPECT_EQ(image.pixel(105, 10), kRed);
    EXPECT_EQ(image.pixel(109, 10), kRed);
    EXPECT_EQ(image.pixel(110, 10), kWhite);
    EXPECT_EQ(image.pixel(50, 129), kBlue);
    EXPECT_EQ(image.pixel(50, 130), kRed);
    EXPECT_EQ(image.pixel(50, 159), kRed);
    EXPECT_EQ(image.pixel(50, 160), kWhite);
}

TEST_F(ImageWidgetTest, MissingFileLeavesAnEmptyWidget)
{
    Load(kWhiteBackground + QStringLiteral("[Image]\nPos=L10,T10,W50,H50\nFileName=%1\n").arg(m_dir.filePath(QStringLiteral("none.png"))));
    ASSERT_EQ(GetCanvas().ItemCount(), 2);
    EXPECT_FALSE(GetCanvas().ItemAt(1)->IsOpaque());
    const QImage image = Render();
    EXPECT_EQ(image.pixel(30, 30), kWhite);
}

}
