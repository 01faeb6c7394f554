#include "noteitems/MandelbrotItem.h"

#include "items/OffscreenCanvas.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/ItemFactories.h"
#include "noteitems/MandelbrotRender.h"
#include "platform/Message.h"
#include "platform/ScriptedUserPrompt.h"
#include "text/KeyValueStore.h"
#include "text/SectionDocument.h"

#include <QColor>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

KeyValueStore Store(std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    KeyValueStore store;
    for (const auto& [key, value] : pairs)
        store.Set(QString::fromUtf8(key), QString::fromUtf8(value));
    return store;
}

Message Mouse(MessageKind kind, bool shift = false)
{
    Message message;
    message.kind = kind;
    message.shift = shift;
    return message;
}

Message Wheel(int delta)
{
    Message message;
    message.kind = MessageKind::MouseWheel;
    message.wheel_delta = delta;
    return message;
}

class MandelbrotItemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ItemFactories::RegisterAll();
        m_page.GetCanvas().SetEventHandler([this](const ItemEvent& event) {
            m_events.push_back(event);
            return true;
        });
    }

    MandelbrotItem& Add(const KeyValueStore& store)
    {
        EXPECT_TRUE(ItemFactories::AddFromSection(Page(), QStringLiteral("Mandelbrot"), store));
        auto* item = dynamic_cast<MandelbrotItem*>(Page().ItemAt(Page().ItemCount() - 1));
        EXPECT_NE(item, nullptr);
        return *item;
    }

    Canvas& Page() { return m_page.GetCanvas(); }
    QImage Render() { return m_page.Render(); }

    std::vector<int> Codes() const
    {
        std::vector<int> codes;
        for (const ItemEvent& event : m_events)
            codes.push_back(event.code);
        return codes;
    }

    OffscreenCanvas m_page { QSize(400, 300) };
    std::vector<ItemEvent> m_events;
};

struct ReadRow {
    const char* key;
    const char* value;
    long double zoom_rate;
    long double shift_x;
    long double shift_y;
    MandelbrotPicture::Channels color_rate;
};

TEST_F(MandelbrotItemTest, SectionValuesAreLimitedAndDefaulted)
{
    const MandelbrotPicture::Channels rates = MandelbrotPicture::kDefaultColorRate;
    const ReadRow rows[] = {
        { "ZoomRate", "10", 3.0, -0.6666666666666666, -0.5, rates },
        { "ZoomRate", "0", 3.0, -0.6666666666666666, -0.5, rates },
        { "ZoomRate", "-1e-3", 3.0, -0.6666666666666666, -0.5, rates },
        { "ZoomRate", "1e-320", 3.0, -0.6666666666666666, -0.5, rates },
        { "ZoomRate", "2.5e-308", 2.5e-308L, -0.6666666666666666, -0.5, rates },
        { "Shift", "0.25", 3.0, 0.25, 0, rates },
        { "ColorRate", "5,,9", 3.0, -0.6666666666666666, -0.5, { 5, 0, 9, 4 } },
    };
    for (const ReadRow& row : rows) {
        MandelbrotItem& item = Add(Store({ { row.key, row.value }, { "Pos", "L0,T0,W10,H10" } }));
        const MandelbrotPicture::Parameters& p = item.GetPicture().GetParameters();
        EXPECT_EQ(p.zoom_rate, row.zoom_rate) << row.key << "=" << row.value;
        EXPECT_EQ(p.shift_x, row.shift_x) << row.key << "=" << row.value;
        EXPECT_EQ(p.shift_y, row.shift_y) << row.key << "=" << row.value;
        EXPECT_EQ(p.color_rate, row.color_rate) << row.key << "=" << row.value;
    }
}

TEST_F(MandelbrotItemTest, SaveFormReadsBackToTheSameItem)
{
    MandelbrotItem& item = Add(Store({ { "Pos", "L12.5,T20,W300,H200" }, { "Name", "m" } }));
    MandelbrotPicture::Parameters p;
    p.zoom_rate = 1.2345678901234567e-14;
    p.shift_x = -0.74364388703715870475;
    p.shift_y = 0.1318259042053988;
    p.color_rate = { 1, 2, 3, 4 };
    p.color_shift = { 5, 6, 7, 8 };
    p.infinity_color = { 9, 10, 11, 12 };
    p.min = 3;
    p.max = 200;
    item.GetPicture().SetParameters(p);
    Render();

    QString text;
    Page().SaveItems(text);
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Mandelbrot]\r\nShift=%1,%2\r\nZoomRate=%3\r\n")
                                    .arg(QString::asprintf("%.32g", double(p.shift_x)),
                                        QString::asprintf("%.32g", double(p.shift_y)),
                                        QString::asprintf("%.32g", double(p.zoom_rate)))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ColorRate=1,2,3,4\r\nColorShift=5,6,7,8\r\nInfinityColor=9,10,11,12\r\n"
                                             "Min=3\r\nMax=200\r\nPos=L12.5,T20,L312.5,T220\r\nName=m\r\n"
                                             "Pos=L12.5,T20,W300,H200\r\nName=m\r\n\r\n")))
        << text.toStdString();

    SectionDocument document;
    ASSERT_TRUE(ParseSectionText(QStringView(text), document));
    ASSERT_EQ(document.Count(), 1);
    OffscreenCanvas other(QSize(400, 300));
    ASSERT_TRUE(ItemFactories::AddFromSection(other.GetCanvas(), document.Name(0), document.Store(0)));
    auto* copy = dynamic_cast<MandelbrotItem*>(other.GetCanvas().ItemAt(0));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetPicture().GetParameters(), p);
    EXPECT_EQ(copy->GetAnchors()[Item::kRight], QStringLiteral("W300"));
    QString again;
    other.Render();
    other.GetCanvas().SaveItems(again);
    EXPECT_EQ(again, text);
}

