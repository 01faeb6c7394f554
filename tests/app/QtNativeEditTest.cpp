#include "../widgets/InputTestHarness.h"

#include "app/CanvasWidget.h"
#include "app/QtNativeEdit.h"
#include "widgets/EditableText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// Records what the window reports and answers with a scripted decision.
class RecordingListener : public NativeEdit::Listener {
public:
    bool RouteNativeMessage(const Message& message) override
    {
        messages.push_back(message);
        return consume ? consume(message) : false;
    }
    void NativeEditDestroyed(const QString& text) override { destroyed_texts.push_back(text); }

    std::function<bool(const Message&)> consume;
    std::vector<Message> messages;
    std::vector<QString> destroyed_texts;

    int Count(MessageKind kind) const
    {
        return int(std::count_if(messages.begin(), messages.end(), [kind](const Message& m) { return m.kind == kind; }));
    }
};

void SendKey(QWidget* widget, int qt_key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, qt_key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, qt_key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

}

TEST(QtNativeEditTest, MultiLineTextIsGivenAndTakenWithCrLf)
{
    QWidget parent;
    RecordingListener listener;
    NativeEdit::Style style;
    style.multi_line = true;
    QtNativeEdit edit(&parent, style, listener);
    ASSERT_NE(qobject_cast<QPlainTextEdit*>(edit.Widget()), nullptr);

    edit.SetText(QStringLiteral("one\r\ntwo\r\nthree"));
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(edit.Widget())->toPlainText(), QStringLiteral("one\ntwo\nthree"));
    EXPECT_EQ(edit.Text(), QStringLiteral("one\r\ntwo\r\nthree"));

    // Positions count each line end as two characters.
    edit.Select(5, 8);
    EXPECT_EQ(edit.Selection(), std::make_pair(5, 8));
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(edit.Widget())->textCursor().selectedText(), QStringLiteral("two"));
    edit.Select(0, -1);
    EXPECT_EQ(edit.Selection(), std::make_pair(0, 15));
}

TEST(QtNativeEditTest, SingleLineStyleAndSelection)
{
    QWidget parent;
    RecordingListener listener;
    NativeEdit::Style style;
    style.password = true;
    style.alignment = 2;
    QtNativeEdit edit(&parent, style, listener);
    auto* line = qobject_cast<QLineEdit*>(edit.Widget());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(line->alignment().testFlag(Qt::AlignRight));

    edit.SetText(QStringLiteral("abcdef"));
    edit.Select(2, 4);
    EXPECT_EQ(edit.Selection(), std::make_pair(2, 4));
    edit.Select(0, -1);
    EXPECT_EQ(edit.Selection(), std::make_pair(0, 6));
    edit.SetGeometry(QRect(10, 20, 100, 24));
    EXPECT_EQ(edit.Geometry(), QRect(10, 20, 100, 24));
}

TEST(QtNativeEditTest, TextChangesAreReportedAsEditChanged)
{
    QWidget parent;
    RecordingListener listener;
    QtNativeEdit edit(&parent, {}, listener);
    edit.SetText(QStringLiteral("12"));
    ASSERT_EQ(listener.Count(MessageKind::EditChanged), 1);
    EXPECT_EQ(listener.messages.back().source, static_cast<const NativeEdit*>(&edit));

    SendKey(edit.Widget(), Qt::Key_3, Qt::NoModifier, QStringLiteral("3"));
    EXPECT_EQ(edit.Text(), QStringLiteral("123"));
    EXPECT_EQ(listener.Count(MessageKind::EditChanged), 2);
}

