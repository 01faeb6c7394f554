#include "items/RepaintCheck.h"
#include "text/SectionDocument.h"
#include "widgets/Brush.h"
#include "widgets/Edge.h"
#include "widgets/GradationBrush.h"
#include "widgets/Image.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

// The opaque widgets paint every pixel the canvas counts as theirs, and bevel lines stay crisp,
// at fractional positions, every zoom and every device pixel ratio.
namespace {

// Reads "Key=Value" lines (LF ends) into an item of the kind and adds it on top.
template <typename Kind>
Kind* AddWidget(Canvas& canvas, const QString& keys)
{
    SectionDocument document;
    ParseSectionText(QStringLiteral("[W]\r\n") + QString(keys).replace(QLatin1String("\n"), QLatin1String("\r\n")), document);
    auto item = std::make_unique<Kind>(canvas);
    item->ReadSection(document.Store(0));
    Kind* raw = item.get();
    canvas.AddItem(std::move(item));
    return raw;
}

void MoveTo(Item* item, const char* position)
{
    SectionDocument document;
    ParseSectionText(QStringLiteral("[W]\r\nPos=") + QString::fromLatin1(position) + QStringLiteral("\r\n"), document);
    item->ReadSection(document.Store(0));
}

class WidgetPixelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QImage photo = RepaintCheck::VariedImage({ 400, 200 });
        m_photo = m_dir.filePath("photo.png");
        ASSERT_TRUE(photo.save(m_photo));
        m_small = m_dir.filePath("small.png");
        ASSERT_TRUE(photo.copy(0, 0, 30, 20).save(m_small));
    }

    // A moved widget over a white background and a blue brush.
    std::string CheckMove(const QString& keys, const char* from, const char* to) const
    {
        Item* moved = nullptr;
        const RepaintCheck::Scene build = [&](Canvas& canvas) {
            AddWidget<Brush>(canvas, QStringLiteral("Pos=L0,T0,R0,B0\nColor=0xffffffff\n"));
            AddWidget<Brush>(canvas, QStringLiteral("Pos=L12.5,T12.5,W50,H40\nColor=0xff0000ff\n"));
            moved = m_add(canvas, keys);
            MoveTo(moved, from);
        };
        const RepaintCheck::Scene change = [&](Canvas&) { MoveTo(moved, to); };
        return RepaintCheck::CheckAllViews(build, change);
    }

    std::function<Item*(Canvas&, const QString&)> m_add;
    QTemporaryDir m_dir;
    QString m_photo;
    QString m_small;
};

TEST_F(WidgetPixelsTest, OpaqueWidgetsPaintAllTheirPixels)
{
    const struct {
        const char* kind;
        QString keys;
    } rows[] = {
        { "Brush", "Color=0xffff0000\n" },
        { "GradationBrush", "BeginColor=0xffff0000\nEndColor=0xff00ff00\nEndPos=L0,B0\n" },
        { "GradationBrush equal points", "BeginColor=0xffff0000\nEndColor=0xff00ff00\nBeginPos=L0,T0\nEndPos=L0,T0\n" },
        { "Image reduced", "FileName=" + m_photo + "\n" },
        { "Image enlarged", "FileName=" + m_small + "\n" },
        { "Image tiled", "FileName=" + m_small + "\nOption=Repeat\n" },
    };
    const char* moves[][2] = {
        { "L20.5,T20,W100,H50", "L21.25,T20.5,W100,H50" },
        { "L20.5,T20,W100.3,H50.7", "L19.6,T21.4,W97.1,H51.3" },
        { "L3,T3,W75,H37.5", "L3.5,T2.5,W75,H37.5" },
    };
    for (const auto& row : rows) {
        const QString kind = QString::fromLatin1(row.kind);
        m_add = [kind](Canvas& canvas, const QString& keys) -> Item* {
            if (kind.startsWith(QLatin1String("GradationBrush")))
                return AddWidget<GradationBrush>(canvas, keys);
            if (kind.startsWith(QLatin1String("Image")))
                return AddWidget<Image>(canvas, keys);
            return AddWidget<Brush>(canvas, keys);
        };
        for (const auto& move : moves)
            EXPECT_EQ(CheckMove(row.keys, move[0], move[1]), "") << row.kind << ": " << move[0] << " -> " << move[1];
    }
}

