#include "TestItems.h"

#include "platform/ModalScope.h"

#include <gtest/gtest.h>

using namespace TestItems;

namespace {

// A shown canvas of 200 x 100 with a recording window.
struct Shown {
    Shown()
    {
        RecordingHost::s_grabber = nullptr;
        canvas.ResizeBackBuffer(200, 100);
    }
    ~Shown() { RecordingHost::s_grabber = nullptr; }

    InputItem* AddInput(const char* pos, bool consume = true)
    {
        return Add<InputItem>(canvas, { { "Pos", pos } }, consume);
    }

    RecordingHost host;
    Canvas canvas { CanvasKind::Panel, &host };
    std::vector<ItemEvent> passed;
};

}

TEST(CanvasInputTest, ActiveItemGetsTheMessageFirst)
{
    Shown shown;
    auto* lower = shown.AddInput("L0,T0,R0,B0");
    auto* upper = shown.AddInput("L0,T0,R0,B0");
    shown.canvas.SetActiveItem(lower);

    EXPECT_TRUE(shown.canvas.RouteMessage(MouseAt(MessageKind::MouseMove, 10, 10)));
    EXPECT_EQ(lower->received.size(), 1u);
    EXPECT_TRUE(upper->received.empty());
    EXPECT_EQ(lower->last_point, QPointF(10, 10));

    // Messages the active item is not asked first about go to the input items from the top.
    EXPECT_TRUE(shown.canvas.RouteMessage(MouseAt(MessageKind::MouseWheel, 10, 10)));
    EXPECT_EQ(lower->received.size(), 1u);
    EXPECT_EQ(upper->received.size(), 1u);
}

TEST(CanvasInputTest, PressOutsideTheVisibleAreaReachesOnlyTheActiveItem)
{
    Shown shown;
    auto* active = shown.AddInput("L0,T0,R0,B0");
    auto* other = shown.AddInput("L0,T0,R0,B0");
    shown.canvas.SetActiveItem(active);
    for (MessageKind kind : { MessageKind::LButtonDown, MessageKind::LButtonDblClk, MessageKind::RButtonDown }) {
        EXPECT_FALSE(shown.canvas.RouteMessage(MouseAt(kind, 250, 50)));
        EXPECT_EQ(active->received.back(), kind);
    }
    EXPECT_EQ(active->received.size(), 3u);
    EXPECT_TRUE(other->received.empty());
    // Inside, the press is consumed as usual.
    EXPECT_TRUE(shown.canvas.RouteMessage(MouseAt(MessageKind::LButtonDown, 150, 50)));
}

TEST(CanvasInputTest, TopMostInputItemWins)
{
    Shown shown;
    auto* first = shown.AddInput("L0,T0,W100,H100");
    auto* second = shown.AddInput("L50,T0,W100,H100");
    first->hit_only = true;
    second->hit_only = true;

    EXPECT_TRUE(shown.canvas.RouteMessage(MouseAt(MessageKind::LButtonDown, 75, 50)));
    EXPECT_EQ(second->received.size(), 1u);
    EXPECT_TRUE(first->received.empty());

    // A press beside the top item falls through to the one under it.
    EXPECT_TRUE(shown.canvas.RouteMessage(MouseAt(MessageKind::LButtonDown, 25, 50)));
    EXPECT_EQ(first->received.size(), 1u);

    shown.canvas.BringToFront(first);
    EXPECT_EQ(shown.canvas.ActiveItem(), first);
    EXPECT_EQ(shown.canvas.ItemAt(1), first);
    shown.canvas.SetActiveItem(nullptr);
    shown.canvas.RouteMessage(MouseAt(MessageKind::LButtonDown, 75, 50));
    EXPECT_EQ(first->received.size(), 2u);
    EXPECT_EQ(second->received.size(), 2u); // asked, but outside it: not consumed

    shown.canvas.SetActiveItem(first);
    shown.canvas.SendToBack(first);
    EXPECT_EQ(shown.canvas.ActiveItem(), nullptr);
    EXPECT_EQ(shown.canvas.ItemAt(0), first);
    shown.canvas.RouteMessage(MouseAt(MessageKind::LButtonDown, 75, 50));
    EXPECT_EQ(second->received.size(), 3u);
    EXPECT_EQ(first->received.size(), 2u);
}