// A page that is never shown is saved from what was read, and reads back the same through any
// number of cycles.
TEST_F(MandelbrotItemTest, PagesNeverShownKeepTheirSectionsThroughCycles)
{
    QString text = QStringLiteral("[Mandelbrot]\r\nShift=-1.25,0.125\r\nZoomRate=1e-9\r\nMin=7\r\n"
                                  "Pos=L10,T20,W300,H200\r\nName=n\r\nOption=Disable\r\n\r\n");
    QString first;
    for (int cycle = 0; cycle < 3; ++cycle) {
        SectionDocument document;
        ASSERT_TRUE(ParseSectionText(QStringView(text), document));
        OffscreenCanvas page(QSize(400, 300));
        for (int index = 0; index < document.Count(); ++index)
            ItemFactories::AddFromSection(page.GetCanvas(), document.Name(index), document.Store(index));
        ASSERT_EQ(page.GetCanvas().ItemCount(), 1);
        const auto& item = dynamic_cast<const MandelbrotItem&>(*page.GetCanvas().ItemAt(0));
        EXPECT_EQ(item.GetPicture().GetParameters().zoom_rate, 1e-9L);
        EXPECT_EQ(item.GetPicture().GetParameters().min, 7);
        EXPECT_FALSE(item.IsEnabled());
        text.clear();
        page.GetCanvas().SaveItems(text);
        if (cycle == 0)
            first = text;
        EXPECT_EQ(text, first) << cycle;
    }
    // The picture's position is the item's bounds, as a draw would have set it.
    EXPECT_TRUE(first.contains(QStringLiteral("Pos=L10,T20,L310,T220\r\nName=n\r\nPos=L10,T20,W300,H200\r\nName=n\r\n"
                                              "Option=Disable,Disable\r\n")))
        << first.toStdString();
}

TEST_F(MandelbrotItemTest, DefaultViewIsColouredFromTheCounts)
{
    Add(Store({ { "Pos", "L0,T0,W300,H300" } }));
    const QImage page = Render();
    // c = -2 - 1.5i escapes at once: count 1 gives red 1, green 2, blue 4.
    EXPECT_EQ(QColor(page.pixel(0, 0)), QColor(1, 2, 4));
    // c = 0 never escapes: the infinity colour, opaque black.
    EXPECT_EQ(QColor(page.pixel(200, 150)), QColor(0, 0, 0));
    // c = 0.99 + 0i: z1 = 0.99, z2 = 1.97, z3 = 4.87: count 3.
    EXPECT_EQ(QColor(page.pixel(299, 150)), QColor(3, 6, 12));
}

TEST_F(MandelbrotItemTest, ColourChangesRecolourWithoutIterating)
{
    MandelbrotItem& item = Add(Store({ { "Pos", "L0,T0,W300,H300" } }));
    Render();
    MandelbrotPicture& picture = item.GetPicture();
    ASSERT_EQ(picture.RenderCount(), 1);

    // A rate of 256 multiplies every count by a multiple of 256: like 0.
    ASSERT_TRUE(picture.SetColor(0, 1, 256));
    const QImage with_256 = Render();
    ASSERT_TRUE(picture.SetColor(0, 1, 0));
    const QImage with_0 = Render();
    EXPECT_EQ(with_256, with_0);
    EXPECT_EQ(QColor(with_0.pixel(299, 150)), QColor(0, 6, 12));

    // Counts at or above Max take the infinity colour, and so do those below Min.
    ASSERT_TRUE(picture.SetMax(3));
    ASSERT_TRUE(picture.SetMin(2));
    const QImage limited = Render();
    EXPECT_EQ(QColor(limited.pixel(299, 150)), QColor(0, 0, 0));
    EXPECT_EQ(QColor(limited.pixel(0, 0)), QColor(0, 0, 0));
    EXPECT_EQ(picture.RenderCount(), 1);

    ASSERT_TRUE(picture.ResetView() == false);
    ASSERT_TRUE(picture.SetZoomRate(1.5));
    Render();
    EXPECT_EQ(picture.RenderCount(), 2);
}

