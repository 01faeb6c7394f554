#include "InputTestHarness.h"

#include "platform/ScriptedUserPrompt.h"
#include "widgets/Brush.h"
#include "widgets/Button.h"
#include "widgets/CheckBox.h"
#include "widgets/EditableTextWithMenu.h"
#include "widgets/Knob.h"
#include "widgets/RadioButtons.h"
#include "widgets/Slider.h"

#include <gtest/gtest.h>

using namespace InputTest;

namespace {

Message KeyDown(Key key, bool auto_repeat = false)
{
    Message message = KeyMessage(MessageKind::KeyDown, key);
    message.auto_repeat = auto_repeat;
    return message;
}

// The dark pixels of a row of the back buffer between two columns (logical pixels).
int DarkPixelsInRow(const QImage& image, int row, int from, int to)
{
    const qreal ratio = image.devicePixelRatio();
    int dark = 0;
    for (int x = int(from * ratio); x < int(to * ratio); ++x)
        if (qGray(image.pixel(x, int(row * ratio))) < 64)
            ++dark;
    return dark;
}

}

TEST(KeyboardFocusTest, SpacePressesOnlyTheButtonThatHasTheFocus)
{
    Harness harness;
    Button& ok = harness.Add<Button>(QStringLiteral("[Button]\nPos=L10,T10,W60,H20\nName=OK\nText=OK"));
    CheckBox& check = harness.Add<CheckBox>(QStringLiteral("[CheckBox]\nPos=L10,T40,W100,H20\nName=Wrap\nText=Wrap"));

    EXPECT_FALSE(harness.Send(KeyDown(Key::Space)));
    EXPECT_TRUE(harness.events.empty());

    harness.canvas.SetActiveItem(&ok);
    EXPECT_TRUE(harness.Send(KeyDown(Key::Space)));
    ASSERT_EQ(harness.events.size(), 1u);
    EXPECT_EQ(harness.events[0].text, u"OK");
    EXPECT_EQ(harness.TakeCodes(), (Codes { ItemEvent::kChanged }));
    // A key held down presses once.
    EXPECT_TRUE(harness.Send(KeyDown(Key::Space, true)));
    EXPECT_TRUE(harness.events.empty());

    harness.canvas.SetActiveItem(&check);
    harness.Send(KeyDown(Key::Space));
    EXPECT_TRUE(check.IsPushed());
    harness.Send(KeyDown(Key::Space));
    EXPECT_FALSE(check.IsPushed());
    EXPECT_EQ(harness.TakeCodes(), (Codes { ItemEvent::kChanged, ItemEvent::kChanged }));
    EXPECT_FALSE(harness.Send(KeyDown(Key::Return)));
}

// Right and Up raise the focused value by a sixteenth of its range and stop at the bounds;
// Left and Down lower it. Radio buttons step to the next enabled one.
TEST(KeyboardFocusTest, ArrowKeysStepTheFocusedValueAndRadioButtons)
{
    Harness harness;
    Slider& slider = harness.Add<Slider>(QStringLiteral("[Slider]\nPos=L10,T10,W200,H20\nName=Quality\nValue=90"));
    Knob& knob = harness.Add<Knob>(QStringLiteral("[Knob]\nPos=L10,T40,W45,H45\nName=Level\nMin=0\nMax=255\nValue=0"));
    RadioButtons& radios = harness.Add<RadioButtons>(QStringLiteral(
        "[RadioButtons]\nName=Naming\nPos=L100,T100,W200,H80\n"
        "RadioButton1=L100,T100,W80,H16,One,true\nRadioButton2=L100,T120,W80,H16,Two\n"
        "RadioButton3=L100,T140,W80,H16,Three\n"));
    radios.SetProperty(QStringLiteral("Enable"), QStringLiteral("true,false,true"));

    // Keys reach only the widget with the focus.
    EXPECT_FALSE(harness.Send(KeyDown(Key::Right)));
    EXPECT_EQ(slider.Value(), 90.0f);

    harness.canvas.SetActiveItem(&slider);
    harness.Send(KeyDown(Key::Right));
    EXPECT_EQ(slider.Value(), 96.25f);
    harness.Send(KeyDown(Key::Up));
    EXPECT_EQ(slider.Value(), 100.0f);
    EXPECT_EQ(harness.TakeCodes(), (Codes { ItemEvent::kChanged, ItemEvent::kChanged }));
    harness.Send(KeyDown(Key::Right));
    EXPECT_EQ(slider.Value(), 100.0f);
    EXPECT_TRUE(harness.TakeCodes().empty());
    harness.Send(KeyDown(Key::Down));
    EXPECT_EQ(slider.Value(), 93.75f);

    harness.canvas.SetActiveItem(&knob);
    harness.Send(KeyDown(Key::Left));
    EXPECT_EQ(knob.Value(), 0.0f);
    harness.Send(KeyDown(Key::Up));
    EXPECT_EQ(knob.Value(), 255.0f / 16);

    harness.canvas.SetActiveItem(&radios);
    harness.TakeCodes();
    harness.Send(KeyDown(Key::Down));
    EXPECT_EQ(radios.SelectedIndex(), 2);
    harness.Send(KeyDown(Key::Down));
    EXPECT_EQ(radios.SelectedIndex(), 2);
    harness.Send(KeyDown(Key::Left));
    EXPECT_EQ(radios.SelectedIndex(), 0);
    EXPECT_EQ(harness.TakeCodes(), (Codes { ItemEvent::kChanged, ItemEvent::kChanged }));
}

