#include "FakeNativeEdit.h"
#include "InputTestHarness.h"

#include "platform/SystemColors.h"
#include "widgets/Brush.h"
#include "widgets/EditableText.h"

#include <gtest/gtest.h>

using namespace InputTest;

namespace {

const QString kPageField = QStringLiteral("[EditableText]\nName=ThisPage\nPos=L10,T10,W80,H20\nText=3\nOption=Edge,Number\nAlign=R");
constexpr QPoint kInside(20, 15);
constexpr QPoint kElsewhere(200, 200);

class EditableTextTest : public ::testing::Test {
protected:
    // Begins editing with a click and returns the window that appears.
    FakeNativeEdit* BeginByClick(EditableText& field)
    {
        EXPECT_FALSE(m_harness.Send(MessageKind::LButtonDown, kInside)); // items below see it too
        EXPECT_TRUE(field.IsEditing());
        return FakeNativeEdit::Current();
    }

    FakeNativeEditScope m_fakes;
    Harness m_harness;
};

}

TEST_F(EditableTextTest, ClickBeginsEditingInANativeWindowOverTheField)
{
    EditableText& field = m_harness.Add<EditableText>(kPageField);
    FakeNativeEdit* window = BeginByClick(field);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 6 }));
    EXPECT_EQ(m_harness.canvas.ActiveItem(), &field);
    EXPECT_EQ(window->text, QStringLiteral("3"));
    EXPECT_TRUE(window->focused);
    // Inside the frame, and the click is handed on so the caret lands under the pointer.
    EXPECT_EQ(window->geometry, QRect(11, 11, 78, 18));
    EXPECT_EQ(window->clicks, (std::vector<QPoint> { kInside }));
    EXPECT_FALSE(window->style.client_edge);
    EXPECT_EQ(PropertyOf(field, "Editing"), QStringLiteral("true"));

    // A second click inside only moves the caret.
    m_harness.Send(MessageKind::LButtonDown, kInside + QPoint(5, 0));
    EXPECT_EQ(FakeNativeEdit::Created(), 1);
    EXPECT_TRUE(m_harness.events.empty());
}

TEST_F(EditableTextTest, ReturnCommitsAndIsReadableDuringTheCommitEvents)
{
    EditableText& field = m_harness.Add<EditableText>(kPageField);
    FakeNativeEdit* window = BeginByClick(field);
    m_harness.TakeCodes();
    std::vector<QString> returned_during;
    m_harness.on_event = [&](const ItemEvent& event) { returned_during.push_back(PropertyOf(field, "Return")); };

    window->Type(QStringLiteral("2"));
    EXPECT_TRUE(window->PressKey(Key::Return));
    // Event 7 gives the focus back to the canvas and is not passed on.
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 1, 2 }));
    EXPECT_EQ(returned_during, (std::vector<QString> { QStringLiteral("true"), QStringLiteral("true") }));
    EXPECT_EQ(PropertyOf(field, "Return"), QStringLiteral("false"));
    EXPECT_FALSE(field.IsEditing());
    EXPECT_TRUE(FakeNativeEdit::Live().empty());
    EXPECT_EQ(field.Display().GetText(), QStringLiteral("32"));
    EXPECT_EQ(PropertyOf(field, "Text"), QStringLiteral("32"));
    EXPECT_EQ(m_harness.canvas.ActiveItem(), nullptr);
}

TEST_F(EditableTextTest, NumberFieldThrowsAwayTextThatIsNoNumber)
{
    EditableText& field = m_harness.Add<EditableText>(kPageField);
    FakeNativeEdit* window = BeginByClick(field);
    m_harness.TakeCodes();
    window->Type(QStringLiteral("a"));
    window->PressKey(Key::Return);
    // The editor's text changed back, so the owner still hears of a change.
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 1, 2 }));
    EXPECT_EQ(m_harness.canvas.ActiveItem(), nullptr);
    EXPECT_EQ(field.Display().GetText(), QStringLiteral("3"));
    EXPECT_EQ(PropertyOf(field, "Text"), QStringLiteral("3"));

    struct Row {
        const char* text;
        bool number;
    };
    const Row rows[] = {
        { "-3.5", true }, { "", true }, { "-", true }, { ".", true }, { "120", true },
        { "1.2.3", false }, { "3-", false }, { "--1", false }, { "1a", false }, { " 1", false }, { "\xef\xbc\x91", false },
    };
    for (const Row& row : rows)
        EXPECT_EQ(EditableText::IsNumberText(QString::fromUtf8(row.text)), row.number) << row.text;
}