TEST(CanvasInputTest, HiddenItemsAndHiddenWindowsGetNoInput)
{
    Shown shown;
    auto* item = shown.AddInput("L0,T0,R0,B0");
    item->SetVisible(false);
    EXPECT_FALSE(shown.canvas.RouteMessage(MouseAt(MessageKind::LButtonDown, 5, 5)));
    item->SetVisible(true);
    item->SetEnabled(false);
    EXPECT_FALSE(shown.canvas.RouteMessage(MouseAt(MessageKind::LButtonDown, 5, 5)));
    item->SetEnabled(true);
    item->SetGroups({ QStringLiteral("A") });
    shown.canvas.SetCurrentGroup(QStringLiteral("B"));
    shown.canvas.SetActiveItem(item);
    EXPECT_FALSE(shown.canvas.RouteMessage(MouseAt(MessageKind::MouseMove, 5, 5)));
    EXPECT_TRUE(item->received.empty());
    shown.canvas.SetCurrentGroup(QStringLiteral("A"));
    shown.host.showing = false;
    EXPECT_FALSE(shown.canvas.RouteMessage(MouseAt(MessageKind::MouseMove, 5, 5)));
    shown.host.showing = true;
    EXPECT_TRUE(shown.canvas.RouteMessage(MouseAt(MessageKind::MouseMove, 5, 5)));
}

TEST(CanvasInputTest, DragCapturesAndReleasesTheMouse)
{
    Shown shown;
    Shown other;
    shown.canvas.SetEventHandler([&](const ItemEvent& event) {
        shown.passed.push_back(event);
        return true;
    });
    auto* item = shown.AddInput("L0,T0,R0,B0");
    item->on_message = [&](const Message& message) {
        if (message.kind == MessageKind::LButtonDown)
            item->SendItemEvent(ItemEvent::kStartCapture);
        if (message.kind == MessageKind::LButtonUp)
            item->SendItemEvent(ItemEvent::kReleaseCapture);
    };
    shown.canvas.RouteMessage(MouseAt(MessageKind::LButtonDown, 5, 5));
    EXPECT_EQ(Canvas::CapturingCanvas(), &shown.canvas);
    EXPECT_TRUE(shown.host.HoldsMouse());

    // While one window holds the mouse, another canvas cannot take it.
    auto* rival = other.AddInput("L0,T0,R0,B0");
    rival->SendItemEvent(ItemEvent::kStartCapture);
    EXPECT_EQ(Canvas::CapturingCanvas(), &shown.canvas);
    rival->SendItemEvent(ItemEvent::kReleaseCapture);
    EXPECT_TRUE(shown.host.HoldsMouse());

    shown.canvas.RouteMessage(MouseAt(MessageKind::LButtonUp, 300, 300));
    EXPECT_EQ(Canvas::CapturingCanvas(), nullptr);
    EXPECT_FALSE(shown.host.AnyWindowHoldsMouse());
    ASSERT_EQ(shown.passed.size(), 2u);
    EXPECT_EQ(shown.passed[0].code, ItemEvent::kStartCapture);
    EXPECT_EQ(shown.passed[1].code, ItemEvent::kReleaseCapture);

    // Clearing a capturing canvas lets the mouse go.
    item = shown.AddInput("L0,T0,R0,B0");
    item->SendItemEvent(ItemEvent::kStartCapture);
    shown.canvas.Clear();
    EXPECT_EQ(Canvas::CapturingCanvas(), nullptr);
    EXPECT_FALSE(shown.host.AnyWindowHoldsMouse());
}

