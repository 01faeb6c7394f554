#include "noteitems/TextNoteItem.h"

#include "items/OffscreenCanvas.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/ItemFactories.h"
#include "noteitems/MandelbrotItem.h"
#include "platform/ScriptedUserPrompt.h"
#include "text/SectionDocument.h"
#include "widgets/EditableText.h"
#include "widgets/InputTestHarness.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using InputTest::Codes;
using InputTest::FakeHost;
using InputTest::KeyMessage;
using InputTest::Mouse;
using InputTest::StoreOf;

QString SaveOf(const Item& item)
{
    QString section;
    QString options;
    item.Save(section, options, SaveMode::Persistent);
    if (!options.isEmpty())
        section += QStringLiteral("Option=") + options + QStringLiteral("\r\n");
    return section;
}

// A page canvas in a pretend window, with the item events that reach the window recorded.
class TextNoteItemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ItemFactories::RegisterAll();
        m_canvas.ResizeBackBuffer(m_host.size.width(), m_host.size.height());
        // Snapping is tested on its own.
        m_canvas.SetSnapGrid(SnapGrid { false, {}, {} });
        m_canvas.SetEventHandler([this](const ItemEvent& event) {
            m_events.push_back(event);
            return true;
        });
        auto runner = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = runner.get();
        SetDialogs(std::move(runner));
    }
    void TearDown() override { SetDialogs(nullptr); }

    TextNoteItem& Add(const QString& section)
    {
        auto item = std::make_unique<TextNoteItem>(m_canvas);
        TextNoteItem& text = *item;
        text.ReadSection(StoreOf(section));
        m_canvas.AddItem(std::move(item));
        return text;
    }

    Codes TakeCodes()
    {
        Codes codes;
        for (const ItemEvent& event : m_events)
            codes.push_back(event.code);
        m_events.clear();
        return codes;
    }

    bool Send(MessageKind kind, QPointF device)
    {
        return m_canvas.RouteMessage(Mouse(kind, device.toPoint()));
    }

    FakeHost m_host;
    Canvas m_canvas { CanvasKind::Page, &m_host };
    std::vector<ItemEvent> m_events;
    ScriptedUserPrompt& m_prompt { ScriptedUserPrompt::Install() };
    ScriptedLayoutDialogs* m_dialogs { nullptr };
};

struct SaveRow {
    const char* label;
    const char* section;
    // Lines the save form must hold, in this order.
    std::vector<const char*> lines;
};

class TextSaveForm : public TextNoteItemTest, public ::testing::WithParamInterface<SaveRow> { };

// Everything read comes back when the saved section is read again, and the saved form is
// stable from the first save on.
TEST_P(TextSaveForm, WritesWhatTheReaderTakesBack)
{
    const SaveRow& row = GetParam();
    const TextNoteItem& item = Add(QString::fromUtf8(row.section));
    const QString saved = SaveOf(item);
    qsizetype from = 0;
    for (const char* line : row.lines) {
        const qsizetype at = saved.indexOf(QString::fromUtf8(line) + QStringLiteral("\r\n"), from);
        ASSERT_GE(at, 0) << line << " missing from\n" << saved.toStdString();
        from = at;
    }
    SectionDocument document;
    ASSERT_TRUE(ParseSectionText(saved, document));
    ASSERT_EQ(document.Name(0), "Text");
    TextNoteItem again(m_canvas);
    again.ReadSection(document.Store(0));
    const Text& before = item.Widget();
    const Text& after = again.Widget();
    EXPECT_EQ(after.GetText(), before.GetText());
    EXPECT_EQ(after.FontName(), before.FontName());
    EXPECT_EQ(after.FontSize(), before.FontSize());
    EXPECT_FLOAT_EQ(after.RelativeSize(), before.RelativeSize());
    EXPECT_EQ(after.Color(), before.Color());
    EXPECT_EQ(after.HorizontalAlignment(), before.HorizontalAlignment());
    EXPECT_EQ(after.VerticalAlignment(), before.VerticalAlignment());
    EXPECT_EQ(after.NoWrap(), before.NoWrap());
    EXPECT_EQ(after.Bold(), before.Bold());
    EXPECT_EQ(after.OutlineSize(), before.OutlineSize());
    EXPECT_EQ(after.OutlineColor(), before.OutlineColor());
    EXPECT_EQ(again.GetAnchors(), item.GetAnchors());
    EXPECT_EQ(SaveOf(again), saved);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TextSaveForm,
    ::testing::Values(
        // A backslash is doubled before the line break becomes its escapes, so the escapes
        // are not doubled again.
        SaveRow { "backslash_and_line_break", "[Text]\nText=a\\\\b\\r\\n\nFont=12,Sans\nPos=L10,T20,W100,H50",
            { "[Text]", "Text=a\\\\b\\r\\n", "Font=12,Sans", "Color=0xff000000", "Pos=L10,T20,W100,H50" } },
        SaveRow { "percentage_size", "[Text]\nText=x\nFont=50%,Sans\nPos=L0,T0,W100,H40", { "Font=50%,Sans" } },
        SaveRow { "alignment_bold_outline",
            "[Text]\nText=x\nAlign=R,C\nOption=NoWrap,Bold\nOutlineSize=3\nOutlineColor=-16776961\nPos=L0,T0,W100,H40",
            { "Align=R,C", "OutlineSize=3", "OutlineColor=-16776961", "Option=NoWrap,Bold" } },
        SaveRow { "quotes_and_backslashes", "[Text]\nText=say \\\"hi\\\" to C:\\\\dir\nPos=L0,T0,W100,H40",
            { "Text=say \\\"hi\\\" to C:\\\\dir" } },
        // Secondary anchors given in a section are written back with the primary ones.
        SaveRow { "secondary_anchors", "[Text]\nText=x\nPos=L10,T20,W100,H50,L30,T5",
            { "Pos=L30,T20,L130,T70", "Pos=L10,T20,W100,H50,L30,T5" } },
        // A section may give an empty font name; the size beside it is kept all the same.
        SaveRow { "empty_font_name", "[Text]\nText=x\nFont=7,,Sans\nPos=L0,T0,W100,H40", { "Font=7," } },
        SaveRow { "centre_top", "[Text]\nText=x\nAlign=C\nColor=0xff123456\nPos=L1.5,T2.25,W100,H40",
            { "Color=0xff123456", "Align=C,T" } }),
    [](const ::testing::TestParamInfo<SaveRow>& info) { return std::string(info.param.label); });