TEST_F(EditableTextTest, ClickElsewhereOrLosingFocusCommits)
{
    EditableText& field = m_harness.Add<EditableText>(QStringLiteral("[EditableText]\nPos=L10,T10,W80,H20\nText=a\nOption=Edge,SingleLine"));
    FakeNativeEdit* window = BeginByClick(field);
    m_harness.TakeCodes();
    window->Type(QStringLiteral("b"));
    EXPECT_FALSE(m_harness.Send(MessageKind::LButtonDown, kElsewhere));
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 1, 2 }));
    EXPECT_EQ(m_harness.canvas.ActiveItem(), nullptr);
    EXPECT_EQ(field.Display().GetText(), QStringLiteral("ab"));

    // Unchanged: only the focus is dropped.
    window = BeginByClick(field);
    m_harness.TakeCodes();
    EXPECT_FALSE(window->LoseFocus());
    EXPECT_EQ(m_harness.TakeCodes(), (Codes {}));
    EXPECT_EQ(m_harness.canvas.ActiveItem(), nullptr);
    EXPECT_FALSE(field.IsEditing());

    window = BeginByClick(field);
    window->Type(QStringLiteral("c"));
    m_harness.TakeCodes();
    window->LoseFocus();
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 1, 2 }));
    EXPECT_EQ(field.Display().GetText(), QStringLiteral("abc"));
}

TEST_F(EditableTextTest, ReturnInAMultiLineFieldTypesANewLine)
{
    EditableText& field = m_harness.Add<EditableText>(QStringLiteral("[EditableText]\nPos=L10,T10,W80,H40\nOption=MultiLine"));
    FakeNativeEdit* window = BeginByClick(field);
    EXPECT_TRUE(window->style.multi_line);
    EXPECT_FALSE(window->PressKey(Key::Return));
    EXPECT_TRUE(field.IsEditing());
}

TEST_F(EditableTextTest, EditingByProperty)
{
    EditableText& field = m_harness.Add<EditableText>(kPageField);
    EXPECT_TRUE(field.SetProperty(QStringLiteral("EditVisible"), QStringLiteral("true")));
    EXPECT_TRUE(field.IsEditing());
    EXPECT_NE(FakeNativeEdit::Current(), nullptr);
    EXPECT_FALSE(field.SetProperty(QStringLiteral("EditVisible"), QStringLiteral("true")));
    EXPECT_TRUE(field.SetProperty(QStringLiteral("EditVisible"), QStringLiteral("false")));
    EXPECT_FALSE(field.IsEditing());

    // Disabling ends editing first; the owner may also end editing from inside its handler.
    field.SetProperty(QStringLiteral("EditVisible"), QStringLiteral("true"));
    FakeNativeEdit::Current()->Type(QStringLiteral("4"));
    m_harness.TakeCodes();
    m_harness.on_event = [&field](const ItemEvent&) { field.SetProperty(QStringLiteral("EditVisible"), QStringLiteral("false")); };
    EXPECT_TRUE(field.SetProperty(QStringLiteral("Enable"), QStringLiteral("false")));
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 1, 2 }));
    EXPECT_FALSE(field.IsEditing());
    EXPECT_FALSE(field.IsEnabled());
    EXPECT_EQ(field.Display().GetText(), QStringLiteral("34"));

    // "Text" sets what is shown and what an edit starts from.
    EXPECT_TRUE(field.SetProperty(QStringLiteral("Text"), QStringLiteral("7")));
    EXPECT_FALSE(field.SetProperty(QStringLiteral("Text"), QStringLiteral("7")));
    EXPECT_EQ(PropertyOf(field, "Text"), QStringLiteral("7"));
}

TEST_F(EditableTextTest, DrawsBackgroundFrameAndHidesTextWhileEditing)
{
    const quint32 shadow = SystemColorArgb(SystemColor::ButtonShadow);
    m_harness.Add<Brush>(QStringLiteral("[Brush]\nPos=L0,T0,R0,B0\nColor=0xff00ff00"));
    EditableText& field = m_harness.Add<EditableText>(
        QStringLiteral("[EditableText]\nPos=L10,T10,W80,H20\nText=%1\nOption=Edge,BackColorWhite,Password\nFont=14").arg(QString(8, QLatin1Char('W'))));
    const QImage shown = m_harness.Render();
    EXPECT_EQ(shown.pixel(10, 15), QColor::fromRgba(shadow).rgba()); // sunken frame: dark left side
    EXPECT_EQ(shown.pixelColor(85, 25), QColor(Qt::white));

    const auto dark_pixels = [](const QImage& image) {
        int count = 0;
        for (int y = 12; y < 28; ++y)
            for (int x = 12; x < 88; ++x)
                count += qGray(image.pixel(x, y)) < 128;
        return count;
    };
    EXPECT_GT(dark_pixels(shown), 0);
    field.BeginEditing();
    EXPECT_EQ(dark_pixels(m_harness.Render()), 0);
    // The password display shows stars, never the text itself.
    EXPECT_EQ(field.Display().GetText(), QString(8, QLatin1Char('W')));
}