TEST(CanvasInputTest, FocusCodesMoveTheActiveItem)
{
    Shown shown;
    shown.canvas.SetEventHandler([&](const ItemEvent& event) {
        shown.passed.push_back(event);
        return true;
    });
    auto* a = Add<InputItem>(shown.canvas, { { "Id", "a" }, { "Name", "first" } });
    auto* b = Add<InputItem>(shown.canvas, { { "Id", "b" } });

    EXPECT_TRUE(b->SendItemEvent(ItemEvent::kTakeFocus));
    EXPECT_EQ(shown.canvas.ActiveItem(), b);
    EXPECT_TRUE(a->SendItemEvent(ItemEvent::kDropFocus)); // a is not active: nothing changes
    EXPECT_EQ(shown.canvas.ActiveItem(), b);
    EXPECT_TRUE(b->SendItemEvent(ItemEvent::kDropFocus));
    EXPECT_EQ(shown.canvas.ActiveItem(), nullptr);

    // A key that no input item has is dropped.
    PlacedItem stranger(shown.canvas);
    EXPECT_FALSE(stranger.SendItemEvent(ItemEvent::kTakeFocus));
    EXPECT_EQ(shown.canvas.ActiveItem(), nullptr);

    EXPECT_TRUE(a->SendItemEvent(ItemEvent::kChanged, {}, QStringLiteral("x")));
    ASSERT_EQ(shown.passed.size(), 2u);
    EXPECT_EQ(shown.passed[0].code, ItemEvent::kTakeFocus);
    EXPECT_EQ(shown.passed[0].key, QStringLiteral("b"));
    EXPECT_EQ(shown.passed[1].text, QStringLiteral("first"));
    EXPECT_EQ(shown.passed[1].key, QStringLiteral("a"));
    EXPECT_EQ(shown.passed[1].extra, QStringLiteral("x"));
}

TEST(CanvasInputTest, EventRaisedInsideAHandlerIsDropped)
{
    Shown shown;
    auto* item = shown.AddInput("L0,T0,R0,B0");
    std::vector<int> codes;
    bool nested_result = false;
    shown.canvas.SetEventHandler([&](const ItemEvent& event) {
        codes.push_back(event.code);
        if (event.code == ItemEvent::kChanged) {
            nested_result = item->SendItemEvent(ItemEvent::kChangeFinished);
            item->SendItemEvent(ItemEvent::kStartCapture);
        }
        return false;
    });
    EXPECT_FALSE(item->SendItemEvent(ItemEvent::kChanged));
    EXPECT_TRUE(nested_result);
    EXPECT_EQ(codes, (std::vector<int> { ItemEvent::kChanged, ItemEvent::kStartCapture }));
    // After the handler has returned, events pass again.
    item->SendItemEvent(ItemEvent::kChangeFinished);
    EXPECT_EQ(codes.back(), ItemEvent::kChangeFinished);
}

TEST(CanvasInputTest, ItemRemovedInsideItsHandlerLivesUntilRoutingEnds)
{
    struct Watched : InputItem {
        Watched(Canvas& canvas, bool* destroyed)
            : InputItem(canvas)
            , m_destroyed(destroyed)
        {
        }
        ~Watched() override { *m_destroyed = true; }
        bool* m_destroyed;
    };
    Shown shown;
    bool destroyed = false;
    auto* below = shown.AddInput("L0,T0,R0,B0", false);
    auto owned = std::make_unique<Watched>(shown.canvas, &destroyed);
    Watched* item = owned.get();
    shown.canvas.AddItem(std::move(owned));
    shown.canvas.SetActiveItem(item);
    bool alive_after_remove = false;
    item->on_message = [&](const Message&) {
        shown.canvas.RemoveItem(item);
        alive_after_remove = !destroyed;
        item->received.push_back(MessageKind::None); // still safe to touch
    };
    EXPECT_TRUE(shown.canvas.RouteMessage(MouseAt(MessageKind::MouseMove, 5, 5)));
    EXPECT_TRUE(alive_after_remove);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(shown.canvas.ActiveItem(), nullptr);
    EXPECT_EQ(shown.canvas.ItemCount(), 1);
    EXPECT_EQ(shown.canvas.InputItems(), std::vector<Item*> { below });
}