TEST_F(TextNoteItemTest, SavedTextAfterDrawingCarriesTheWidgetPositionThenTheItems)
{
    TextNoteItem& item = Add("[Text]\nText=x\nPos=L10,T20,W100,H50");
    m_canvas.RenderVisibleArea(OpaqueShortcut::Off);
    const QString saved = SaveOf(item);
    const qsizetype widget = saved.indexOf(QStringLiteral("Pos=L10,T20,L110,T70\r\n"));
    const qsizetype own = saved.indexOf(QStringLiteral("Pos=L10,T20,W100,H50\r\n"));
    EXPECT_GE(widget, 0) << saved.toStdString();
    EXPECT_GT(own, widget) << saved.toStdString();
}

struct WheelRow {
    const char* font;
    int delta;
    int size;
};

TEST_F(TextNoteItemTest, WheelStepsTheFontSizeByTwiceTheSquareOfTheNotches)
{
    const WheelRow rows[] = {
        { "20,Sans", 240, 12 }, { "9,Sans", -120, 11 }, { "20,Sans", 60, 20 },
        // A size of 0 or below is not taken.
        { "8,Sans", 240, 8 }, { "2,Sans", 120, 2 }, { "3,Sans", -240, 11 },
        // A relative size steps from its points: half of 40 is 20.
        { "50%,Sans", 120, 18 },
    };
    for (const WheelRow& row : rows) {
        m_canvas.Clear();
        TextNoteItem& item = Add(QStringLiteral("[Text]\nText=x\nFont=%1\nPos=L10,T10,W100,H40").arg(row.font));
        Send(MessageKind::LButtonDown, { 50, 30 });
        Send(MessageKind::LButtonUp, { 50, 30 });
        ASSERT_EQ(m_canvas.ActiveItem(), &item);
        EXPECT_TRUE(m_canvas.RouteMessage(InputTest::Wheel({ 50, 30 }, row.delta)));
        EXPECT_EQ(item.CurrentFontSize(), row.size) << row.font << " " << row.delta;
    }
}

TEST_F(TextNoteItemTest, WheelOfAnInactiveItemDoesNothing)
{
    TextNoteItem& item = Add("[Text]\nText=x\nFont=20,Sans\nPos=L10,T10,W100,H40");
    EXPECT_FALSE(m_canvas.RouteMessage(InputTest::Wheel({ 50, 30 }, 240)));
    EXPECT_EQ(item.CurrentFontSize(), 20);
}

// Records the keys that reach it.
class KeyProbe : public InteractiveItem {
public:
    using InteractiveItem::InteractiveItem;
    bool HandleMessage(const Message& message, QPointF) override
    {
        if (message.kind == MessageKind::KeyDown)
            ++keys;
        return message.kind == MessageKind::KeyDown;
    }
    int keys { 0 };
};

