#include "noteitems/MandelbrotItem.h"

#include "items/OffscreenCanvas.h"
#include "items/RepaintCheck.h"
#include "items/TestItems.h"
#include "noteitems/ItemFactories.h"
#include "noteitems/MandelbrotCounts.h"
#include "noteitems/MandelbrotPlainCounts.h"
#include "noteitems/MandelbrotRender.h"
#include "platform/Message.h"
#include "text/KeyValueStore.h"
#include "text/SectionDocument.h"

#include <QColor>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

// A picture in a window never makes the window wait: the old picture stays, carried over to the
// new view, rows arrive as the workers finish them, a new zoom restarts the render, and the
// finished picture is the one a render from scratch gives. The tests ration the workers' rows
// to look at a render part way.
namespace {

constexpr quint32 kBackground = 0xFF336699;

Message Wheel(int delta)
{
    Message message;
    message.kind = MessageKind::MouseWheel;
    message.wheel_delta = delta;
    return message;
}

KeyValueStore Store(std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    KeyValueStore store;
    for (const auto& [key, value] : pairs)
        store.Set(QString::fromUtf8(key), QString::fromUtf8(value));
    return store;
}

// A background brush and a picture over it.
MandelbrotItem& AddScene(Canvas& canvas, const KeyValueStore& picture)
{
    ItemFactories::RegisterAll();
    ItemFactories::AddFromSection(canvas, QStringLiteral("BackBrush"),
        Store({ { "Pos", "L0,T0,R0,B0" }, { "Color", "0xFF336699" } }));
    EXPECT_TRUE(ItemFactories::AddFromSection(canvas, QStringLiteral("Mandelbrot"), picture));
    return dynamic_cast<MandelbrotItem&>(*canvas.ItemAt(canvas.ItemCount() - 1));
}

constexpr auto PlainCounts = &MandelbrotPlain::Counts;

std::vector<std::uint8_t> CountsOf(const MandelbrotPicture& picture)
{
    return MandelbrotPlain::Shown(picture.Counts());
}

int KnownRows(const MandelbrotPicture& picture)
{
    int rows = 0;
    for (int y = 0; y < picture.Counts().View().height; ++y)
        rows += picture.CountAt(0, y) != MandelbrotCounts::kUnknown;
    return rows;
}

bool WaitForRender(const MandelbrotPicture& picture)
{
    return QTest::qWaitFor([&] { return !picture.IsRendering(); }, 60000);
}

// Waits on this thread, without answering any notice, until the workers have done so many rows.
bool WaitForDoneRows(const std::shared_ptr<MandelbrotRender>& render, int rows)
{
    for (int wait = 0; wait < 6000; ++wait) {
        if (render->DoneRows() >= rows)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// The canvas of a window: a render there never waits.
class MandelbrotProgressTest : public ::testing::Test {
protected:
    void Show(const RepaintCheck::View& view)
    {
        m_canvas.ResizeBackBuffer(view.size.width(), view.size.height(), view.ratio);
        RepaintCheck::Show(m_canvas, view);
    }
    ~MandelbrotProgressTest() override
    {
        MandelbrotRender::RationRows(-1);
        m_canvas.Clear();
    }

    TestItems::RecordingHost m_host;
    Canvas m_canvas { CanvasKind::Page, &m_host };
};

TEST_F(MandelbrotProgressTest, RowsArriveAndTheFinishedPictureIsARenderFromScratch)
{
    // At zoom 0.5 on a screen of one device pixel per pixel the picture is computed at the
    // device size and drawn unscaled.
    const RepaintCheck::View views[] = { { 1, 1, { 400, 300 } }, { 2, 0.5f, { 400, 300 } }, { 1, 0.5f, { 400, 300 } },
        { 1.5, 0.75f, { 400, 300 } } };
    const KeyValueStore section = Store({ { "Pos", "L10.5,T20.25,W300.5,H201.8" }, { "ZoomRate", "1.5" } });
    for (const RepaintCheck::View& view : views) {
        const std::string label = RepaintCheck::Describe(view);
        m_canvas.Clear();
        Show(view);
        MandelbrotRender::RationRows(0);
        MandelbrotItem& item = AddScene(m_canvas, section);
        const MandelbrotPicture& picture = item.GetPicture();
        ASSERT_TRUE(m_canvas.RenderVisibleArea(OpaqueShortcut::On));

        // Nothing is known yet: the page shows through.
        ASSERT_TRUE(picture.IsRendering()) << label;
        const QPoint middle = m_canvas.ToDevice(item.GetBounds().center()).toPoint() * view.ratio;
        EXPECT_EQ(m_canvas.BackBuffer().pixel(middle), kBackground) << label;

        // Five rows, from the top, and nothing below them.
        MandelbrotRender::RationRows(5);
        ASSERT_TRUE(QTest::qWaitFor([&] { return KnownRows(picture) == 5; }, 60000)) << label;
        for (int y = 0; y < 5; ++y)
            EXPECT_NE(picture.CountAt(picture.Counts().View().width - 1, y), MandelbrotCounts::kUnknown) << label;
        EXPECT_EQ(picture.CountAt(0, 5), MandelbrotCounts::kUnknown) << label;
        EXPECT_NE(m_canvas.BackBuffer().pixel(m_canvas.ToDevice(item.GetBounds().topLeft() + QPointF(150, 1)).toPoint() * view.ratio),
            kBackground)
            << label;
        EXPECT_EQ(m_canvas.BackBuffer().pixel(middle), kBackground) << label;

        MandelbrotRender::RationRows(-1);
        ASSERT_TRUE(WaitForRender(picture)) << label;
        // The same picture as an export makes, and the window's pixels as a full repaint.
        const RepaintCheck::Scene scene = [&](Canvas& canvas) { AddScene(canvas, section); };
        const QImage fresh = RepaintCheck::Fresh(view, scene, [](Canvas&) {});
        OffscreenCanvas reference(view.size, CanvasKind::Page, view.ratio);
        RepaintCheck::Show(reference.GetCanvas(), view);
        const MandelbrotItem& exported = AddScene(reference.GetCanvas(), section);
        reference.Render();
        EXPECT_EQ(picture.Bitmap(), exported.GetPicture().Bitmap()) << label;
        EXPECT_EQ(RepaintCheck::FirstDifference(m_canvas.BackBuffer(), fresh, 0), "") << label;
        EXPECT_EQ(picture.RenderCount(), 1) << label;
        EXPECT_EQ(picture.Counts().RenderedRows(), picture.Counts().View().height) << label;
    }
}

// A notch in halves the view about its centre: until the rows come, pixel (x, y) shows the old
// pixel under its centre, (x + 1/2) / 2 + W / 4; a notch out shows the old picture in the middle
// and the page around it. The render that ends the zooms gives the plain loop's counts.
TEST_F(MandelbrotProgressTest, ZoomsShowTheOldPictureCarriedOverUntilTheRowsReplaceIt)
{
    Show({ 1, 1, { 400, 300 } });
    MandelbrotItem& item = AddScene(m_canvas, Store({ { "Pos", "L20,T10,W300,H200" } }));
    const MandelbrotPicture& picture = item.GetPicture();
    m_canvas.RenderVisibleArea(OpaqueShortcut::On);
    ASSERT_TRUE(WaitForRender(picture));
    const std::vector<std::uint8_t> old = CountsOf(picture);
    m_canvas.SetActiveItem(&item);

    MandelbrotRender::RationRows(0);
    ASSERT_TRUE(item.HandleMessage(Wheel(120), { 170, 110 }));
    ASSERT_TRUE(picture.IsRendering());
    int differences = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            differences += picture.CountAt(x, y) != old[std::size_t(y / 2 + 50) * 300 + std::size_t(x / 2 + 75)];
    EXPECT_EQ(differences, 0);
    // On the screen: bitmap pixel (x, y) at device (20 + x, 10 + y), inside the selection frame.
    for (const QPoint pixel : { QPoint(5, 5), QPoint(151, 99), QPoint(290, 190), QPoint(37, 180) }) {
        const int count = old[std::size_t(pixel.y() / 2 + 50) * 300 + std::size_t(pixel.x() / 2 + 75)];
        EXPECT_EQ(m_canvas.BackBuffer().pixel(pixel + QPoint(20, 10)), qPremultiply(picture.ColorOf(count)))
            << pixel.x() << "," << pixel.y();
    }

    // A notch out, back to the first view: the middle half shows the old picture (carried over
    // twice), the page shows around it, also after a change of colours.
    ASSERT_TRUE(item.HandleMessage(Wheel(-120), { 170, 110 }));
    item.GetPicture().SetColor(0, 1, 3);
    m_canvas.Refresh(item);
    EXPECT_EQ(picture.CountAt(74, 100), MandelbrotCounts::kUnknown);
    EXPECT_EQ(picture.CountAt(75, 49), MandelbrotCounts::kUnknown);
    EXPECT_EQ(m_canvas.BackBuffer().pixel(20 + 10, 10 + 10), kBackground);
    EXPECT_EQ(m_canvas.BackBuffer().pixel(20 + 290, 10 + 190), kBackground);
    for (const QPoint pixel : { QPoint(75, 50), QPoint(150, 100), QPoint(224, 149) }) {
        const int count = old[std::size_t(pixel.y()) * 300 + std::size_t(pixel.x())];
        EXPECT_EQ(picture.CountAt(pixel.x(), pixel.y()), count);
        EXPECT_EQ(m_canvas.BackBuffer().pixel(pixel + QPoint(20, 10)), qPremultiply(picture.ColorOf(count)));
    }

    MandelbrotRender::RationRows(-1);
    ASSERT_TRUE(WaitForRender(picture));
    EXPECT_EQ(picture.Counts().View().zoom_rate, 3.0L);
    EXPECT_EQ(CountsOf(picture), PlainCounts(picture.Counts().View()));
    EXPECT_EQ(CountsOf(picture), old);
}

// Rows of a render that a new zoom interrupted never land in the new view, even when their
// notice is still on its way; the render that finally runs gives the plain loop's counts.
TEST_F(MandelbrotProgressTest, ZoomingAgainDuringARenderRestartsIt)
{
    Show({ 1, 1, { 400, 300 } });
    MandelbrotItem& item = AddScene(m_canvas, Store({ { "Pos", "L20.5,T10.25,W300,H200" }, { "ZoomRate", "0.5" } }));
    const MandelbrotPicture& picture = item.GetPicture();
    m_canvas.RenderVisibleArea(OpaqueShortcut::On);
    ASSERT_TRUE(WaitForRender(picture));
    m_canvas.SetActiveItem(&item);

    MandelbrotRender::RationRows(3);
    ASSERT_TRUE(item.HandleMessage(Wheel(120), { 170, 110 }));
    const std::shared_ptr<MandelbrotRender> first = picture.Counts().Render();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(WaitForDoneRows(first, 3));
    const MandelbrotView first_view = picture.Counts().View();
    const std::vector<std::uint8_t> carried = CountsOf(picture);

    ASSERT_TRUE(item.HandleMessage(Wheel(120), { 170, 110 }));
    EXPECT_TRUE(first->IsCancelled());
    EXPECT_NE(picture.Counts().Render(), first);
    std::vector<std::uint8_t> expected(carried.size());
    MandelbrotCounts::Carry(first_view, carried.data(), picture.Counts().View(), expected.data());
    // The first render's notice is answered now: nothing of it lands.
    QTest::qWait(50);
    EXPECT_EQ(CountsOf(picture), expected);

    MandelbrotRender::RationRows(-1);
    ASSERT_TRUE(WaitForRender(picture));
    EXPECT_EQ(picture.Counts().View().zoom_rate, 0.125L);
    EXPECT_EQ(CountsOf(picture), PlainCounts(picture.Counts().View()));
}

// The item goes while its workers compute, with a notice on its way: the workers end and the
// notice is dropped. Deleted on its own, or with the whole page as when the page changes.
TEST_F(MandelbrotProgressTest, TheItemMayGoWhileItRenders)
{
    Show({ 1, 1, { 400, 300 } });
    for (const bool whole_page : { false, true }) {
        // Deep in the set's edge: every pixel iterates to the end, so the render takes a while.
        MandelbrotItem& item = AddScene(m_canvas, Store({ { "Pos", "L0,T0,W400,H300" }, { "ZoomRate", "1e-17" },
                                                           { "Shift", "-55773291527786903.356,13182590420531196.549" } }));
        MandelbrotRender::RationRows(2);
        m_canvas.RenderVisibleArea(OpaqueShortcut::On);
        std::shared_ptr<MandelbrotRender> running = item.GetPicture().Counts().Render();
        ASSERT_NE(running, nullptr);
        ASSERT_TRUE(WaitForDoneRows(running, 2));
        if (whole_page)
            m_canvas.Clear();
        else
            m_canvas.RemoveItem(&item);
        EXPECT_TRUE(running->IsCancelled());
        const std::weak_ptr<MandelbrotRender> render = running;
        running.reset();
        MandelbrotRender::RationRows(-1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return render.expired(); }, 60000)) << whole_page;
        QTest::qWait(20);
    }
}

struct DamagedRow {
    const char* shift;
    const char* zoom_rate;
    long double read_zoom_rate;
};

// Values a damaged or hand-edited note may hold: not numbers, beyond the range of doubles or of
// extended precision, a lone sign. They read as numbers (0 where there is none), the picture
// renders in the window and in an export, zooms, and its note reads back.
TEST_F(MandelbrotProgressTest, DamagedViewValuesNeverFail)
{
    Show({ 1, 1, { 200, 150 } });
    const DamagedRow rows[] = {
        { "NaN,-", "NaN", 3 },
        { "-,+", "-", 3 },
        { "1e4000,-1e4000", "1e4000", 3 },
        { "1e5000,-1e5000", "1e-5000", 3 },
        { "-0.6666666666666666,1e-4000", "1e-4000", 3 },
        { "1e300,-7", "2.2250738585072014e-309", 3 },
        { "12,", "1e-300", 1e-300L },
    };
    for (const DamagedRow& row : rows) {
        m_canvas.Clear();
        QString text;
        {
            MandelbrotItem& item = AddScene(m_canvas,
                Store({ { "Pos", "L10.5,T5.25,W120,H90" }, { "Shift", row.shift }, { "ZoomRate", row.zoom_rate } }));
            EXPECT_EQ(item.GetPicture().GetParameters().zoom_rate, row.read_zoom_rate) << row.shift << " " << row.zoom_rate;
            m_canvas.SetActiveItem(&item);
            m_canvas.RenderVisibleArea(OpaqueShortcut::On);
            for (const int delta : { 120, 120, -360, 240 })
                item.HandleMessage(Wheel(delta), item.GetBounds().center());
            ASSERT_TRUE(WaitForRender(item.GetPicture())) << row.shift;
            m_canvas.SaveItems(text);
        }
        for (int cycle = 0; cycle < 2; ++cycle) {
            SectionDocument document;
            ASSERT_TRUE(ParseSectionText(QStringView(text), document));
            OffscreenCanvas page(QSize(200, 150));
            ASSERT_EQ(document.Count(), 1);
            ASSERT_TRUE(ItemFactories::AddFromSection(page.GetCanvas(), document.Name(0), document.Store(0)));
            EXPECT_FALSE(page.Render().isNull());
            text.clear();
            page.GetCanvas().SaveItems(text);
        }
    }
}

// An export waits for the whole picture and does not depend on the workers getting to run.
TEST_F(MandelbrotProgressTest, ExportsGetTheWholePictureWhateverTheWorkersDo)
{
    MandelbrotRender::RationRows(0);
    OffscreenCanvas page(QSize(200, 100));
    const MandelbrotItem& item = AddScene(page.GetCanvas(), Store({ { "Pos", "L0.5,T0,W150,H100" } }));
    page.Render();
    EXPECT_FALSE(item.GetPicture().IsRendering());
    EXPECT_EQ(CountsOf(item.GetPicture()), PlainCounts(item.GetPicture().Counts().View()));
}

}
