#include "TestItems.h"

#include <gtest/gtest.h>

using namespace TestItems;

namespace {

QString AnchorText(const Item& item)
{
    return QStringList(item.GetAnchors().begin(), item.GetAnchors().end()).join(QLatin1Char('|'));
}

}

TEST(ItemTest, PositionKeysFillTheAnchorsInOrder)
{
    struct Row {
        std::initializer_list<std::pair<const char*, const char*>> keys;
        const char* anchors;
    };
    const Row rows[] = {
        { {}, "|||||||" },
        { { { "Pos", "L1,T2,R3,B4" }, { "Position", "L9,T9,R9,B9" } }, "L1|T2|R3|B4||||" },
        { { { "Position", "L9,T9" } }, "L9|T9||||||" },
        { { { "Pos", "L1,,R3" } }, "L1||R3|||||" },
        { { { "Pos", "L1,T2,R3,B4,L5,T6,R7,B8,L9" } }, "L1|T2|R3|B4|L5|T6|R7|B8" },
    };
    Canvas canvas;
    for (const Row& row : rows) {
        PlacedItem item(canvas);
        item.ReadSection(Store(row.keys));
        EXPECT_EQ(AnchorText(item), QString::fromLatin1(row.anchors));
    }
    // A shorter Pos later replaces only the fields it has.
    PlacedItem item(canvas);
    item.ReadSection(Store({ { "Pos", "L1,T2,R3,B4" } }));
    EXPECT_TRUE(item.ReadSection(Store({ { "Pos", "L7" } })));
    EXPECT_EQ(AnchorText(item), QStringLiteral("L7|T2|R3|B4||||"));
    EXPECT_FALSE(item.ReadSection(Store({ { "Pos", "L7" } })));
}

TEST(ItemTest, ItemWithoutPositionHasZeroSize)
{
    Canvas canvas;
    canvas.ResizeBackBuffer(300, 200);
    PlacedItem item(canvas);
    item.ReadSection(Store({ { "Name", "a" } }));
    EXPECT_EQ(item.GetBounds(), QRectF(0, 0, 0, 0));
}

TEST(ItemTest, ResolvedEdgesTakeTheLargerAnchorAndSelfReferencesGiveZero)
{
    Canvas canvas;
    canvas.ResizeBackBuffer(400, 300);
    struct Row {
        const char* pos;
        QRectF bounds;
    };
    const Row rows[] = {
        { "L10,T10,W50,H20", QRectF(10, 10, 50, 20) },
        { "L10,T10,R10,B10,L30,T5,R50,B5", QRectF(30, 10, 360, 285) },
        { "W10,H10,L50,T50", QRectF(0, 0, 50, 50) },
        { "L10,T10,R10,B10,W5", QRectF(0, 10, 390, 280) },
        { "C-30%,B30,C30%,B10", QRectF(80, 270, 240, 20) },
        { "L50,T50,L10,T10", QRectF(50, 50, -40, -40) },
    };
    for (const Row& row : rows) {
        PlacedItem item(canvas);
        item.ReadSection(Store({ { "Pos", row.pos } }));
        EXPECT_EQ(item.GetBounds(), row.bounds) << row.pos;
    }
    PlacedItem item(canvas);
    item.ReadSection(Store({ { "Pos", "L10,T20,R10,B10" } }));
    EXPECT_EQ(item.GetInsetBounds(2, 3, -4, -5), QRectF(12, 23, 374, 262));
}

TEST(ItemTest, AnchorsWithoutBackBufferResolveAgainstZero)
{
    Canvas canvas;
    PlacedItem item(canvas);
    item.ReadSection(Store({ { "Pos", "L10,T10,R10,B10" } }));
    EXPECT_EQ(item.Right(), -10.0f);
    EXPECT_EQ(item.Bottom(), -10.0f);
}

TEST(ItemTest, OptionWordsSetAndResetTheFlags)
{
    Canvas canvas;
    PlacedItem item(canvas);
    EXPECT_TRUE(item.ReadSection(Store({ { "Option", "Disable,Invisible" } })));
    EXPECT_FALSE(item.IsEnabled());
    EXPECT_FALSE(item.IsVisible());
    EXPECT_FALSE(item.ReadSection(Store({ { "Name", "" } })));
    EXPECT_FALSE(item.IsEnabled());
    EXPECT_TRUE(item.ReadSection(Store({ { "Option", "Edge" } })));
    EXPECT_TRUE(item.IsEnabled());
    EXPECT_TRUE(item.IsVisible());
    // Option words are whole fields, compared exactly.
    item.ReadSection(Store({ { "Option", "invisible,Disabled" } }));
    EXPECT_TRUE(item.IsVisible());
    EXPECT_TRUE(item.IsEnabled());
}