TEST_F(TextNoteItemTest, KeysAreSwallowedWhileTheItemIsActive)
{
    TextNoteItem& item = Add("[Text]\nText=x\nPos=L10,T10,W100,H40");
    auto probe_item = std::make_unique<KeyProbe>(m_canvas);
    KeyProbe& probe = *probe_item;
    m_canvas.AddItem(std::move(probe_item));

    m_canvas.RouteMessage(KeyMessage(MessageKind::KeyDown, Key::Delete));
    EXPECT_EQ(probe.keys, 1);

    Send(MessageKind::LButtonDown, { 50, 30 });
    Send(MessageKind::LButtonUp, { 50, 30 });
    ASSERT_EQ(m_canvas.ActiveItem(), &item);
    EXPECT_TRUE(m_canvas.RouteMessage(KeyMessage(MessageKind::KeyDown, Key::Delete)));
    EXPECT_TRUE(m_canvas.RouteMessage(KeyMessage(MessageKind::KeyDown, Key::A)));
    EXPECT_EQ(probe.keys, 1);
    EXPECT_EQ(m_canvas.ItemCount(), 2);
}

struct ResizeRow {
    const char* label;
    QPointF press; // page point, relative to the item's top left corner
    QPointF move;  // pointer movement in page units
    QRectF expected;
};

// The item is at (10.5, 20.25) and 100 × 50; edges are 5 device pixels deep.
TEST_F(TextNoteItemTest, EdgesAndCornersFollowThePointerAtFractionalPositionsAndZooms)
{
    const QRectF start(10.5, 20.25, 100, 50);
    const ResizeRow rows[] = {
        { "move", { 50, 25 }, { 7.25, -3.5 }, start.translated(7.25, -3.5) },
        { "left", { 1, 25 }, { -10.5, 0 }, start.adjusted(-10.5, 0, 0, 0) },
        { "right", { 99, 25 }, { 20.75, 0 }, start.adjusted(0, 0, 20.75, 0) },
        { "top", { 50, 1 }, { 0, 5.5 }, start.adjusted(0, 5.5, 0, 0) },
        { "bottom", { 50, 49 }, { 0, -12.25 }, start.adjusted(0, 0, 0, -12.25) },
        { "top_left", { 1, 1 }, { 4, 8 }, start.adjusted(4, 8, 0, 0) },
        { "top_right", { 99, 1 }, { 30, -6 }, start.adjusted(0, -6, 30, 0) },
        { "bottom_left", { 1, 49 }, { -3, 9 }, start.adjusted(-3, 0, 0, 9) },
        // No aspect ratio: the two edges move independently.
        { "bottom_right", { 99, 49 }, { 40, -10 }, start.adjusted(0, 0, 40, -10) },
        // A step that would leave no width is ignored.
        { "left_past_right", { 1, 25 }, { 120, 0 }, start },
    };
    for (float zoom : { 1.0f, 0.5f, 2.0f }) {
        for (const ResizeRow& row : rows) {
            m_canvas.Clear();
            m_canvas.SetZoom(zoom);
            m_canvas.SetScroll(0.25f, 0.5f);
            // A press must be within the edge depth at this zoom: press points inside the edge
            // are scaled to stay 1 device pixel in.
            TextNoteItem& item = Add("[Text]\nText=x\nPos=L10.5,T20.25,W100,H50");
            const auto in_edge = [&](double offset, double size) {
                if (offset <= 1)
                    return 1 / double(zoom);
                if (offset >= size - 1)
                    return size - 1 / double(zoom);
                return offset;
            };
            const QPointF press(start.left() + in_edge(row.press.x(), start.width()),
                start.top() + in_edge(row.press.y(), start.height()));
            const QPointF to = press + row.move;
            ASSERT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonDown, {}), press)) << row.label;
            item.HandleMessage(Mouse(MessageKind::MouseMove, {}), to);
            item.HandleMessage(Mouse(MessageKind::LButtonUp, {}), to);
            const QRectF bounds = item.GetBounds();
            EXPECT_NEAR(bounds.left(), row.expected.left(), 1e-3) << row.label << " at zoom " << zoom;
            EXPECT_NEAR(bounds.top(), row.expected.top(), 1e-3) << row.label << " at zoom " << zoom;
            EXPECT_NEAR(bounds.width(), row.expected.width(), 1e-3) << row.label << " at zoom " << zoom;
            EXPECT_NEAR(bounds.height(), row.expected.height(), 1e-3) << row.label << " at zoom " << zoom;
        }
    }
}