TEST_F(WidgetPixelsTest, GradientWithoutDirectionIsNotOpaque)
{
    OffscreenCanvas offscreen(QSize(50, 50), CanvasKind::Panel);
    auto* flat = AddWidget<GradationBrush>(offscreen.GetCanvas(),
        QStringLiteral("Pos=L0,T0,R0,B0\nBeginColor=0xffff0000\nEndColor=0xff00ff00\nBeginPos=L5,T5\nEndPos=L5,T5\n"));
    EXPECT_FALSE(flat->IsOpaque());
    auto* shaded = AddWidget<GradationBrush>(offscreen.GetCanvas(),
        QStringLiteral("Pos=L0,T0,R0,B0\nBeginColor=0xffff0000\nEndColor=0xff00ff00\n"));
    EXPECT_TRUE(shaded->IsOpaque());
}

// The colours of one back-buffer row, from x_from to x_to inclusive.
std::vector<QRgb> Row(const QImage& image, int y, int x_from, int x_to)
{
    std::vector<QRgb> row;
    for (int x = x_from; x <= x_to; ++x)
        row.push_back(image.pixel(x, y));
    return row;
}

TEST_F(WidgetPixelsTest, BevelLinesAreWholeDevicePixelsAtEveryRatio)
{
    constexpr QRgb kWhite = 0xffffffff;
    constexpr QRgb kBlack = 0xff000000;
    const struct {
        qreal ratio;
        int left_columns;  // device columns of the left line
        int right_columns; // device columns of the right line
    } rows[] = {
        { 1.0, 1, 1 },
        { 1.5, 2, 1 },
        { 2.0, 2, 2 },
    };
    for (const auto& row : rows) {
        OffscreenCanvas offscreen(QSize(60, 60), CanvasKind::Panel, row.ratio);
        AddWidget<Brush>(offscreen.GetCanvas(), QStringLiteral("Pos=L0,T0,R0,B0\nColor=0xffffffff\n"));
        AddWidget<Edge>(offscreen.GetCanvas(), QStringLiteral("Pos=L10,T10,W40,H40\nAllColor=0xff000000\n"));
        const QImage image = offscreen.Render();
        const int y = int(30 * row.ratio);
        const int left = int(std::floor(10 * row.ratio));
        const int right = int(std::ceil(50 * row.ratio));
        const std::vector<QRgb> line = Row(image, y, left - 2, right + 2);
        int black = 0;
        for (QRgb pixel : line) {
            EXPECT_TRUE(pixel == kWhite || pixel == kBlack) << "ratio " << row.ratio << ": half tone " << std::hex << pixel;
            black += pixel == kBlack ? 1 : 0;
        }
        EXPECT_EQ(black, row.left_columns + row.right_columns) << "ratio " << row.ratio;
        // The left line begins at the item's left edge and the right line ends at its right edge.
        EXPECT_EQ(image.pixel(int(std::round(10 * row.ratio)), y), kBlack) << row.ratio;
        EXPECT_EQ(image.pixel(int(std::round(10 * row.ratio)) - 1, y), kWhite) << row.ratio;
        EXPECT_EQ(image.pixel(int(std::round(50 * row.ratio)) - 1, y), kBlack) << row.ratio;
        EXPECT_EQ(image.pixel(int(std::round(50 * row.ratio)), y), kWhite) << row.ratio;
        // The top line likewise, across a column.
        const int x = int(30 * row.ratio);
        EXPECT_EQ(image.pixel(x, int(std::round(10 * row.ratio))), kBlack) << row.ratio;
        EXPECT_EQ(image.pixel(x, int(std::round(10 * row.ratio)) - 1), kWhite) << row.ratio;
        EXPECT_EQ(image.pixel(x, int(std::round(10 * row.ratio)) + row.left_columns), kWhite) << row.ratio;
    }
}

TEST_F(WidgetPixelsTest, BevelFarBeyondThePictureStillDrawsItsVisiblePart)
{
    OffscreenCanvas offscreen(QSize(60, 60), CanvasKind::Panel, 2.0);
    AddWidget<Brush>(offscreen.GetCanvas(), QStringLiteral("Pos=L0,T0,R0,B0\nColor=0xffffffff\n"));
    AddWidget<Edge>(offscreen.GetCanvas(), QStringLiteral("Pos=L10,T-1e30,W40,H2e30\nAllColor=0xff000000\n"));
    const QImage image = offscreen.Render();
    EXPECT_EQ(image.pixel(20, 60), 0xff000000);
    EXPECT_EQ(image.pixel(40, 60), 0xffffffff);
}

}
