#include "../items/TestItems.h"

#include "app/CanvasWidget.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace TestItems;

namespace {

// Keeps every message the widget makes, besides routing it.
class RecordingWidget : public CanvasWidget {
public:
    using CanvasWidget::CanvasWidget;
    std::vector<Message> messages;

protected:
    // Focus, leave and modifier key messages come as the window system decides; the tests look
    // at the others.
    bool DeliverMessage(const Message& message) override
    {
        const bool modifier_key = message.key == Key::Control || message.key == Key::Shift;
        const bool plain = message.kind == MessageKind::SetFocus || message.kind == MessageKind::KillFocus
            || message.kind == MessageKind::MouseLeave || message.kind == MessageKind::MouseMove;
        if (!modifier_key && !plain)
            messages.push_back(message);
        return CanvasWidget::DeliverMessage(message);
    }
};

struct ShownWidget {
    ShownWidget()
    {
        widget.SetScreenDpiOverride(96);
        widget.resize(120, 80);
        widget.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }
    RecordingWidget widget;
};

}

TEST(CanvasWidgetTest, ResizingMakesTheBackBufferAndPaintingShowsIt)
{
    ShownWidget shown;
    Canvas& canvas = shown.widget.GetCanvas();
    EXPECT_EQ(canvas.ReferenceWidth(), 120.0f);
    EXPECT_EQ(canvas.ReferenceHeight(), 80.0f);
    EXPECT_EQ(canvas.Dpi(), 96.0f);
    Add<FillItem>(canvas, { { "Pos", "L0,T0,R0,B0" } }, QColor(Qt::blue), true);
    Add<FillItem>(canvas, { { "Pos", "R20,B20,R0,B0" } }, QColor(Qt::red), true);
    shown.widget.resize(200, 100);
    QApplication::processEvents();
    EXPECT_EQ(canvas.ReferenceWidth(), 200.0f);

    const QImage image = shown.widget.grab().toImage();
    EXPECT_EQ(image.pixel(10, 10), QColor(Qt::blue).rgb());
    EXPECT_EQ(image.pixel(190, 90), QColor(Qt::red).rgb());
}

TEST(CanvasWidgetTest, MouseAndKeyEventsBecomeRoutedMessages)
{
    ShownWidget shown;
    Canvas& canvas = shown.widget.GetCanvas();
    auto* item = Add<InputItem>(canvas, { { "Pos", "L0,T0,R0,B0" } });

    QTest::mousePress(&shown.widget, Qt::LeftButton, Qt::ControlModifier, QPoint(30, 40));
    QTest::mouseRelease(&shown.widget, Qt::LeftButton, Qt::ShiftModifier, QPoint(31, 41));
    QTest::mousePress(&shown.widget, Qt::RightButton, Qt::NoModifier, QPoint(5, 6));
    ASSERT_GE(shown.widget.messages.size(), 3u);
    const Message& press = shown.widget.messages[0];
    EXPECT_EQ(press.kind, MessageKind::LButtonDown);
    EXPECT_EQ(press.position, QPoint(30, 40));
    EXPECT_TRUE(press.ctrl);
    EXPECT_TRUE(press.left_button);
    const Message& release = shown.widget.messages[1];
    EXPECT_EQ(release.kind, MessageKind::LButtonUp);
    EXPECT_TRUE(release.shift);
    EXPECT_FALSE(release.ctrl);
    EXPECT_EQ(shown.widget.messages[2].kind, MessageKind::RButtonDown);
    EXPECT_EQ(item->last_point, QPointF(5, 6));

    shown.widget.messages.clear();
    QTest::keyPress(&shown.widget, Qt::Key_B, Qt::NoModifier);
    QTest::keyPress(&shown.widget, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyRelease(&shown.widget, Qt::Key_Z, Qt::ControlModifier);
    std::vector<MessageKind> kinds;
    for (const Message& message : shown.widget.messages)
        kinds.push_back(message.kind);
    EXPECT_EQ(kinds, (std::vector<MessageKind> { MessageKind::KeyDown, MessageKind::Char, MessageKind::KeyDown, MessageKind::KeyUp }));
    EXPECT_EQ(shown.widget.messages[0].key, Key('B'));
    EXPECT_EQ(shown.widget.messages[1].text, QStringLiteral("b"));
    EXPECT_EQ(shown.widget.messages[2].key, Key::Z);
    EXPECT_TRUE(shown.widget.messages[2].ctrl);
}

TEST(CanvasWidgetTest, QtKeysMapToTheProgramsKeys)
{
    struct Row {
        int qt_key;
        Qt::KeyboardModifiers modifiers;
        Key key;
    };
    const Row rows[] = {
        { Qt::Key_A, Qt::NoModifier, Key::A },
        { Qt::Key_0, Qt::NoModifier, Key::Digit0 },
        { Qt::Key_F5, Qt::NoModifier, Key::F5 },
        { Qt::Key_F11, Qt::NoModifier, Key::F11 },
        { Qt::Key_Enter, Qt::KeypadModifier, Key::Return },
        { Qt::Key_PageUp, Qt::NoModifier, Key::Prior },
        { Qt::Key_Delete, Qt::NoModifier, Key::Delete },
        { Qt::Key_Plus, Qt::KeypadModifier, Key::Add },
        { Qt::Key_Plus, Qt::NoModifier, Key::Plus },
        { Qt::Key_Minus, Qt::KeypadModifier, Key::Subtract },
        { Qt::Key_Minus, Qt::NoModifier, Key::Minus },
    };
    for (const Row& row : rows)
        EXPECT_EQ(CanvasWidget::KeyFromQt(row.qt_key, row.modifiers), row.key) << row.qt_key;
    EXPECT_FALSE(CanvasWidget::KeyFromQt(Qt::Key_Launch0, Qt::NoModifier).has_value());
}

TEST(CanvasWidgetTest, CaptureEventsGrabAndReleaseTheMouse)
{
    ShownWidget shown;
    Canvas& canvas = shown.widget.GetCanvas();
    auto* item = Add<InputItem>(canvas, { { "Pos", "L0,T0,R0,B0" } });
    item->SendItemEvent(ItemEvent::kStartCapture);
    EXPECT_EQ(QWidget::mouseGrabber(), &shown.widget);
    EXPECT_EQ(Canvas::CapturingCanvas(), &canvas);
    item->SendItemEvent(ItemEvent::kReleaseCapture);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(Canvas::CapturingCanvas(), nullptr);
}