// Opaque maps are coloured by arithmetic where the processor allows it; every count and every
// map must give the colour of the table.
TEST(MandelbrotColoursTest, RecolourMatchesTheColourMapForEveryCount)
{
    std::vector<std::uint8_t> counts(2 * 263);
    for (std::size_t index = 0; index < counts.size(); ++index)
        counts[index] = std::uint8_t(index * 7);
    MandelbrotPicture::Parameters maps[5];
    maps[1].color_rate = { 0, 70000, -3, 255 };
    maps[1].color_shift = { 255, -1, 300, 65537 };
    maps[1].infinity_color = { 511, 256, -1, 7 };
    maps[1].min = -20;
    maps[1].max = 4000;
    maps[2].min = 200;
    maps[2].max = 10;
    maps[3].color_rate = { 1, 1, 1, 1 }; // not opaque: premultiplied
    maps[3].color_shift = { 0, 0, 0, 0 };
    maps[4].color_rate[0] = 0; // every colour half transparent
    maps[4].color_shift[0] = 128;
    maps[4].infinity_color[0] = 128;
    for (const MandelbrotPicture::Parameters& map : maps) {
        QImage bitmap(263, 2, QImage::Format_ARGB32_Premultiplied);
        MandelbrotPicture::Colorize(counts.data(), bitmap, map);
        const std::array<quint32, 256> table = MandelbrotPicture::ColorTable(map);
        for (int y = 0; y < 2; ++y) {
            const auto* line = reinterpret_cast<const quint32*>(bitmap.constScanLine(y));
            for (int x = 0; x < 263; ++x)
                ASSERT_EQ(line[x], table[counts[std::size_t(y) * 263 + x]]) << x << "," << y;
        }
    }
    EXPECT_EQ(MandelbrotPicture::ColorOf(maps[0], 3), 0xFF03060Cu);
    EXPECT_EQ(MandelbrotPicture::ColorOf(maps[0], 255), 0xFF000000u);
}

TEST_F(MandelbrotItemTest, ReducedPageComputesAtScreenResolution)
{
    MandelbrotItem& item = Add(Store({ { "Pos", "L0,T0,W300,H300" } }));
    ASSERT_TRUE(Page().SetZoom(0.5f));
    const QImage page = Render();
    EXPECT_EQ(item.GetPicture().Bitmap().size(), QSize(150, 150));
    EXPECT_EQ(QColor(page.pixel(0, 0)), QColor(1, 2, 4));
    EXPECT_EQ(QColor(page.pixel(100, 75)), QColor(0, 0, 0));
    ASSERT_TRUE(Page().SetZoom(2.0f));
    const QImage enlarged = Render();
    EXPECT_EQ(item.GetPicture().Bitmap().size(), QSize(300, 300));
    EXPECT_EQ(item.GetPicture().RenderCount(), 2);
    // Enlarged, the picture is drawn over the bounds: device (399, 299) is page (199.75, 149.75).
    EXPECT_EQ(enlarged.pixel(399, 299), item.GetPicture().ColorOf(item.GetPicture().CountAt(199, 149)));
}

// A screen of two device pixels per logical one, with the item at a fractional place. At zoom
// 0.5 a page unit is a device pixel: the picture is computed in page units and drawn over the
// bounds. At zoom 0.25 it is computed at the device size and drawn unscaled from the device
// pixel where the canvas's clip of the item starts.
TEST(MandelbrotScreenTest, ReducedPageAtTwoDevicePixelsPerPixel)
{
    ItemFactories::RegisterAll();
    Canvas canvas(CanvasKind::Page);
    canvas.ResizeBackBuffer(400, 300, 2.0);
    ASSERT_TRUE(ItemFactories::AddFromSection(canvas, QStringLiteral("Mandelbrot"), Store({ { "Pos", "L10.5,T20.25,W300,H300" } })));
    const auto& item = dynamic_cast<const MandelbrotItem&>(*canvas.ItemAt(0));
    const QImage& buffer = canvas.BackBuffer();

    ASSERT_TRUE(canvas.SetZoom(0.5f));
    ASSERT_TRUE(canvas.RenderVisibleArea(OpaqueShortcut::On));
    EXPECT_EQ(item.GetPicture().Bitmap().size(), QSize(300, 300));
    EXPECT_EQ(QColor(buffer.pixel(11, 21)), QColor(1, 2, 4));
    EXPECT_EQ(QColor(buffer.pixel(10 + 200, 20 + 150)), QColor(0, 0, 0));

    ASSERT_TRUE(canvas.SetZoom(0.25f));
    ASSERT_TRUE(canvas.RenderVisibleArea(OpaqueShortcut::On));
    EXPECT_EQ(item.GetPicture().Bitmap().size(), QSize(150, 150));
    // The item covers the device pixels whose centres lie inside (5.25, 10.125) to
    // (155.25, 160.125): the corner pixel (count 1) at device (5, 10), c = 0 at bitmap pixel
    // (100, 75), and the last column at device 154.
    EXPECT_EQ(QColor(buffer.pixel(5, 10)), QColor(1, 2, 4));
    EXPECT_EQ(QColor(buffer.pixel(5 + 100, 10 + 75)), QColor(0, 0, 0));
    EXPECT_EQ(QColor(buffer.pixel(5 + 149, 10 + 75)), QColor(3, 6, 12));
}