TEST_F(TextNoteItemTest, DraggedEdgesSnapWithinSevenDevicePixelsAndMovedTopsWithinSevenUnits)
{
    m_canvas.SetSnapGrid(SnapGrid { true, { 200 }, { 150 } });
    m_canvas.SetZoom(0.5f);
    TextNoteItem& item = Add("[Text]\nText=x\nPos=L100,T100,W50,H60");
    // The right edge comes 12 page units (6 device pixels) from the line at 200 and takes it.
    ASSERT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonDown, {}), { 149, 130 }));
    ASSERT_EQ(item.Drag().Mode(), FreeDrag::kRight);
    item.HandleMessage(Mouse(MessageKind::MouseMove, {}), { 187, 130 });
    EXPECT_FLOAT_EQ(item.Right(), 200);
    item.HandleMessage(Mouse(MessageKind::LButtonUp, {}), { 187, 130 });
    // Moved 10 page units from both lines: the left edge is within 7 device pixels of its
    // line and takes it, the top is not within 7 page units of its line and stays.
    ASSERT_TRUE(item.HandleMessage(Mouse(MessageKind::LButtonDown, {}), { 120, 130 }));
    ASSERT_EQ(item.Drag().Mode(), FreeDrag::kMove);
    item.HandleMessage(Mouse(MessageKind::MouseMove, {}), { 210, 170 });
    EXPECT_FLOAT_EQ(item.Left(), 200);
    EXPECT_FLOAT_EQ(item.Top(), 140);
    // 6 page units off, the top takes its line.
    item.HandleMessage(Mouse(MessageKind::MouseMove, {}), { 210, 174 });
    EXPECT_FLOAT_EQ(item.Top(), 150);
}

// What the drag repaints piece by piece equals a full repaint: no frame or text is left
// behind, at zoom 0.5 on a screen of pixel ratio 2.
TEST_F(TextNoteItemTest, DragRepaintsMatchAFullRepaintAtHalfZoomAndDoublePixels)
{
    m_canvas.SetZoom(0.5f);
    m_canvas.ResizeBackBuffer(m_host.size.width(), m_host.size.height(), 2.0);
    ASSERT_TRUE(ItemFactories::AddFromSection(m_canvas, QStringLiteral("BackBrush"),
        StoreOf("[BackBrush]\nPos=L0,T0,R0,B0\nColor=0xffe0e0e0")));
    Add("[Text]\nText=Moving text\nFont=24,Sans\nColor=0xff0000ff\nPos=L40.5,T30.25,W300,H120");
    m_canvas.RenderVisibleArea(OpaqueShortcut::On);
    const QPoint steps[] = { { 100, 60 }, { 113, 71 }, { 140, 95 }, { 141, 96 }, { 60, 40 } };
    Send(MessageKind::LButtonDown, { 90, 50 });
    for (const QPoint& step : steps)
        m_canvas.RouteMessage(Mouse(MessageKind::MouseMove, step));
    // The right edge, then the bottom-left corner.
    const QRectF device = m_canvas.ToDevice(m_canvas.ItemAt(1)->GetBounds());
    Send(MessageKind::LButtonUp, { 60, 40 });
    Send(MessageKind::LButtonDown, QPointF(device.right() - 1, device.center().y()));
    m_canvas.RouteMessage(Mouse(MessageKind::MouseMove, QPointF(device.right() + 37, device.center().y()).toPoint()));
    Send(MessageKind::LButtonUp, QPointF(device.right() + 37, device.center().y()));
    Send(MessageKind::LButtonDown, QPointF(device.left() + 1, device.bottom() - 1));
    m_canvas.RouteMessage(Mouse(MessageKind::MouseMove, QPointF(device.left() + 20, device.bottom() + 15).toPoint()));
    const QImage pieces = m_canvas.BackBuffer().copy();
    m_canvas.RenderVisibleArea(OpaqueShortcut::Off);
    EXPECT_TRUE(pieces == m_canvas.BackBuffer());
    EXPECT_NE(m_canvas.ItemAt(1)->GetBounds().topLeft(), QPointF(40.5, 30.25));
}

TEST_F(TextNoteItemTest, PressAndReleaseReportFocusCaptureAndAChange)
{
    TextNoteItem& item = Add("[Text]\nText=x\nPos=L10,T10,W100,H40");
    EXPECT_TRUE(Send(MessageKind::LButtonDown, { 50, 30 }));
    EXPECT_EQ(TakeCodes(), (Codes { ItemEvent::kTakeFocus, ItemEvent::kStartCapture }));
    EXPECT_TRUE(Send(MessageKind::LButtonUp, { 50, 30 }));
    EXPECT_EQ(TakeCodes(), (Codes { ItemEvent::kReleaseCapture, ItemEvent::kChangeFinished }));
    EXPECT_EQ(m_canvas.ActiveItem(), &item);
    // A press beside it drops the focus.
    EXPECT_FALSE(Send(MessageKind::LButtonDown, { 300, 200 }));
    EXPECT_EQ(m_canvas.ActiveItem(), nullptr);
}