TEST(CanvasInputTest, ToolTipSitsBelowTheItemAndBelongsToOneCanvas)
{
    Shown shown;
    Shown other;
    auto* item = shown.AddInput("L10,T20,W30,H10");
    shown.canvas.ShowToolTip(QStringLiteral("tip"), item);
    EXPECT_EQ(shown.host.tooltip_text, QStringLiteral("tip"));
    EXPECT_EQ(shown.host.tooltip_point, QPoint(1010, 2038));

    shown.host.tooltip_point = QPoint();
    shown.canvas.ShowToolTip(QStringLiteral("tip"), item);
    EXPECT_EQ(shown.host.tooltip_point, QPoint()); // same item and text: left alone

    other.canvas.ShowToolTip(QString(), item); // not the tooltip's item there: nothing
    EXPECT_EQ(shown.host.tooltip_text, QStringLiteral("tip"));
    other.canvas.RouteMessage(MouseAt(MessageKind::MouseMove, 1, 1));
    EXPECT_TRUE(shown.host.tooltip_text.isEmpty());

    shown.canvas.ShowToolTip(QStringLiteral("again"), item);
    shown.canvas.ShowToolTip(QString(), item);
    EXPECT_TRUE(shown.host.tooltip_text.isEmpty());
}

TEST(CanvasInputTest, PropertyAccessByNameReachesTheFirstItem)
{
    Shown shown;
    auto* first = Add<FillItem>(shown.canvas, { { "Pos", "L0,T0,W10,H10" }, { "Name", "twin" } }, QColor(Qt::red), true);
    auto* second = Add<FillItem>(shown.canvas, { { "Pos", "L0,T0,W20,H10" }, { "Name", "twin" } }, QColor(Qt::blue), true);
    Add<FillItem>(shown.canvas, { { "Name", "twins" } }, QColor(Qt::blue), true);

    float width = 0;
    ASSERT_TRUE(shown.canvas.GetItemPropertyFloat(QStringLiteral("twin"), QStringLiteral("Width"), width));
    EXPECT_EQ(width, 10.0f);
    int int_width = 0;
    EXPECT_TRUE(shown.canvas.GetItemPropertyInt(QStringLiteral("twin"), QStringLiteral("Width"), int_width));
    EXPECT_EQ(int_width, 10);
    bool visible = false;
    EXPECT_TRUE(shown.canvas.GetItemPropertyBool(QStringLiteral("twin"), QStringLiteral("Visible"), visible));
    EXPECT_TRUE(visible);
    EXPECT_FALSE(shown.canvas.GetItemPropertyFloat(QStringLiteral("nobody"), QStringLiteral("Width"), width));
    EXPECT_FALSE(shown.canvas.SetItemProperty(QStringLiteral("nobody"), QStringLiteral("Visible"), QStringLiteral("false")));
    EXPECT_EQ(shown.canvas.FindItems(QStringLiteral("twin")), (std::vector<int> { 0, 1, 2 }));

    // The repainting setter renders what the item covered before and after, and presents it.
    shown.canvas.RenderVisibleArea(OpaqueShortcut::On);
    shown.canvas.Present(PresentScope::Dirty, UpdateTiming::Later);
    shown.host.invalidated.clear();
    const int drawn = second->draw_count;
    EXPECT_TRUE(shown.canvas.UpdateItemProperty(QStringLiteral("twin"), QStringLiteral("RPos"), QStringLiteral("W5")));
    EXPECT_EQ(second->draw_count, drawn + 1);
    ASSERT_EQ(shown.host.invalidated.size(), 1u);
    EXPECT_EQ(shown.host.invalidated[0], QRect(0, 0, 10, 10));
    EXPECT_EQ(shown.host.last_timing, UpdateTiming::Now);
    EXPECT_EQ(shown.canvas.BackBuffer().pixel(7, 5), QColor(Qt::blue).rgb());
    EXPECT_FALSE(shown.canvas.UpdateItemProperty(QStringLiteral("twin"), QStringLiteral("RPos"), QStringLiteral("W5")));
    EXPECT_TRUE(shown.canvas.UpdateItemPropertyInt(QStringLiteral("twin"), QStringLiteral("RPos"), 7));
    EXPECT_EQ(first->GetAnchors()[Item::kRight], QStringLiteral("7"));
    EXPECT_TRUE(shown.canvas.UpdateItemPropertyFloat(QStringLiteral("twin"), QStringLiteral("RPos"), 2.5f));
    EXPECT_EQ(first->GetAnchors()[Item::kRight], QStringLiteral("2.5"));
}