TEST_F(MandelbrotItemTest, WheelZoomsAboutTheCentreAndResetsBeyondTheWidestView)
{
    MandelbrotItem& item = Add(Store({ { "Pos", "L0,T0,W300,H300" } }));
    MandelbrotPicture& picture = item.GetPicture();
    Render();
    // Not the active item: the wheel is not for it.
    EXPECT_FALSE(item.HandleMessage(Wheel(120), { 150, 150 }));
    Page().SetActiveItem(&item);

    // Toward the user at the widest view: refused by the limit, reset, nothing to compute.
    EXPECT_TRUE(item.HandleMessage(Wheel(-120), { 150, 150 }));
    EXPECT_EQ(picture.GetParameters(), MandelbrotPicture::Parameters {});
    Render();
    EXPECT_EQ(picture.RenderCount(), 1);

    EXPECT_TRUE(item.HandleMessage(Wheel(240), { 150, 150 }));
    EXPECT_DOUBLE_EQ(picture.GetParameters().zoom_rate, 0.75);
    // The centre stays at -0.5 + 0i.
    const double step = 0.75 / 300;
    EXPECT_NEAR(step * 300 * picture.GetParameters().shift_x + 150 * step, -0.5, 1e-12);
    EXPECT_NEAR(step * 300 * picture.GetParameters().shift_y + 150 * step, 0.0, 1e-12);
    // Less than a notch does nothing.
    EXPECT_TRUE(item.HandleMessage(Wheel(60), { 150, 150 }));
    EXPECT_DOUBLE_EQ(picture.GetParameters().zoom_rate, 0.75);
    // Two notches toward the user from 0.75 reach 3; three more exceed it and reset.
    EXPECT_TRUE(item.HandleMessage(Wheel(-240), { 150, 150 }));
    EXPECT_DOUBLE_EQ(picture.GetParameters().zoom_rate, 3.0);
    EXPECT_TRUE(item.HandleMessage(Wheel(-120), { 150, 150 }));
    EXPECT_EQ(picture.GetParameters(), MandelbrotPicture::Parameters {});
}

TEST_F(MandelbrotItemTest, ShiftDragZoomsToARectangleOfTheItemsShape)
{
    MandelbrotItem& item = Add(Store({ { "Pos", "L100,T50,W200,H100" } }));
    MandelbrotPicture& picture = item.GetPicture();
    const QImage before = Render();
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonDown, true), { 120, 60 }));
    EXPECT_TRUE(picture.IsSelecting());
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::MouseMove, true), { 220, 80 }));
    // The drag (100, 20) becomes (2t, t) with the same diagonal length.
    const double t = std::sqrt((100.0 * 100 + 20 * 20) / 1.25);
    EXPECT_NEAR(picture.GetSelection().dx, t, 1e-3);
    EXPECT_NEAR(picture.GetSelection().dy, t * 0.5, 1e-3);
    // The rectangle is hatched over the picture.
    const QImage during = Render();
    for (const QPoint inside : { QPoint(130, 70), QPoint(200, 70), QPoint(130, 100) })
        EXPECT_NE(during.pixel(inside), before.pixel(inside)) << inside.x() << "," << inside.y();
    EXPECT_EQ(during.pixel(110, 55), before.pixel(110, 55));

    m_events.clear();
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonUp), { 220, 80 }));
    EXPECT_FALSE(picture.IsSelecting());
    EXPECT_NEAR(picture.GetParameters().zoom_rate, 3.0 * t / 200, 1e-6);
    EXPECT_EQ(Codes(), (std::vector<int> { ItemEvent::kReleaseCapture, ItemEvent::kChangeFinished }));
    // A release with nothing going on belongs to someone else.
    m_events.clear();
    EXPECT_FALSE(item.HandleMessage(Mouse(MessageKind::LButtonUp), { 10, 10 }));
    EXPECT_TRUE(m_events.empty());
}

TEST_F(MandelbrotItemTest, DoubleClickFillsThePageAndGoesBack)
{
    MandelbrotItem& item = Add(Store({ { "Pos", "L10,T20,W100,H50" } }));
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonDblClk), { 50, 40 }));
    EXPECT_TRUE(item.IsFillingPage());
    EXPECT_EQ(item.GetBounds(), QRectF(0, 0, 400, 300));
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonDblClk), { 300, 200 }));
    EXPECT_EQ(item.GetBounds(), QRectF(10, 20, 100, 50));
    EXPECT_EQ(item.GetAnchors()[Item::kRight], QStringLiteral("W100"));
    EXPECT_FALSE(item.HandleMessage(Mouse(MessageKind::LButtonDblClk), { 300, 200 }));

    // Made filling the page, it has no earlier place: it goes to the middle of the page.
    MandelbrotItem& filling = Add(Store({ { "Pos", "L0,T0,W100%,H100%" } }));
    EXPECT_TRUE(filling.IsFillingPage());
    EXPECT_TRUE(filling.HandleMessage(Mouse(MessageKind::LButtonDblClk), { 300, 200 }));
    EXPECT_EQ(filling.GetBounds(), QRectF(100, 75, 200, 150));
    EXPECT_TRUE(filling.HandleMessage(Mouse(MessageKind::LButtonDblClk), { 200, 150 }));
    EXPECT_EQ(filling.GetBounds(), QRectF(0, 0, 400, 300));

    // As wide as the page but not as high: a double click fills the page, and the next one
    // puts it back.
    MandelbrotItem& band = Add(Store({ { "Pos", "L0,T20,W100%,H50" } }));
    EXPECT_FALSE(band.IsFillingPage());
    EXPECT_TRUE(band.HandleMessage(Mouse(MessageKind::LButtonDblClk), { 200, 40 }));
    EXPECT_EQ(band.GetBounds(), QRectF(0, 0, 400, 300));
    EXPECT_TRUE(band.HandleMessage(Mouse(MessageKind::LButtonDblClk), { 200, 40 }));
    EXPECT_EQ(band.GetBounds(), QRectF(0, 20, 400, 50));
}

