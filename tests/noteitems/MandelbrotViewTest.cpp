#include "noteitems/MandelbrotItem.h"

#include "items/OffscreenCanvas.h"
#include "noteitems/ItemFactories.h"
#include "platform/Message.h"
#include "text/SectionDocument.h"
#include "text/ValueForms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

// The view of a deep zoom: kept in extended precision, read and written with every digit, and
// moved by the wheel and the Shift-drag rectangle without losing its place.
namespace {

#if defined(__SIZEOF_FLOAT128__)
using Wide = __float128; // far finer than a pixel of any view tested here
#else
using Wide = long double;
#endif

// A point on the edge of the set, in the valley between the main body and the bulb on top.
constexpr long double kTargetX = -0.743643887037158704752191506114774L;
constexpr long double kTargetY = 0.131825904205311970493132056385139L;

struct Point {
    Wide x { 0 };
    Wide y { 0 };
};

Message Wheel(int delta)
{
    Message message;
    message.kind = MessageKind::MouseWheel;
    message.wheel_delta = delta;
    return message;
}

Message Mouse(MessageKind kind, bool shift)
{
    Message message;
    message.kind = kind;
    message.shift = shift;
    return message;
}

MandelbrotItem* Load(Canvas& canvas, const QString& text)
{
    SectionDocument document;
    if (!ParseSectionText(QStringView(text), document))
        return nullptr;
    for (int index = 0; index < document.Count(); ++index)
        ItemFactories::AddFromSection(canvas, document.Name(index), document.Store(index));
    return canvas.ItemCount() > 0 ? dynamic_cast<MandelbrotItem*>(canvas.ItemAt(canvas.ItemCount() - 1)) : nullptr;
}

// A page of the given size shown at a zoom, without a back buffer: the zooms repaint nothing,
// so no picture is computed.
std::unique_ptr<Canvas> Page(QSizeF size, float zoom = 1)
{
    auto page = std::make_unique<Canvas>(CanvasKind::Page);
    page->SetLayoutSize(float(size.width()), float(size.height()));
    page->SetDpi(Canvas::kDefaultScreenDpi);
    page->SetZoom(zoom);
    return page;
}

QString Saved(const Canvas& canvas)
{
    QString text;
    canvas.SaveItems(text);
    return text;
}

// The section of a view centred on the target, for an item of the given pixel size.
QString CentredSection(long double zoom_rate, QSize pixels, const QString& position)
{
    const long double step = zoom_rate / std::min(pixels.width(), pixels.height());
    const long double shift_x = (kTargetX - step * pixels.width() / 2) / (step * pixels.width());
    const long double shift_y = (kTargetY - step * pixels.height() / 2) / (step * pixels.height());
    return QStringLiteral("[Mandelbrot]\r\nShift=%1,%2\r\nZoomRate=%3\r\nPos=%4\r\n\r\n")
        .arg(FormatExtended(shift_x), FormatExtended(shift_y), FormatExtended(zoom_rate), position);
}

Wide Step(const MandelbrotPicture& picture)
{
    const QSize pixels = picture.PixelSize();
    return Wide(picture.GetParameters().zoom_rate) / std::min(pixels.width(), pixels.height());
}

// The top-left corner of the view in the complex plane, taken exactly from the stored values.
Point Corner(const MandelbrotPicture& picture)
{
    const QSize pixels = picture.PixelSize();
    const MandelbrotPicture::Parameters& p = picture.GetParameters();
    return { Step(picture) * pixels.width() * Wide(p.shift_x), Step(picture) * pixels.height() * Wide(p.shift_y) };
}

Point Centre(const MandelbrotPicture& picture)
{
    const QSize pixels = picture.PixelSize();
    const Point corner = Corner(picture);
    return { corner.x + Step(picture) * pixels.width() / 2, corner.y + Step(picture) * pixels.height() / 2 };
}

// How far apart two points are in pixels of the picture's view.
double PixelsApart(const Point& a, const Point& b, const MandelbrotPicture& picture)
{
    const Wide dx = (a.x - b.x) / Step(picture);
    const Wide dy = (a.y - b.y) / Step(picture);
    return std::hypot(double(dx), double(dy));
}

struct DepthRow {
    const char* position;
    long double zoom_rate;
    QSize pixels; // computed at the screen's resolution: the page is shown at 0.75
};

// Notches in and out, several at once, ending at the depth of the row.
TEST(MandelbrotViewTest, WheelNotchesKeepTheCentreWithinAPixelAtDepth)
{
    ItemFactories::RegisterAll();
    const DepthRow rows[] = {
        { "L0,T0,W100%,H100%", 1e-15L, { 750, 450 } },
        { "L0,T0,W100%,H100%", 1e-17L, { 750, 450 } },
        { "L10.5,T20.25,W700.5,H400.75", 1e-15L, { 525, 300 } },
        { "L10.5,T20.25,W700.5,H400.75", 1e-17L, { 525, 300 } },
    };
    const int notches[] = { 120, 120, -120, 240, -360, 360 };
    for (const DepthRow& row : rows) {
        const std::unique_ptr<Canvas> page = Page(QSizeF(1000, 600), 0.75f);
        // Made at the widest view first to learn its pixel size.
        MandelbrotItem* probe = Load(*page, CentredSection(3, {}, QString::fromUtf8(row.position)));
        ASSERT_NE(probe, nullptr);
        const QSize pixels = probe->GetPicture().PixelSize();
        ASSERT_EQ(pixels, row.pixels) << row.position;
        page->Clear();
        MandelbrotItem* item = Load(*page, CentredSection(row.zoom_rate * 8, pixels, QString::fromUtf8(row.position)));
        ASSERT_NE(item, nullptr);
        const MandelbrotPicture& picture = item->GetPicture();
        page->SetActiveItem(item);
        const Point start = Centre(picture);
        ASSERT_LT(PixelsApart(start, { kTargetX, kTargetY }, picture), 1) << row.position;
        for (const int delta : notches) {
            const long double before = picture.GetParameters().zoom_rate;
            ASSERT_TRUE(item->HandleMessage(Wheel(delta), item->GetBounds().center()));
            EXPECT_EQ(picture.GetParameters().zoom_rate, std::ldexp(before, -delta / 120)) << row.position;
            EXPECT_LT(PixelsApart(Centre(picture), start, picture), 1)
                << row.position << " at " << double(picture.GetParameters().zoom_rate);
        }
        EXPECT_EQ(picture.GetParameters().zoom_rate, row.zoom_rate);
    }
}

// The rectangle's corner becomes the view's corner, to a small part of a pixel, at depth.
TEST(MandelbrotViewTest, ShiftDragRectangleLandsWhereItWasDrawnAtDepth)
{
    ItemFactories::RegisterAll();
    const std::unique_ptr<Canvas> page = Page(QSizeF(1000, 600));
    MandelbrotItem* item = Load(*page, CentredSection(1e-15L, QSize(1000, 600), QStringLiteral("L0,T0,W1000,H600")));
    ASSERT_NE(item, nullptr);
    const MandelbrotPicture& picture = item->GetPicture();
    const Point corner = Corner(picture);
    const Wide step = Step(picture);
    ASSERT_TRUE(item->HandleMessage(Mouse(MessageKind::LButtonDown, true), { 300.5, 200.25 }));
    ASSERT_TRUE(item->HandleMessage(Mouse(MessageKind::MouseMove, true), { 520.75, 330.5 }));
    const MandelbrotPicture::Selection selection = picture.GetSelection();
    item->HandleMessage(Mouse(MessageKind::LButtonUp, false), { 520.75, 330.5 });

    // A page unit is a pixel here.
    const Point expected { corner.x + Wide(selection.x0) * step, corner.y + Wide(selection.y0) * step };
    EXPECT_NEAR(double(picture.GetParameters().zoom_rate), 1e-15 * selection.dx / 1000, 1e-15 * 1e-6);
    EXPECT_LT(PixelsApart(Corner(picture), expected, picture), 0.5);
}

struct NoteRow {
    const char* label;
    QString view; // the Shift and ZoomRate lines
    long double shift_x;
    long double shift_y;
    long double zoom_rate;
};

// Notes written when the view was kept in doubles hold 32 digits of each double: they read to
// exactly those doubles and are saved with the same text. More digits than a double holds are
// kept through any number of cycles.
TEST(MandelbrotViewTest, NotesReadEveryDigitAndSaveTheSameText)
{
    ItemFactories::RegisterAll();
    const NoteRow rows[] = {
        { "deep double", QStringLiteral("Shift=-0.74364388703715866846266635548091,0.13182590420539880282646549858327\r\n"
                                        "ZoomRate=1.2345678901234566601633571917395e-14\r\n"),
            -0.74364388703715866846266635548091, 0.13182590420539880282646549858327,
            1.2345678901234566601633571917395e-14 },
        { "default", QStringLiteral("Shift=-0.66666666666666662965923251249478,-0.5\r\nZoomRate=3\r\n"), -0.6666666666666666,
            -0.5, 3 },
        { "beyond a double",
            QStringLiteral("Shift=-45146727658707823.84375,8003191278082561.375\r\nZoomRate=") + FormatExtended(1e-17L)
                + QStringLiteral("\r\n"),
            -45146727658707823.84375L, 8003191278082561.375L, 1e-17L },
    };
    for (const NoteRow& row : rows) {
        const QString text = QStringLiteral("[Mandelbrot]\r\n") + row.view
            + QStringLiteral("ColorRate=0,1,2,4\r\nColorShift=255,0,0,0\r\nInfinityColor=255,0,0,0\r\nMin=0\r\nMax=255\r\n"
                             "Pos=L0,T0,L30,T20\r\nPos=L0,T0,W30,H20\r\n\r\n");
        QString cycled = text;
        for (int cycle = 0; cycle < 3; ++cycle) {
            OffscreenCanvas page(QSize(40, 30));
            MandelbrotItem* item = Load(page.GetCanvas(), cycled);
            ASSERT_NE(item, nullptr);
            const MandelbrotPicture::Parameters& p = item->GetPicture().GetParameters();
            EXPECT_EQ(p.shift_x, row.shift_x) << row.label;
            EXPECT_EQ(p.shift_y, row.shift_y) << row.label;
            EXPECT_EQ(p.zoom_rate, row.zoom_rate) << row.label;
            page.Render();
            cycled = Saved(page.GetCanvas());
            EXPECT_EQ(cycled, text) << row.label << " cycle " << cycle;
        }
    }
    // The deep row really holds more than a double.
    EXPECT_NE(static_cast<long double>(static_cast<double>(rows[2].shift_x)), rows[2].shift_x);
    EXPECT_NE(static_cast<long double>(static_cast<double>(rows[2].zoom_rate)), rows[2].zoom_rate);
}

}
