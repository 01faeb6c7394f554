#include "items/LayoutResources.h"

#include "items/Canvas.h"
#include "items/Item.h"
#include "noteitems/ItemFactories.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace {

QStringList NamesOf(const Canvas& canvas)
{
    QStringList names;
    for (int index = 0; index < canvas.ItemCount(); ++index)
        if (!canvas.ItemAt(index)->Name().isEmpty())
            names << canvas.ItemAt(index)->Name();
    return names;
}

struct LayoutRow {
    LayoutResource id;
    CanvasKind kind;
    int items;
    QStringList names; // the named widgets, in painting order
};

class MainWindowLayoutsTest : public ::testing::TestWithParam<LayoutRow> { };

}

TEST_P(MainWindowLayoutsTest, BuildsEveryWidgetByName)
{
    ItemFactories::RegisterAll();
    const LayoutRow& row = GetParam();
    const QString text = LoadLayoutText(row.id);
    // Layouts are kept with CR LF line ends; a lone LF would make one long line of them.
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), text.count(QLatin1Char('\n')));
    Canvas canvas(row.kind);
    ASSERT_TRUE(BuildLayout(canvas, row.id, ProgramFolder()));
    EXPECT_EQ(canvas.ItemCount(), row.items);
    EXPECT_EQ(NamesOf(canvas), row.names);
}

INSTANTIATE_TEST_SUITE_P(
    Resources, MainWindowLayoutsTest,
    ::testing::Values(
        LayoutRow { LayoutResource::Frame, CanvasKind::Page, 6,
                    { "Client", "FrameG", "FrameT", "FrameL", "FrameB", "FrameR" } },
        LayoutRow { LayoutResource::ToolBar, CanvasKind::Panel, 18,
                    { "About", "ClearPage", "ClearNote", "OpenNote", "OpenImage", "SaveNote", "SavePage", "UndoNote",
                      "RedoNote", "ProgressBar", "BackColor", "FrameColor", "GridSize" } },
        LayoutRow { LayoutResource::PageBar, CanvasKind::Panel, 20,
                    { "ViewerWidth", "ViewerHeight", "Zoom", "Dpi", "PrevPage", "NextPage", "TopPage", "EndPage",
                      "LockPage", "ThisPage", "MaxPage", "Status" } }));

TEST(MainWindowLayoutsTest, FrameLayoutCoversThePageAndItsMargins)
{
    ItemFactories::RegisterAll();
    Canvas canvas(CanvasKind::Page);
    ASSERT_TRUE(BuildLayout(canvas, LayoutResource::Frame, ProgramFolder()));
    canvas.ResizeBackBuffer(800, 600);
    canvas.SetLayoutSize(400, 300);
    canvas.SetScroll(-200, -150); // the page in the middle of the window
    const QRectF page(0, 0, 400, 300);
    EXPECT_EQ(canvas.FindItem(QStringLiteral("Client"))->GetBounds(), page);
    EXPECT_EQ(canvas.FindItem(QStringLiteral("FrameG"))->GetBounds(), page);
    EXPECT_EQ(canvas.FindItem(QStringLiteral("FrameT"))->GetBounds(), QRectF(-200, -150, 800, 150));
    EXPECT_EQ(canvas.FindItem(QStringLiteral("FrameL"))->GetBounds(), QRectF(-200, 0, 200, 300));
    EXPECT_EQ(canvas.FindItem(QStringLiteral("FrameB"))->GetBounds(), QRectF(-200, 300, 800, 150));
    EXPECT_EQ(canvas.FindItem(QStringLiteral("FrameR"))->GetBounds(), QRectF(400, 0, 200, 300));
}