TEST_F(MandelbrotItemTest, DragMovesAndResizesByTheEdges)
{
    MandelbrotItem& item = Add(Store({ { "Pos", "L100,T100,W100,H50" } }));
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonDown), { 150, 120 }));
    EXPECT_EQ(item.Drag().Mode(), FreeDrag::kMove);
    EXPECT_EQ(Page().ActiveItem(), &item);
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::MouseMove), { 160, 100.5 }));
    EXPECT_EQ(item.GetBounds(), QRectF(110, 80.5, 100, 50));
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonUp), { 160, 100.5 }));
    EXPECT_FALSE(item.Drag().IsDragging());

    // The bottom-right corner moves both edges freely; a step to no width is ignored.
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonDown), { 209, 130 }));
    EXPECT_EQ(item.Drag().Mode(), FreeDrag::kRight + FreeDrag::kBottom);
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::MouseMove), { 259, 140 }));
    EXPECT_EQ(item.GetBounds(), QRectF(110, 80.5, 150, 60));
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::MouseMove), { 100, 140 }));
    EXPECT_EQ(item.GetBounds(), QRectF(110, 80.5, 150, 60));
    item.HandleMessage(Mouse(MessageKind::LButtonUp), { 100, 140 });

    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonDown), { 111, 100 }));
    EXPECT_EQ(item.Drag().Mode(), FreeDrag::kLeft);
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::MouseMove), { 61, 10 }));
    EXPECT_EQ(item.GetBounds(), QRectF(60, 80.5, 200, 60));
    item.HandleMessage(Mouse(MessageKind::LButtonUp), { 61, 10 });

    // Off the item a press lets go of the focus and does not take the message.
    EXPECT_EQ(Page().ActiveItem(), &item);
    EXPECT_FALSE(item.HandleMessage(Mouse(MessageKind::LButtonDown), { 5, 5 }));
    EXPECT_EQ(Page().ActiveItem(), nullptr);
}

struct SnapRow {
    const char* label;
    QPointF press; // from the item's top-left; 0 or the size is on the edge
    QPointF move;
    QRectF at_zoom_1;
    QRectF at_zoom_half;
    QRectF without_snapping;
};