TEST(CanvasInputTest, SavedItemsFormThePageText)
{
    Canvas canvas;
    Add<PlacedItem>(canvas, { { "Pos", "L0,T0,R0,B0" } });
    Add<SavingItem>(canvas, { { "Pos", "L1,T2,W3,H4" }, { "Name", "n" } });
    Add<SavingItem>(canvas, { { "Pos", "L5,T6,W7,H8" }, { "Option", "Invisible" } });
    QString text;
    canvas.SaveItems(text);
    EXPECT_EQ(text,
        QStringLiteral("[Note]\r\nColor=0xff00ff00\r\nPos=L1,T2,W3,H4\r\nName=n\r\nOption=Repeat\r\n\r\n"
                       "[Note]\r\nColor=0xff00ff00\r\nPos=L5,T6,W7,H8\r\nOption=Repeat,Invisible\r\n\r\n"));
}

TEST(CanvasInputTest, SectionsBecomeItemsThroughTheFactory)
{
    Canvas::RegisterFactory(CanvasKind::QualityDialog, [](Canvas& canvas, const QString& name) -> std::unique_ptr<Item> {
        if (name == QLatin1String("Brush"))
            return std::make_unique<FillItem>(canvas, QColor(Qt::red), true);
        return nullptr;
    });
    Canvas canvas(CanvasKind::QualityDialog);
    EXPECT_TRUE(canvas.AddFromSection(QStringLiteral("Brush"), Store({ { "Pos", "L1,T1,W2,H2" }, { "Group", "A" } })));
    EXPECT_FALSE(canvas.AddFromSection(QStringLiteral("brush"), Store({})));
    EXPECT_FALSE(canvas.AddFromSection(QStringLiteral("Viewer"), Store({ { "Group", "A" }, { "Dpi", "144" } })));
    EXPECT_EQ(canvas.ItemCount(), 1);
    EXPECT_EQ(canvas.CurrentGroup(), QStringLiteral("A"));
    EXPECT_EQ(canvas.Dpi(), 144.0f);
    EXPECT_EQ(canvas.ItemAt(0)->GetAnchors()[0], QStringLiteral("L1"));
    EXPECT_FALSE(canvas.AddFromSection(QStringLiteral("Viewer"), Store({ { "Dpi", "none" } })));
    EXPECT_EQ(canvas.Dpi(), 0.0f);

    // A canvas's own factory stands before its kind's.
    Canvas own(CanvasKind::QualityDialog);
    own.SetFactory([](Canvas&, const QString&) { return nullptr; });
    EXPECT_FALSE(own.AddFromSection(QStringLiteral("Brush"), Store({})));
    Canvas::RegisterFactory(CanvasKind::QualityDialog, nullptr);
}

TEST(CanvasInputTest, RemovedItemsLeaveEveryList)
{
    Shown shown;
    auto* item = shown.AddInput("L0,T0,R0,B0");
    shown.canvas.AddWindowedItem(item);
    shown.canvas.SetActiveItem(item);
    shown.canvas.ShowToolTip(QStringLiteral("tip"), item);
    EXPECT_TRUE(shown.canvas.RemoveItem(item));
    EXPECT_TRUE(shown.canvas.InputItems().empty());
    EXPECT_TRUE(shown.canvas.WindowedItems().empty());
    EXPECT_EQ(shown.canvas.ActiveItem(), nullptr);
    EXPECT_TRUE(shown.host.tooltip_text.isEmpty());
    EXPECT_FALSE(shown.canvas.RemoveItem(item));
}