TEST(QtNativeEditTest, ConsumedKeysNeverReachTheWindow)
{
    QWidget parent;
    RecordingListener listener;
    listener.consume = [](const Message& m) { return m.kind == MessageKind::KeyDown && m.key == Key::A && m.ctrl; };
    QtNativeEdit edit(&parent, {}, listener);
    edit.SetText(QStringLiteral("x"));

    SendKey(edit.Widget(), Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
    SendKey(edit.Widget(), Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    EXPECT_EQ(edit.Text(), QStringLiteral("xb"));

    ASSERT_GE(listener.Count(MessageKind::KeyDown), 2);
    const auto first_key = std::find_if(listener.messages.begin(), listener.messages.end(),
        [](const Message& m) { return m.kind == MessageKind::KeyDown; });
    EXPECT_EQ(first_key->key, Key::A);
    EXPECT_TRUE(first_key->ctrl);
    EXPECT_EQ(listener.Count(MessageKind::KeyUp), 2);

    SendKey(edit.Widget(), Qt::Key_Return);
    EXPECT_EQ(listener.messages.back().key, Key::Return);

    // A key the edit control does not use is not passed on to the canvas's window.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(edit.Widget(), &escape);
    EXPECT_TRUE(escape.isAccepted());
}

TEST(QtNativeEditTest, ListenerMayDestroyTheWindowWhileItLosesFocus)
{
    QWidget parent;
    parent.show();
    RecordingListener listener;
    std::unique_ptr<QtNativeEdit> edit = std::make_unique<QtNativeEdit>(&parent, NativeEdit::Style {}, listener);
    listener.consume = [&edit](const Message& m) {
        if (m.kind == MessageKind::KillFocus)
            edit.reset();
        return false;
    };
    QPointer<QWidget> widget = edit->Widget();
    QFocusEvent to_popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(widget, &to_popup);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(listener.Count(MessageKind::KillFocus), 0);
    QFocusEvent focus_out(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(widget, &focus_out);
    EXPECT_EQ(edit, nullptr);
    ASSERT_FALSE(widget.isNull());
    EXPECT_FALSE(widget->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(widget.isNull());
}

TEST(QtNativeEditTest, ParentGoingAwayReportsTheLastText)
{
    auto parent = std::make_unique<QWidget>();
    RecordingListener listener;
    QtNativeEdit edit(parent.get(), {}, listener);
    edit.SetText(QStringLiteral("kept"));
    parent.reset();
    ASSERT_EQ(listener.destroyed_texts.size(), 1u);
    EXPECT_EQ(listener.destroyed_texts[0], QStringLiteral("kept"));
    EXPECT_EQ(edit.Text(), QStringLiteral("kept"));
    edit.SetText(QStringLiteral("ignored")); // no window: nothing happens, nothing crashes
}

TEST(QtNativeEditTest, EditableTextInAWindowEditsInALineEdit)
{
    QtNativeEdit::Install();
    CanvasWidget widget(CanvasKind::Dialog);
    widget.SetScreenDpiOverride(96);
    widget.resize(200, 100);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    Canvas& canvas = widget.GetCanvas();
    std::vector<int> codes;
    canvas.SetEventHandler([&codes](const ItemEvent& event) {
        codes.push_back(event.code);
        return true;
    });
    auto item = std::make_unique<EditableText>(canvas);
    EditableText& field = *item;
    field.ReadSection(InputTest::StoreOf(QStringLiteral("[EditableText]\nPos=L10,T10,W80,H20\nText=3\nOption=Edge,Number")));
    canvas.AddItem(std::move(item));

    QTest::mouseClick(&widget, Qt::LeftButton, {}, QPoint(20, 15));
    auto* line = widget.findChild<QLineEdit*>();
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->geometry(), QRect(11, 11, 78, 18));
    EXPECT_EQ(line->text(), QStringLiteral("3"));
    EXPECT_EQ(codes, (std::vector<int> { 6 }));

    QTest::keyClicks(line, QStringLiteral("5"));
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_FALSE(field.IsEditing());
    EXPECT_EQ(field.Display().GetText(), QStringLiteral("35"));
    EXPECT_EQ(codes, (std::vector<int> { 6, 1, 2 }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(widget.findChild<QLineEdit*>(), nullptr);
    NativeEdit::SetFactory({});
}