TEST_F(TextNoteItemTest, DrawsTheTextAndTheSelectionFrameOfTheActiveItem)
{
    Add("[Text]\nText=■■■■\nFont=20,Sans\nColor=0xff0000ff\nPos=L10,T10,W200,H60");
    const auto count_blue = [&](const QRect& area) {
        m_canvas.RenderVisibleArea(OpaqueShortcut::Off);
        const QImage image = m_canvas.BackBuffer().convertToFormat(QImage::Format_ARGB32);
        int blue = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                blue += QColor::fromRgba(image.pixel(x, y)) == QColor(0, 0, 255);
        return blue;
    };
    EXPECT_GT(count_blue(QRect(10, 10, 200, 60)), 50);
    EXPECT_EQ(count_blue(QRect(220, 10, 100, 60)), 0);

    m_canvas.RenderVisibleArea(OpaqueShortcut::Off);
    EXPECT_EQ(qAlpha(m_canvas.BackBuffer().pixel(11, 55)), 0);
    Send(MessageKind::LButtonDown, { 100, 40 });
    m_canvas.RenderVisibleArea(OpaqueShortcut::Off);
    EXPECT_GT(qAlpha(m_canvas.BackBuffer().pixel(11, 55)), 0);
    EXPECT_EQ(qAlpha(m_canvas.BackBuffer().pixel(30, 55)), 0);
}

TEST_F(TextNoteItemTest, ContextMenuDeleteRemovesTheItemAndReportsAChange)
{
    Add("[Text]\nText=x\nPos=L10,T10,W100,H40");
    m_prompt.QueueMenuChoice(1);
    EXPECT_TRUE(Send(MessageKind::RButtonDown, { 50, 30 }));
    EXPECT_TRUE(Send(MessageKind::RButtonUp, { 50, 30 }));
    ASSERT_EQ(m_prompt.Requests().size(), 1u);
    const PopupMenu& menu = m_prompt.Requests()[0].menu;
    ASSERT_EQ(menu.entries.size(), 2u);
    EXPECT_EQ(menu.entries[0].text, "プロパティ(&P)");
    EXPECT_EQ(menu.entries[1].text, "削除(&D)");
    EXPECT_EQ(m_prompt.Requests()[0].position, QPoint(1050, 530));
    EXPECT_EQ(m_canvas.ItemCount(), 0);
    ASSERT_FALSE(m_events.empty());
    EXPECT_EQ(m_events.back().code, ItemEvent::kChangeFinished);
    EXPECT_TRUE(m_events.back().text.isEmpty());
}

TEST_F(TextNoteItemTest, ContextMenuOnlyOverTheItem)
{
    Add("[Text]\nText=x\nPos=L10,T10,W100,H40");
    EXPECT_FALSE(Send(MessageKind::RButtonUp, { 300, 200 }));
    EXPECT_TRUE(m_prompt.Requests().empty());
}