TEST(ItemTest, PropertiesByKey)
{
    Canvas canvas;
    canvas.ResizeBackBuffer(100, 100);
    PlacedItem item(canvas);
    item.ReadSection(Store({ { "Pos", "L10,T0,W10,H5" } }));
    QString value;
    ASSERT_TRUE(item.GetProperty(QStringLiteral("Width"), value));
    EXPECT_EQ(value, QStringLiteral("10"));
    EXPECT_TRUE(item.SetProperty(QStringLiteral("RPos"), QStringLiteral("W2.5")));
    item.GetProperty(QStringLiteral("Width"), value);
    EXPECT_EQ(value, QStringLiteral("2.5"));

    EXPECT_TRUE(item.SetProperty(QStringLiteral("LPos"), QStringLiteral("L1")));
    EXPECT_TRUE(item.SetProperty(QStringLiteral("TPos"), QStringLiteral("T2")));
    EXPECT_TRUE(item.SetProperty(QStringLiteral("BPos"), QStringLiteral("T4")));
    EXPECT_EQ(AnchorText(item), QStringLiteral("L1|T2|W2.5|T4||||"));
    EXPECT_FALSE(item.SetProperty(QStringLiteral("LPos"), QStringLiteral("L1")));

    // Anything but "true" clears a flag; the getter answers in the same words.
    EXPECT_TRUE(item.SetProperty(QStringLiteral("Visible"), QStringLiteral("TRUE")));
    EXPECT_FALSE(item.IsVisible());
    item.GetProperty(QStringLiteral("Visible"), value);
    EXPECT_EQ(value, QStringLiteral("false"));
    EXPECT_TRUE(item.SetProperty(QStringLiteral("Enable"), QStringLiteral("0")));
    EXPECT_FALSE(item.IsEnabled());
    EXPECT_FALSE(item.SetProperty(QStringLiteral("Unknown"), QStringLiteral("true")));
    EXPECT_FALSE(item.GetProperty(QStringLiteral("Unknown"), value));
}

TEST(ItemTest, GroupRule)
{
    struct Row {
        const char* groups; // null: no Group key
        const char* canvas_group;
        bool in_group;
    };
    const Row rows[] = {
        { nullptr, "", true },
        { nullptr, "A", true },
        { "A,B", "", true },
        { "A,B", "B", true },
        { "A,B", "C", false },
        { "A", "a", false },
    };
    Canvas canvas;
    for (const Row& row : rows) {
        PlacedItem item(canvas);
        if (row.groups)
            item.ReadSection(Store({ { "Group", row.groups } }));
        canvas.SetCurrentGroup(QString::fromLatin1(row.canvas_group));
        EXPECT_EQ(item.IsInGroup(canvas.CurrentGroup()), row.in_group) << row.groups << " in " << row.canvas_group;
        EXPECT_EQ(item.IsShown(), row.in_group);
    }
}

// Secondary anchors a section gave are written after the primary ones: a note read and saved
// again keeps its geometry.
TEST(ItemTest, SaveWritesAnchorsNameAndOptions)
{
    Canvas canvas;
    PlacedItem item(canvas);
    item.ReadSection(Store({ { "Pos", "L1,T2,R3,B4,L5,T6" }, { "Name", "photo" }, { "Option", "Invisible,Disable" } }));
    QString section;
    QString options = QStringLiteral("Repeat");
    ASSERT_TRUE(item.Save(section, options, SaveMode::Plain));
    EXPECT_EQ(section, QStringLiteral("Pos=L1,T2,R3,B4,L5,T6\r\nName=photo\r\n"));
    EXPECT_EQ(options, QStringLiteral("Repeat,Disable,Invisible"));

    // A kind without its own save writes nothing into a note file.
    section.clear();
    options.clear();
    EXPECT_FALSE(item.Save(section, options, SaveMode::Persistent));
    EXPECT_TRUE(section.isEmpty());
}

TEST(ItemTest, RelativePositionFollowsThePreviousItem)
{
    Canvas canvas;
    canvas.ResizeBackBuffer(400, 300);
    auto* first = Add<PlacedItem>(canvas, { { "RelPos", "L5,T6,W10,H10" } });
    EXPECT_EQ(first->GetAnchors()[0], QStringLiteral("L5"));
    EXPECT_EQ(first->GetBounds(), QRectF(5, 6, 10, 10));

    auto* second = Add<PlacedItem>(canvas, { { "RelPos", "L5,0,W20,0" } });
    EXPECT_EQ(second->GetBounds(), QRectF(20, 6, 20, 10));
    EXPECT_EQ(second->GetAnchors()[1], QStringLiteral("T6"));

    // Pos in the same section wins over RelPos.
    auto* third = Add<PlacedItem>(canvas, { { "RelPos", "L5,T5" }, { "Pos", "L1,T1" } });
    EXPECT_EQ(third->GetAnchors()[0], QStringLiteral("L1"));
    EXPECT_EQ(third->GetAnchors()[1], QStringLiteral("T1"));
}

TEST(ItemTest, KeyIsTheIdOrAUniqueAddress)
{
    Canvas canvas;
    PlacedItem a(canvas);
    PlacedItem b(canvas);
    EXPECT_NE(a.Key(), b.Key());
    EXPECT_FALSE(a.Key().isEmpty());
    a.ReadSection(Store({ { "Id", "Ok" } }));
    EXPECT_EQ(a.Key(), QStringLiteral("Ok"));
}

TEST(ItemTest, SettingBoundsReanchorsToTheTopLeft)
{
    Canvas canvas;
    canvas.ResizeBackBuffer(400, 300);
    PlacedItem item(canvas);
    item.ReadSection(Store({ { "Pos", "R60,B30,W50,H20" } }));
    EXPECT_EQ(item.GetBounds(), QRectF(340, 270, 50, 20));
    EXPECT_TRUE(item.SetBoundsAsAnchors(item.GetBounds()));
    canvas.ResizeBackBuffer(800, 600);
    EXPECT_EQ(item.GetBounds(), QRectF(340, 270, 50, 20));
}