// A fixed list takes the neighbouring choice with Up and Down and opens with F4 or Space.
TEST(KeyboardFocusTest, ChoiceFieldStepsAndOpensItsListFromTheKeys)
{
    ScriptedUserPrompt& prompt = ScriptedUserPrompt::Install();
    Harness harness;
    EditableTextWithMenu& align = harness.Add<EditableTextWithMenu>(
        QStringLiteral("[EditableTextWithMenu]\nPos=L10,T10,W60,H20\nName=HAlign\nList=L,C,R\nText=L\nOption=NoEditable"));
    harness.canvas.SetActiveItem(&align);

    harness.Send(KeyDown(Key::Down));
    EXPECT_EQ(align.CurrentText(), u"C");
    EXPECT_EQ(harness.TakeCodes(), (Codes { ItemEvent::kTextEntry, ItemEvent::kChanged, ItemEvent::kChangeFinished }));
    harness.Send(KeyDown(Key::Up));
    harness.Send(KeyDown(Key::Up));
    EXPECT_EQ(align.CurrentText(), u"L");
    EXPECT_EQ(harness.TakeCodes().size(), 3u);

    prompt.QueueMenuChoice(3);
    harness.Send(KeyDown(Key::F4));
    EXPECT_EQ(align.CurrentText(), u"R");
    harness.Send(KeyDown(Key::Space));
    ASSERT_EQ(prompt.Requests().size(), 2u);
    EXPECT_EQ(prompt.Requests()[1].kind, ScriptedUserPrompt::Kind::PopupMenu);
    SetPrompt(nullptr);
}

// A button that opens a dialog from its click finds the mouse free, and shows normal while the
// dialog is open and after it, though the pointer hovered it when it was pressed.
TEST(KeyboardFocusTest, ButtonThatOpensADialogLetsTheMouseGoAndShowsNormal)
{
    ScriptedUserPrompt::Install();
    Harness harness;
    Button& button = harness.Add<Button>(QStringLiteral("[Button]\nPos=L10,T10,W60,H20\nName=Open\nText=Open"));
    bool held_meanwhile = true;
    ButtonBase::State state_meanwhile = ButtonBase::State::Pushed;
    harness.on_event = [&](const ItemEvent& event) {
        if (event.code != ItemEvent::kChanged)
            return;
        Prompt().AskYesNo(QStringLiteral("?"), QStringLiteral("Tessary"));
        held_meanwhile = harness.host.holds_mouse;
        state_meanwhile = button.CurrentState();
    };
    harness.Send(MessageKind::MouseMove, QPoint(30, 20));
    ASSERT_TRUE(harness.host.holds_mouse);
    harness.Click(QPoint(30, 20));
    EXPECT_FALSE(held_meanwhile);
    EXPECT_EQ(state_meanwhile, ButtonBase::State::Normal);
    EXPECT_EQ(button.CurrentState(), ButtonBase::State::Normal);
    EXPECT_FALSE(harness.host.holds_mouse);
    EXPECT_EQ(Canvas::CapturingCanvas(), nullptr);
    SetPrompt(nullptr);
}

// Where the canvas shows the focus, the focused widget has a dotted frame inside its bounds,
// at ratio 1 and 2.
TEST(KeyboardFocusTest, FocusedWidgetIsDrawnWithAFrame)
{
    for (const qreal ratio : { 1.0, 2.0 }) {
        Harness harness;
        harness.canvas.ResizeBackBuffer(400, 300, ratio);
        harness.Add<Brush>(QStringLiteral("[Brush]\nPos=L0,T0,R0,B0\nColor=0xffc0c0c0"));
        Button& ok = harness.Add<Button>(QStringLiteral("[Button]\nPos=L10,T10,W60,H20\nName=OK"));
        Slider& slider = harness.Add<Slider>(QStringLiteral("[Slider]\nPos=L10,T60,W200,H20\nName=Amount"));
        const int button_row = 10 + 2;
        const int slider_row = 60 + 2;

        harness.canvas.SetActiveItem(&ok);
        QImage image = harness.Render();
        EXPECT_EQ(DarkPixelsInRow(image, button_row, 13, 67), 0) << "the canvas shows no focus yet";

        harness.canvas.SetShowsFocus(true);
        image = harness.Render();
        EXPECT_GT(DarkPixelsInRow(image, button_row, 13, 67), 10 * ratio) << ratio;
        const int slider_before = DarkPixelsInRow(image, slider_row, 13, 207);

        harness.canvas.SetActiveItem(&slider);
        image = harness.Render();
        EXPECT_EQ(DarkPixelsInRow(image, button_row, 13, 67), 0) << ratio;
        EXPECT_GT(DarkPixelsInRow(image, slider_row, 13, 207), slider_before + 40 * ratio) << ratio;
    }
}