TEST_F(TextNoteItemTest, PropertiesDialogIsFilledFromTheItemAndAppliesChangesAtOnce)
{
    TextNoteItem& item = Add("[Text]\nText=a\nFont=14,Sans\nColor=0xff112233\nAlign=C,B\n"
                             "Option=NoWrap\nPos=L10,C5,W100,H40");
    std::map<std::string, QString> shown;
    int size_while_open = 0;
    QRectF bounds_while_open;
    m_prompt.QueueColor(0x00abcdef);
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        for (const char* name : { "TType", "TPos", "BType", "BPos", "LType", "LPos", "RType", "RPos", "FontSize",
                 "HAlign", "VAlign" })
            shown[name] = dialog.Property(QString::fromLatin1(name), QStringLiteral("Text"));
        shown["NoWrap"] = dialog.Property(QStringLiteral("NoWrap"), QStringLiteral("Pushed"));
        shown["FontColor"] = dialog.Property(QStringLiteral("FontColor"), QStringLiteral("FaceColor"));
        dialog.Change(QStringLiteral("FontSize"), QStringLiteral("Text"), QStringLiteral("24"));
        dialog.Change(QStringLiteral("LPos"), QStringLiteral("Text"), QStringLiteral("30"));
        dialog.Change(QStringLiteral("RType"), QStringLiteral("Text"), QStringLiteral("L"));
        dialog.Change(QStringLiteral("RPos"), QStringLiteral("Text"), QStringLiteral("230"));
        dialog.Press(QStringLiteral("FontColor"));
        shown["ChosenColor"] = dialog.Property(QStringLiteral("FontColor"), QStringLiteral("FaceColor"));
        size_while_open = item.Widget().FontSize();
        bounds_while_open = item.GetBounds();
        dialog.Press(QStringLiteral("OK"));
    });
    EXPECT_TRUE(item.OpenProperties());

    EXPECT_EQ(shown["TType"], "C");
    EXPECT_EQ(shown["TPos"], "5");
    EXPECT_EQ(shown["BType"], "H");
    EXPECT_EQ(shown["BPos"], "40");
    EXPECT_EQ(shown["LType"], "L");
    EXPECT_EQ(shown["LPos"], "10");
    EXPECT_EQ(shown["RType"], "W");
    EXPECT_EQ(shown["RPos"], "100");
    EXPECT_EQ(shown["FontSize"], "14");
    EXPECT_EQ(shown["HAlign"], "C");
    EXPECT_EQ(shown["VAlign"], "B");
    EXPECT_EQ(shown["NoWrap"], "true");
    EXPECT_EQ(shown["FontColor"], "0xff112233");
    EXPECT_EQ(shown["ChosenColor"], "0xffabcdef");
    EXPECT_EQ(size_while_open, 24);
    EXPECT_EQ(bounds_while_open.left(), 30);
    EXPECT_EQ(bounds_while_open.right(), 230);
    EXPECT_EQ(item.Widget().Color(), 0xffabcdefu);
    ASSERT_FALSE(m_events.empty());
    EXPECT_EQ(m_events.back().code, ItemEvent::kChanged);

    const auto& request = m_dialogs->Requests().back();
    EXPECT_EQ(request.caption, "テキストプロパティ");
    EXPECT_EQ(request.size, QSize(380, 350));
    EXPECT_EQ(request.kind, CanvasKind::PropertyDialog);
}

TEST_F(TextNoteItemTest, DoubleClickOpensThePropertiesOverTheItem)
{
    Add("[Text]\nText=x\nPos=L10,T10,W100,H40");
    EXPECT_FALSE(m_canvas.RouteMessage(Mouse(MessageKind::LButtonDblClk, { 300, 200 })));
    EXPECT_TRUE(m_dialogs->Requests().empty());
    EXPECT_TRUE(m_canvas.RouteMessage(Mouse(MessageKind::LButtonDblClk, { 50, 30 })));
    ASSERT_EQ(m_dialogs->Requests().size(), 1u);
    // Starting at the middle of the item on screen, centred on it vertically.
    EXPECT_EQ(m_dialogs->Requests()[0].position, std::optional<QPoint>(QPoint(1060, 530 - 175)));
    EXPECT_EQ(m_dialogs->Requests()[0].layout, std::optional<LayoutResource>(LayoutResource::TextProperties));
}

TEST_F(TextNoteItemTest, CancelGivesTheItemBackAsItWas)
{
    TextNoteItem& item = Add("[Text]\nText=before\nFont=50%,Sans\nColor=0xff112233\nPos=L10,T10,W100,H40");
    const QString saved = SaveOf(item);
    m_prompt.QueueColor(0x00ffffff);
    for (const char* ending : { "Cancel", "close box" }) {
        m_dialogs->Queue([&](ScriptedDialog& dialog) {
            dialog.Change(QStringLiteral("Text"), QStringLiteral("Text"), QStringLiteral("after"));
            dialog.Change(QStringLiteral("FontSize"), QStringLiteral("Text"), QStringLiteral("30"));
            dialog.Change(QStringLiteral("HAlign"), QStringLiteral("Text"), QStringLiteral("R"));
            dialog.Change(QStringLiteral("NoWrap"), QStringLiteral("Pushed"), QStringLiteral("true"));
            dialog.Change(QStringLiteral("TPos"), QStringLiteral("Text"), QStringLiteral("77"));
            dialog.Press(QStringLiteral("FontColor"));
            EXPECT_EQ(item.Widget().GetText(), "after");
            if (QLatin1String(ending) == QLatin1String("Cancel"))
                dialog.Press(QStringLiteral("Cancel"));
        });
        EXPECT_FALSE(item.OpenProperties()) << ending;
        EXPECT_EQ(SaveOf(item), saved) << ending;
    }
}