// The item is at (100.5, 80.25), 100 × 50, among two others with edges at x 20.25, 50.25,
// 250.75, 290.75 and y 10.5, 30.5, 200.5, 230.5. A dragged edge and a moved left or right edge
// snap within 7 device pixels (14 page units at zoom 0.5); a moved top or bottom within 7 page
// units at any zoom.
TEST_F(MandelbrotItemTest, DragsSnapToOtherItemsAtFractionalPlacesAndZooms)
{
    const QRectF start(100.5, 80.25, 100, 50);
    const SnapRow rows[] = {
        // The right edge comes 10 from 250.75, the bottom 10 from 200.5.
        { "move", { 50, 25 }, { 40.25, 60.25 }, start.translated(40.25, 60.25), start.translated(50.25, 60.25),
            start.translated(40.25, 60.25) },
        // The bottom 5 from 200.5.
        { "move_close", { 50, 25 }, { 40.25, 65.25 }, start.translated(40.25, 70.25), start.translated(50.25, 70.25),
            start.translated(40.25, 65.25) },
        { "right", { 100, 25 }, { 40.25, 3 }, start.adjusted(0, 0, 40.25, 0), start.adjusted(0, 0, 50.25, 0),
            start.adjusted(0, 0, 40.25, 0) },
        // 4 from 200.5: taken at any zoom.
        { "bottom", { 30, 50 }, { 0, 74.25 }, start.adjusted(0, 0, 0, 70.25), start.adjusted(0, 0, 0, 70.25),
            start.adjusted(0, 0, 0, 74.25) },
        // The left edge 3 from 50.25, the top 10 from 30.5.
        { "top_left", { 0, 0 }, { -47.25, -39.75 }, QRectF(QPointF(50.25, 40.5), start.bottomRight()),
            QRectF(QPointF(50.25, 30.5), start.bottomRight()), QRectF(QPointF(53.25, 40.5), start.bottomRight()) },
        // No width or no height left: ignored, snapping or not.
        { "left_onto_right", { 0, 25 }, { 100, 0 }, start, start, start },
        { "top_past_bottom", { 50, 0 }, { 0, 60 }, start, start, start },
        { "bottom_right_past_top_left", { 100, 50 }, { -130, 20 }, start, start, start },
    };
    struct Setting {
        float zoom;
        bool snapping;
        QRectF SnapRow::*expected;
    };
    const Setting settings[] = {
        { 1.0f, true, &SnapRow::at_zoom_1 },
        { 0.5f, true, &SnapRow::at_zoom_half },
        { 1.0f, false, &SnapRow::without_snapping },
        { 0.5f, false, &SnapRow::without_snapping },
    };
    for (const Setting& setting : settings) {
        for (const SnapRow& row : rows) {
            Page().Clear();
            Page().SetSnapGrid(SnapGrid { setting.snapping, {}, {} });
            Page().SetZoom(setting.zoom);
            Add(Store({ { "Pos", "L250.75,T200.5,W40,H30" } }));
            Add(Store({ { "Pos", "L20.25,T10.5,W30,H20" } }));
            MandelbrotItem& item = Add(Store({ { "Pos", "L100.5,T80.25,W100,H50" } }));
            // Presses on an edge land a device pixel inside it.
            const auto inside = [&](double offset, double size) {
                const double pixel = 1 / double(setting.zoom);
                return offset <= 0 ? pixel : offset >= size ? size - pixel : offset;
            };
            const QPointF press(start.left() + inside(row.press.x(), start.width()),
                start.top() + inside(row.press.y(), start.height()));
            const QString label = QStringLiteral("%1 at zoom %2%3")
                                      .arg(QString::fromUtf8(row.label))
                                      .arg(double(setting.zoom))
                                      .arg(setting.snapping ? QString() : QStringLiteral(" without snapping"));
            ASSERT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonDown), press)) << label.toStdString();
            EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::MouseMove), press + row.move)) << label.toStdString();
            item.HandleMessage(Mouse(MessageKind::LButtonUp), press + row.move);
            const QRectF expected = row.*setting.expected;
            const QRectF bounds = item.GetBounds();
            EXPECT_NEAR(bounds.left(), expected.left(), 1e-3) << label.toStdString();
            EXPECT_NEAR(bounds.top(), expected.top(), 1e-3) << label.toStdString();
            EXPECT_NEAR(bounds.width(), expected.width(), 1e-3) << label.toStdString();
            EXPECT_NEAR(bounds.height(), expected.height(), 1e-3) << label.toStdString();
        }
    }
}

class MandelbrotDialogTest : public MandelbrotItemTest {
protected:
    void SetUp() override
    {
        MandelbrotItemTest::SetUp();
        auto runner = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = runner.get();
        SetDialogs(std::move(runner));
    }
    void TearDown() override { SetDialogs(nullptr); }

    ScriptedLayoutDialogs* m_dialogs { nullptr };
};

TEST_F(MandelbrotDialogTest, DialogShowsTheValuesAndAppliesChangesAtOnce)
{
    MandelbrotItem& item = Add(Store({ { "Pos", "L0,T0,W300,H300" }, { "ColorRate", "0,1,2,8" }, { "Min", "2" } }));
    Render();
    QStringList shown;
    MandelbrotPicture::Parameters during;
    QColor pixel_during;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        for (const char* name : { "Min", "Max", "KnobAR", "KnobRR", "KnobGR", "KnobBR", "KnobAS", "KnobRS", "KnobBI" })
            shown << dialog.Property(QString::fromUtf8(name), QStringLiteral("Value"));
        dialog.Change(QStringLiteral("KnobRR"), QStringLiteral("Value"), QStringLiteral("3.7"));
        dialog.Change(QStringLiteral("KnobGS"), QStringLiteral("Value"), QStringLiteral("100"));
        dialog.Change(QStringLiteral("KnobBI"), QStringLiteral("Value"), QStringLiteral("255"));
        dialog.Change(QStringLiteral("Max"), QStringLiteral("Value"), QStringLiteral("200"));
        during = item.GetPicture().GetParameters();
        pixel_during = QColor(m_page.GetCanvas().BackBuffer().pixel(299, 150));
        dialog.Press(QStringLiteral("Cancel"));
    });
    const MandelbrotPicture::Parameters before = item.GetPicture().GetParameters();
    EXPECT_FALSE(item.OpenProperties(QPoint(500, 400)));

    EXPECT_EQ(shown, QStringList({ "2", "255", "0", "0", "1", "3", "255", "0", "0" }));
    EXPECT_EQ(during.color_rate, (MandelbrotPicture::Channels { 0, 12, 2, 8 }));
    EXPECT_EQ(during.color_shift, (MandelbrotPicture::Channels { 255, 0, 100, 0 }));
    EXPECT_EQ(during.infinity_color, (MandelbrotPicture::Channels { 255, 0, 0, 255 }));
    EXPECT_EQ(during.max, 200);
    // Count 3 under the changed map (a rate of 2 to the 3.7 is 12), on the page while the
    // dialog is open.
    EXPECT_EQ(pixel_during, QColor(36, 106, 24));
    // Cancel puts everything back.
    EXPECT_EQ(item.GetPicture().GetParameters(), before);
    EXPECT_EQ(QColor(m_page.GetCanvas().BackBuffer().pixel(299, 150)), QColor(3, 6, 24));
    EXPECT_EQ(item.GetPicture().RenderCount(), 1);

    ASSERT_EQ(m_dialogs->Requests().size(), 1u);
    const LayoutDialogRequest& request = m_dialogs->Requests()[0];
    EXPECT_EQ(request.caption, QStringLiteral("マンデルブロ集合プロパティ"));
    EXPECT_EQ(request.size, QSize(320, 320));
    EXPECT_EQ(request.position, std::optional<QPoint>(QPoint(500, 240)));
    EXPECT_EQ(request.kind, CanvasKind::PropertyDialog);
    EXPECT_TRUE(m_dialogs->Failures().empty());
}