TEST(CanvasInputTest, ItemsClearedUnderAGuardLiveUntilItEnds)
{
    struct Watched : PlacedItem {
        Watched(Canvas& canvas, int* destroyed)
            : PlacedItem(canvas)
            , m_destroyed(destroyed)
        {
        }
        ~Watched() override { ++*m_destroyed; }
        int* m_destroyed;
    };
    Canvas canvas;
    int destroyed = 0;
    canvas.AddItem(std::make_unique<Watched>(canvas, &destroyed));
    canvas.AddItem(std::make_unique<Watched>(canvas, &destroyed));
    {
        Canvas::DispatchGuard outer(canvas);
        {
            Canvas::DispatchGuard inner(canvas);
            canvas.RemoveItem(canvas.ItemAt(0));
            canvas.Clear();
        }
        EXPECT_EQ(canvas.ItemCount(), 0);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 2);
}

// An item removed while it drags (a key deleted it, a turn failed) leaves no grab behind: the
// window and other programs get clicks again.
TEST(CanvasInputTest, RemovingTheDraggingItemLetsTheMouseGo)
{
    Shown shown;
    auto* dragging = shown.AddInput("L0,T0,W50,H50");
    auto* other = shown.AddInput("L100,T0,W50,H50");
    dragging->on_message = [&](const Message& message) {
        if (message.kind != MessageKind::LButtonDown)
            return;
        dragging->SendItemEvent(ItemEvent::kTakeFocus);
        dragging->SendItemEvent(ItemEvent::kStartCapture);
    };
    dragging->hit_only = true;
    other->hit_only = true;
    shown.canvas.RouteMessage(MouseAt(MessageKind::LButtonDown, 10, 10));
    ASSERT_TRUE(shown.host.HoldsMouse());
    shown.host.cursor = Qt::SizeAllCursor;

    // Another item going changes nothing.
    shown.canvas.RemoveItem(other);
    EXPECT_TRUE(shown.host.HoldsMouse());
    shown.canvas.RemoveItem(dragging);
    EXPECT_FALSE(shown.host.AnyWindowHoldsMouse());
    EXPECT_EQ(Canvas::CapturingCanvas(), nullptr);
    EXPECT_EQ(shown.host.cursor, Qt::ArrowCursor);
}

// A dialog, question or menu that opens (a modal scope) finds the pointer free: the capturing
// canvas lets go of the capture, and its items hear that the pointer left.
TEST(CanvasInputTest, OpeningModalLoopTakesTheCaptureAway)
{
    Shown shown;
    auto* item = shown.AddInput("L0,T0,R0,B0", false);
    item->SendItemEvent(ItemEvent::kStartCapture);
    ASSERT_TRUE(shown.host.HoldsMouse());
    item->received.clear();
    {
        ModalScope modal;
        EXPECT_TRUE(ModalScope::IsOpen());
        EXPECT_FALSE(shown.host.AnyWindowHoldsMouse());
        EXPECT_EQ(Canvas::CapturingCanvas(), nullptr);
        EXPECT_EQ(item->received, std::vector<MessageKind> { MessageKind::MouseLeave });
    }
    EXPECT_FALSE(ModalScope::IsOpen());
}

// Keys reach the key handler after the items, with whether one of them used the key.
TEST(CanvasInputTest, KeyHandlerSeesKeyPressesAfterTheItems)
{
    Shown shown;
    auto* item = shown.AddInput("L0,T0,R0,B0", false);
    std::vector<std::pair<Key, bool>> seen;
    shown.canvas.SetKeyHandler([&](const Message& message, bool consumed) {
        seen.emplace_back(message.key, consumed);
        return message.key == Key::Escape;
    });
    Message key;
    key.kind = MessageKind::KeyDown;
    key.key = Key::Escape;
    EXPECT_TRUE(shown.canvas.RouteMessage(key));
    key.key = Key::Tab;
    EXPECT_FALSE(shown.canvas.RouteMessage(key));
    key.kind = MessageKind::KeyUp;
    EXPECT_FALSE(shown.canvas.RouteMessage(key));
    EXPECT_EQ(item->received.size(), 3u);
    const std::vector<std::pair<Key, bool>> expected { { Key::Escape, false }, { Key::Tab, false } };
    EXPECT_EQ(seen, expected);
}