// The device pixels of a picture that hold dark ink.
QRect InkOf(const QImage& picture, const QRect& part)
{
    QRect ink;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            if (qAlpha(picture.pixel(x, y)) > 128 && qGray(picture.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// The ink of a page's text drawn in a box far larger than it needs.
QSize FreeInkSize(const Text& text)
{
    OffscreenCanvas canvas(QSize(1200, 600));
    auto copy = std::make_unique<Text>(canvas.GetCanvas());
    copy->SetText(text.GetText());
    copy->SetFontName(text.FontName());
    copy->SetFontSize(text.FontSize());
    copy->SetFit(TextFit::Clip);
    copy->SetBoundsAsAnchors(QRectF(10, 10, 1180, 580));
    canvas.GetCanvas().AddItem(std::move(copy));
    const QImage picture = canvas.Render();
    return InkOf(picture, picture.rect()).size();
}

// A text made on the page, as its menu makes it: read from nothing, 200 x 100.
TextNoteItem& AddNew(Canvas& canvas)
{
    auto made = std::make_unique<TextNoteItem>(canvas);
    TextNoteItem& item = *made;
    item.ReadSection(KeyValueStore());
    item.SetBoundsAsAnchors(QRectF(20, 20, 200, 100));
    item.SetAnchor(Item::kRight, QStringLiteral("W200.000000"));
    item.SetAnchor(Item::kBottom, QStringLiteral("H100.000000"));
    canvas.AddItem(std::move(made));
    return item;
}

TEST_F(TextNoteItemTest, ANewTextGrowsToShowItsTextWholeUntilSizedByHand)
{
    ItemFactories::AddFromSection(m_canvas, QStringLiteral("BackBrush"), StoreOf("[BackBrush]\nPos=L0,T0,R0,B0\nColor=0xffffffff"));
    TextNoteItem& item = AddNew(m_canvas);
    ASSERT_TRUE(item.IsAutoSized());
    m_dialogs->Queue([](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("FontName"), QStringLiteral("Text"), QStringLiteral("IPAGothic"));
        dialog.Change(QStringLiteral("Text"), QStringLiteral("Text"), QStringLiteral("Typography\r\njumpy gjpqy"));
        dialog.Change(QStringLiteral("FontSize"), QStringLiteral("Text"), QStringLiteral("36"));
        dialog.Press(QStringLiteral("OK"));
    });
    EXPECT_TRUE(item.OpenProperties());
    const QRectF grown = item.GetBounds();
    EXPECT_EQ(grown.topLeft(), QPointF(20, 20));
    EXPECT_GT(grown.width(), 200);
    EXPECT_GT(grown.height(), 100);
    // The page shows every glyph whole, descenders too: as much ink as the text has with room
    // to spare.
    m_canvas.RenderVisibleArea(OpaqueShortcut::Off);
    const QRect shown = InkOf(m_canvas.BackBuffer(), grown.toAlignedRect());
    const QSize free = FreeInkSize(item.Widget());
    EXPECT_NEAR(shown.width(), free.width(), 1);
    EXPECT_NEAR(shown.height(), free.height(), 1);
    EXPECT_LT(shown.bottom(), grown.bottom());

    // Sized by hand, by its right edge: a larger font no longer grows it.
    const QPointF edge(grown.right() - 1, grown.center().y());
    Send(MessageKind::LButtonDown, edge);
    Send(MessageKind::MouseMove, edge - QPointF(40, 0));
    Send(MessageKind::LButtonUp, edge - QPointF(40, 0));
    EXPECT_FALSE(item.IsAutoSized());
    const QRectF sized = item.GetBounds();
    EXPECT_EQ(sized.width(), grown.width() - 40);
    m_dialogs->Queue([](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("FontSize"), QStringLiteral("Text"), QStringLiteral("48"));
        dialog.Press(QStringLiteral("OK"));
    });
    item.OpenProperties();
    EXPECT_EQ(item.GetBounds(), sized);
}

TEST_F(TextNoteItemTest, AnEdgeSetInTheDialogStopsTheSizingAndCancelBringsItBack)
{
    TextNoteItem& item = AddNew(m_canvas);
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("RPos"), QStringLiteral("Text"), QStringLiteral("150"));
        EXPECT_FALSE(item.IsAutoSized());
        dialog.Change(QStringLiteral("FontSize"), QStringLiteral("Text"), QStringLiteral("72"));
        dialog.Change(QStringLiteral("Text"), QStringLiteral("Text"), QStringLiteral("A long line of text"));
        EXPECT_EQ(item.GetBounds(), QRectF(20, 20, 150, 100));
        dialog.Press(QStringLiteral("Cancel"));
    });
    EXPECT_FALSE(item.OpenProperties());
    EXPECT_TRUE(item.IsAutoSized());
    EXPECT_EQ(item.GetBounds(), QRectF(20, 20, 200, 100));
}