TEST_F(MandelbrotDialogTest, OkKeepsTheChangesAndReports)
{
    MandelbrotItem& item = Add(Store({ { "Pos", "L0,T0,W300,H300" } }));
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("KnobAR"), QStringLiteral("Value"), QStringLiteral("8"));
        dialog.Change(QStringLiteral("Min"), QStringLiteral("Value"), QStringLiteral("10"));
        dialog.Press(QStringLiteral("OK"));
    });
    m_events.clear();
    EXPECT_TRUE(item.OpenProperties(QPoint(0, 0)));
    EXPECT_EQ(item.GetPicture().GetParameters().color_rate[0], 256);
    EXPECT_EQ(item.GetPicture().GetParameters().min, 10);
    ASSERT_FALSE(m_events.empty());
    EXPECT_EQ(m_events.back().code, ItemEvent::kChanged);
}

TEST_F(MandelbrotDialogTest, ContextMenuOpensResetsAndDeletes)
{
    ScriptedUserPrompt& prompt = ScriptedUserPrompt::Install();
    MandelbrotItem& item = Add(Store({ { "Pos", "L0,T0,W300,H300" }, { "ZoomRate", "0.5" } }));
    Add(Store({ { "Pos", "L300,T0,W100,H100" } }));

    prompt.QueueMenuChoice(MandelbrotItem::kReset);
    m_events.clear();
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::RButtonUp), { 100, 100 }));
    EXPECT_EQ(item.GetPicture().GetParameters().zoom_rate, 3.0);
    EXPECT_EQ(Codes(), std::vector<int> { ItemEvent::kChangeFinished });
    ASSERT_EQ(prompt.Requests().size(), 1u);
    const PopupMenu& menu = prompt.Requests()[0].menu;
    ASSERT_EQ(menu.entries.size(), 4u);
    EXPECT_EQ(menu.entries[0].text, QStringLiteral("プロパティ(&P)"));
    EXPECT_EQ(menu.entries[1].text, QStringLiteral("リセット(&R)"));
    EXPECT_TRUE(menu.entries[2].separator);
    EXPECT_EQ(menu.entries[3].text, QStringLiteral("削除(&D)"));
    EXPECT_EQ(menu.entries[3].id, MandelbrotItem::kDelete);

    prompt.QueueMenuChoice(MandelbrotItem::kProperties);
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::RButtonUp), { 100, 100 }));
    EXPECT_EQ(m_dialogs->Requests().size(), 1u);

    prompt.QueueMenuChoice(std::nullopt);
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::RButtonUp), { 100, 100 }));
    EXPECT_FALSE(item.HandleMessage(Mouse(MessageKind::RButtonUp), { 350, 250 }));

    prompt.QueueMenuChoice(MandelbrotItem::kDelete);
    m_events.clear();
    // The change is reported once the item is off the page, so the page it reports holds it
    // no more.
    int items_at_report = -1;
    Page().SetEventHandler([&](const ItemEvent& event) {
        m_events.push_back(event);
        items_at_report = Page().ItemCount();
        return true;
    });
    EXPECT_TRUE(item.HandleMessage(Mouse(MessageKind::RButtonUp), { 100, 100 }));
    EXPECT_EQ(Page().ItemCount(), 1);
    EXPECT_EQ(items_at_report, 1);
    ASSERT_EQ(m_events.size(), 1u);
    EXPECT_EQ(m_events[0].code, ItemEvent::kChangeFinished);
    EXPECT_TRUE(m_events[0].text.isEmpty());
    SetPrompt(nullptr);
}

