#include "widgets/LayoutFixture.h"

#include "noteitems/BackGrid.h"
#include "noteitems/TextNoteItem.h"
#include "widgets/Brush.h"
#include "widgets/Text.h"

#include <typeinfo>

namespace {

// Every kind of decorative widget, plus names that no table holds.
const QString kMixedLayout = QStringLiteral(
    "[Brush]\n"
    "[Image]\n"
    "[Knob]\n"
    "[Text]\n"
    "Text=first\n"
    "[Edge]\n"
    "[GradationBrush]\n"
    "[BackBrush]\n"
    "[BackGrid]\n"
    "[text]\n"
    "[brush]\n"
    "[Text]\n"
    "Text=second\n");

// The kinds made from kMixedLayout, in canvas order.
std::vector<std::string> KindNames(const Canvas& canvas)
{
    std::vector<std::string> names;
    for (const auto& item : canvas.Items()) {
        std::string name = typeid(*item).name();
        // Drop the length prefix of the mangled name.
        names.push_back(name.substr(name.find_first_not_of("0123456789")));
    }
    return names;
}

class ItemFactoriesTest : public LayoutFixture {
protected:
    explicit ItemFactoriesTest(CanvasKind kind = CanvasKind::Panel)
        : LayoutFixture({ 100, 100 }, kind)
    {
    }
};

struct PageCanvasTest : ItemFactoriesTest {
    PageCanvasTest()
        : ItemFactoriesTest(CanvasKind::Page)
    {
    }
};

struct QualityCanvasTest : ItemFactoriesTest {
    QualityCanvasTest()
        : ItemFactoriesTest(CanvasKind::QualityDialog)
    {
    }
};

TEST_F(ItemFactoriesTest, WidgetTableMakesEachNamedKindInSectionOrder)
{
    EXPECT_EQ(Load(kMixedLayout), 7);
    EXPECT_EQ(KindNames(GetCanvas()), (std::vector<std::string> { "Brush", "Image", "Knob", "Text", "Edge", "GradationBrush", "Text" }));
    // Two sections of one name are two independent items.
    EXPECT_EQ(ItemAs<Text>(3)->GetText(), QStringLiteral("first"));
    EXPECT_EQ(ItemAs<Text>(6)->GetText(), QStringLiteral("second"));
}

TEST_F(PageCanvasTest, PageTableMakesBackBrushButNotBrushAndTextNotes)
{
    EXPECT_EQ(Load(kMixedLayout + QStringLiteral("[BackBrush]\nColor=0xff123456\n")), 5);
    EXPECT_EQ(KindNames(GetCanvas()),
        (std::vector<std::string> { "TextNoteItem", "Brush", "BackGrid", "TextNoteItem", "Brush" }));
    EXPECT_EQ(ItemAs<TextNoteItem>(3)->Widget().GetText(), QStringLiteral("second"));
    EXPECT_EQ(ItemAs<Brush>(4)->Color(), 0xff123456u);
    const BackGrid* grid = ItemAs<BackGrid>(2);
    EXPECT_EQ(grid->Color(), kFace);
    EXPECT_FLOAT_EQ(grid->Interval(), 1.0f);
    EXPECT_TRUE(grid->RateMode());
}

TEST_F(QualityCanvasTest, QualityTableDropsEveryOtherName)
{
    EXPECT_EQ(Load(kMixedLayout), 3);
    EXPECT_EQ(KindNames(GetCanvas()), (std::vector<std::string> { "Brush", "Text", "Text" }));
}

TEST(ItemFactoryTables, KnownNamesWithoutAKindYetMakeNothing)
{
    Canvas canvas;
    for (CanvasKind kind : { CanvasKind::Page, CanvasKind::Panel, CanvasKind::Dialog, CanvasKind::QualityDialog, CanvasKind::PropertyDialog }) {
        for (const ItemFactories::Entry& entry : ItemFactories::Table(kind)) {
            const auto item = ItemFactories::MakeItem(kind, canvas, QString::fromLatin1(entry.section_name));
            EXPECT_EQ(item != nullptr, entry.make != nullptr) << entry.section_name;
        }
        EXPECT_EQ(ItemFactories::MakeItem(kind, canvas, QStringLiteral("Viewer")), nullptr);
    }
    EXPECT_EQ(ItemFactories::Table(CanvasKind::Panel).size(), 15u);
    EXPECT_EQ(ItemFactories::Table(CanvasKind::Page).size(), 5u);
    EXPECT_EQ(ItemFactories::Table(CanvasKind::QualityDialog).size(), 5u);
}

TEST_F(ItemFactoriesTest, ViewerSetsGroupAndDpi)
{
    EXPECT_EQ(Load(QStringLiteral("[Brush]\nPos=L0,T0,R0,B0\nColor=0xffffffff\n"
                                  "[Brush]\nPos=L0,T0,W10,H10\nColor=0xffff0000\nGroup=A,B\n"
                                  "[Brush]\nPos=L10,T0,W10,H10\nColor=0xff00ff00\nGroup=B\n"
                                  "[Viewer]\nGroup=A\nDpi=120\n")),
        3);
    EXPECT_EQ(GetCanvas().ItemCount(), 3);
    EXPECT_EQ(GetCanvas().CurrentGroup(), QStringLiteral("A"));
    EXPECT_FLOAT_EQ(GetCanvas().Dpi(), 120);

    GetCanvas().SetDpi(GetCanvas().ScreenDpi());
    const QImage image = Render();
    EXPECT_EQ(image.pixel(5, 5), 0xffff0000);
    EXPECT_EQ(image.pixel(15, 5), kWhite);

    Load(QStringLiteral("[Viewer]\nDpi=none\n[Viewer]\nName=x\n"));
    EXPECT_FLOAT_EQ(GetCanvas().Dpi(), 0);
    EXPECT_EQ(GetCanvas().CurrentGroup(), QStringLiteral("A"));
}

}