TEST_F(TextNoteItemTest, SizingItselfIsKeptInThePageTextAndFollowsTheWheel)
{
    TextNoteItem& sizing = Add("[Text]\nText=Hello\nFont=10,Sans\nPos=L10,T10,W40,H20\nOption=AutoSize");
    TextNoteItem& fixed = Add("[Text]\nText=Hello\nFont=10,Sans\nPos=L10,T100,W40,H20");
    EXPECT_TRUE(sizing.IsAutoSized());
    EXPECT_FALSE(fixed.IsAutoSized());
    EXPECT_TRUE(SaveOf(sizing).contains(QStringLiteral("Option=AutoSize\r\n")));
    EXPECT_FALSE(SaveOf(fixed).contains(QStringLiteral("AutoSize")));
    for (TextNoteItem* item : { &sizing, &fixed }) {
        const QPoint on_item = item->GetBounds().center().toPoint();
        Send(MessageKind::LButtonDown, on_item);
        Send(MessageKind::LButtonUp, on_item);
        // Two notches towards the user: 8 points more.
        m_canvas.RouteMessage(InputTest::Wheel(on_item, -240));
        EXPECT_EQ(item->CurrentFontSize(), 18);
    }
    EXPECT_GE(sizing.Width(), sizing.Widget().NaturalSize().width());
    EXPECT_GE(sizing.Height(), sizing.Widget().NaturalSize().height());
    EXPECT_EQ(fixed.GetBounds(), QRectF(10, 100, 40, 20));
}

// The edge fields show an edge's number without the zeros a drag leaves, and whole.
TEST_F(TextNoteItemTest, EdgeFieldsShowTheirNumbersShortAndWhole)
{
    TextNoteItem& item = Add("[Text]\nText=x\nPos=L942.000000,T12.500000,W200.250000,H10%");
    std::map<std::string, QString> shown;
    std::map<std::string, bool> whole;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        for (const char* name : { "LPos", "TPos", "RPos", "BPos" }) {
            shown[name] = dialog.Property(QString::fromLatin1(name), QStringLiteral("Text"));
            const auto* field = dynamic_cast<const EditableText*>(dialog.GetCanvas().FindItem(QString::fromLatin1(name)));
            whole[name] = field && field->Display().FitsAtItsSize();
        }
        // A letter chosen again keeps the edge where it was.
        dialog.Change(QStringLiteral("LType"), QStringLiteral("Text"), QStringLiteral("L"));
        dialog.Press(QStringLiteral("OK"));
    });
    item.OpenProperties();
    EXPECT_EQ(shown["LPos"], "942");
    EXPECT_EQ(shown["TPos"], "12.5");
    EXPECT_EQ(shown["RPos"], "200.25");
    EXPECT_EQ(shown["BPos"], "10%");
    for (const auto& [name, fits] : whole)
        EXPECT_TRUE(fits) << name;
    EXPECT_EQ(item.Left(), 942);
}

}

// The text takes a pointer move or a release only while it drags or when the pointer is on
// it: a Shift-drag zoom on a Mandelbrot picture elsewhere on the page works while the text is
// the active item and lies above the picture.
TEST_F(TextNoteItemTest, MovesAndReleasesAwayFromTheTextReachTheItemsBelow)
{
    auto picture_item = std::make_unique<MandelbrotItem>(m_canvas);
    MandelbrotItem& picture = *picture_item;
    picture.ReadSection(StoreOf("[Mandelbrot]\nPos=L200,T100,W150,H100"));
    m_canvas.AddItem(std::move(picture_item));
    TextNoteItem& text = Add("[Text]\nText=x\nPos=L10,T10,W100,H40");
    Send(MessageKind::LButtonDown, { 50, 30 });
    Send(MessageKind::LButtonUp, { 50, 30 });
    ASSERT_EQ(m_canvas.ActiveItem(), &text);
    TakeCodes();

    // On the text: taken, without a change when nothing was dragged.
    EXPECT_TRUE(Send(MessageKind::MouseMove, { 12, 30 }));
    EXPECT_TRUE(Send(MessageKind::LButtonUp, { 50, 30 }));
    EXPECT_TRUE(TakeCodes().empty());
    // Off the text: left to the others.
    EXPECT_FALSE(Send(MessageKind::MouseMove, { 150, 80 }));
    EXPECT_FALSE(Send(MessageKind::LButtonUp, { 150, 80 }));

    const double zoom = picture.GetPicture().GetParameters().zoom_rate;
    Message press = Mouse(MessageKind::LButtonDown, QPoint(210, 110));
    press.shift = true;
    m_canvas.RouteMessage(press);
    Message move = Mouse(MessageKind::MouseMove, QPoint(260, 140));
    move.shift = true;
    m_canvas.RouteMessage(move);
    m_canvas.RouteMessage(Mouse(MessageKind::LButtonUp, QPoint(260, 140)));
    EXPECT_FALSE(picture.GetPicture().IsSelecting());
    EXPECT_LT(picture.GetPicture().GetParameters().zoom_rate, zoom);
}