TEST_F(MandelbrotItemTest, HostileValuesDrawNothingOrSomethingButDoNotFail)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const char* positions[] = { "L0,T0,W-50,H20", "L0,T0,W1e30,H1e30", "L0,T0,W100000,H100000", "L0,T0,W40000000,H1", "L0,T0,W0.5,H3",
        "L1e38,T-1e38,W10,H10" };
    for (const char* pos : positions) {
        MandelbrotItem& item = Add(Store({ { "Pos", pos }, { "Shift", "1e308,-1e308" }, { "Min", "-5" },
            { "Max", "99999" }, { "ColorRate", "2147483647,-2147483647,7,8" } }));
        Render();
        EXPECT_LE(qint64(item.GetPicture().Bitmap().width()) * item.GetPicture().Bitmap().height(),
            MandelbrotPicture::kMaxPixels)
            << pos;
        Page().Clear();
    }
    // Beyond the range of doubles: the view's points are infinite or not numbers at all.
    MandelbrotItem& far = Add(Store({ { "Pos", "L0,T0,W50,H50" }, { "Shift", "1e400,-1e400" }, { "ZoomRate", "1e400" } }));
    EXPECT_EQ(far.GetPicture().GetParameters().zoom_rate, 3.0);
    Render();
    EXPECT_EQ(far.GetPicture().Bitmap().size(), QSize(50, 50));
    Page().Clear();
    MandelbrotItem& item = Add(Store({ { "Pos", "L0,T0,W50,H50" } }));
    item.GetPicture().SetShift(nan, nan);
    Render();
    EXPECT_EQ(item.GetPicture().CountAt(10, 10), 255);
    EXPECT_EQ(item.GetPicture().GetParameters(), item.GetPicture().GetParameters());
}

// The page context menu makes an item from an empty section and places it at the pointer.
TEST_F(MandelbrotItemTest, EmptySectionMadeAtAPlaceWorks)
{
    MandelbrotItem& item = Add(KeyValueStore());
    item.SetAnchor(Item::kLeft, QStringLiteral("L40.000000"));
    item.SetAnchor(Item::kTop, QStringLiteral("T30.000000"));
    item.SetAnchor(Item::kRight, QStringLiteral("W200.000000"));
    item.SetAnchor(Item::kBottom, QStringLiteral("H200.000000"));
    const QImage page = Render();
    EXPECT_EQ(item.GetPicture().Bitmap().size(), QSize(200, 200));
    // c = 0 at two thirds across and half way down.
    EXPECT_EQ(QColor(page.pixel(40 + 133, 30 + 100)), QColor(0, 0, 0));
    EXPECT_EQ(QColor(page.pixel(40, 30)), QColor(1, 2, 4));
    QString text;
    Page().SaveItems(text);
    EXPECT_TRUE(text.contains(QStringLiteral("ZoomRate=3\r\nColorRate=0,1,2,4\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("Pos=L40.000000,T30.000000,W200.000000,H200.000000\r\n\r\n")));
}

TEST(MandelbrotRenderTest, RenderWorkersFillEveryRowWithTheExactCounts)
{
    const MandelbrotView view { 0.05, -14.6, 1.9, 97, 61 };
    std::vector<std::uint8_t> counts(97 * 61, 0);
    MandelbrotPicture::ComputeCounts(view, counts.data());
    const MandelbrotEscape escape(view);
    std::vector<std::uint8_t> row(97);
    int differences = 0;
    for (int y = 0; y < 61; ++y) {
        escape.ComputeRow(y, row.data(), MandelbrotEscape::Path::Exact);
        for (int x = 0; x < 97; ++x)
            differences += row[x] != counts[std::size_t(y) * 97 + x];
    }
    EXPECT_EQ(differences, 0);
}

// A worker that takes a row and then does not get to run: the finishing thread computes that
// row as well, and what the worker brings late changes nothing.
TEST(MandelbrotRenderTest, RowsHeldByAStalledWorkerAreComputedAgain)
{
    const MandelbrotView view { 3.0, -0.6666666666666666, -0.5, 40, 30 };
    MandelbrotRender render(view);
    int held = -1;
    ASSERT_TRUE(render.TakeRow(held, false));
    render.Finish();
    EXPECT_TRUE(render.AllDone());
    const std::vector<std::uint8_t> late(40, 99);
    render.FinishRow(held, late.data());
    int row = 0;
    EXPECT_FALSE(render.TakeRow(row, true));
    std::vector<std::uint8_t> counts(40 * 30, 0);
    const MandelbrotRender::Progress progress = render.TakeFinishedRows(counts.data());
    EXPECT_TRUE(progress.complete);
    EXPECT_EQ(progress.first, 0);
    EXPECT_EQ(progress.last, 29);

    std::vector<std::uint8_t> expected(40 * 30);
    const MandelbrotEscape escape(view);
    for (int y = 0; y < 30; ++y)
        escape.ComputeRow(y, expected.data() + y * 40, MandelbrotEscape::Path::Exact);
    EXPECT_EQ(counts, expected);
}

// The user-interface thread never polls for the render workers: small renders follow each
// other at once, where a wait of 100 ms each would take a second.
TEST_F(MandelbrotItemTest, SmallRendersDoNotWaitForAPollingPeriod)
{
    std::vector<std::uint8_t> counts(4 * 4);
    QElapsedTimer timer;
    timer.start();
    for (int render = 0; render < 10; ++render)
        MandelbrotPicture::ComputeCounts(MandelbrotView { 3.0, -0.6666666666666666, -0.5, 4, 4 }, counts.data());
    EXPECT_LT(timer.elapsed(), 900);
    EXPECT_EQ(counts[0], 1);
}

}
