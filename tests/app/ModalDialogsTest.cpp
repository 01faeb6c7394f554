#include "ShownDialogs.h"

#include "app/PageContextMenu.h"
#include "items/NoteItem.h"
#include "items/SaveQualityDialog.h"
#include "noteitems/ImageItem.h"
#include "noteitems/ImageItemMenu.h"
#include "noteitems/MandelbrotItem.h"
#include "noteitems/TextNoteItem.h"
#include "platform/ModalScope.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QWheelEvent>

namespace {

// A note of two pages: an image, a text and a Mandelbrot picture on the first, an image on the
// second. Opened and unlocked, the first page shows.
class ModalDialogsTest : public ShownDialogTest {
protected:
    ModalDialogsTest()
    {
        MakeImage(QStringLiteral("one.png"), QSize(400, 300), Qt::darkGreen);
        MakeImage(QStringLiteral("two.png"), QSize(400, 300), Qt::darkBlue);
        const QString note = m_folder.filePath(QStringLiteral("note.tsy"));
        QFile file(note);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[TSImage]\r\nFileName=one.png,0,0,0,0\r\nPos=L40,T40,W400,H300\r\n\r\n"
                   "[Text]\r\nText=hello\r\nFont=20,IPAGothic\r\nColor=0xff000000\r\nPos=L500,T40,W300,H120\r\n\r\n"
                   "[Mandelbrot]\r\nPos=L900,T40,W300,H300\r\n\r\n"
                   "-\r\n\r\n"
                   "[TSImage]\r\nFileName=two.png,0,0,0,0\r\nPos=L40,T40,W400,H300\r\n\r\n");
        file.close();
        EXPECT_TRUE(m_window->OpenNote(note));
        m_window->ToggleLock();
        m_window->RepaintPageCanvas();
    }

    template <typename T>
    T* NoteItem()
    {
        Canvas& page = m_window->PageCanvas();
        for (Item* note_item : NoteItemsOf(page))
            if (auto* item = dynamic_cast<T*>(note_item))
                return item;
        return nullptr;
    }
    QPoint Device(const Item& item) { return Device(item.GetBounds().center()); }
    QPoint Device(QPointF page_point) { return m_window->PageCanvas().ToDevice(page_point).toPoint(); }
    void RightClick(QPoint point, int menu_choice)
    {
        PageCanvasWidget& view = m_window->PageWidget();
        m_prompt->QueueMenuChoice(menu_choice);
        QTest::mouseMove(&view, point);
        QTest::mousePress(&view, Qt::RightButton, {}, point);
        QTest::mouseRelease(&view, Qt::RightButton, {}, point);
    }

    // What would change the page if the window took it: Shift+wheel towards the user (next
    // page), Page Down, Delete, Ctrl+Z and a right click. The window must take none of them.
    void Intrude()
    {
        PageCanvasWidget& view = m_window->PageWidget();
        const QPoint centre = view.rect().center();
        QWheelEvent wheel(centre, view.mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::ShiftModifier,
            Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
        QTest::keyClick(&view, Qt::Key_PageDown);
        QTest::keyClick(m_window.get(), Qt::Key_PageDown);
        QTest::keyClick(&view, Qt::Key_Delete);
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        m_page_meanwhile = m_window->GetPages().Current();
        m_items_meanwhile = NoteItemsShown();
        m_modal_meanwhile = ModalScope::IsOpen();
    }

    // Replaces the text of the dialog's multi-line box by typing.
    static void TypeText(LayoutDialogWindow& dialog, const QString& text)
    {
        auto* box = dialog.findChild<QPlainTextEdit*>();
        ASSERT_NE(box, nullptr);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }

    void ExpectPageKept(int items)
    {
        EXPECT_TRUE(m_modal_meanwhile);
        EXPECT_EQ(m_page_meanwhile, 0);
        EXPECT_EQ(m_items_meanwhile, items);
        EXPECT_EQ(m_window->GetPages().Current(), 0);
        EXPECT_EQ(m_window->GetPages().Count(), 2);
        EXPECT_FALSE(ModalScope::IsOpen());
    }

    int m_page_meanwhile { -1 };
    int m_items_meanwhile { -1 };
    bool m_modal_meanwhile { false };
};

}

// The text properties of an existing text, opened by a double click: the page stays under the
// dialog and what is typed goes to that text.
TEST_F(ModalDialogsTest, ExistingTextKeepsItsPageAndTakesTheTypedText)
{
    TextNoteItem* text = NoteItem<TextNoteItem>();
    ASSERT_NE(text, nullptr);
    WhenShown([&](LayoutDialogWindow& dialog) {
        Intrude();
        TypeText(dialog, QStringLiteral("changed"));
        Click(dialog, QStringLiteral("OK"));
    });
    QTest::mouseDClick(&m_window->PageWidget(), Qt::LeftButton, {}, Device(*text));
    ExpectPageKept(3);
    EXPECT_EQ(NoteItem<TextNoteItem>(), text);
    EXPECT_EQ(text->Widget().GetText(), u"changed");
    EXPECT_FALSE(m_window->PageWidget().HoldsMouse());
}

// A text added from the page's menu: the dialog opens on an item that is not yet part of any
// step, which a page change would have destroyed under it.
TEST_F(ModalDialogsTest, NewTextKeepsItsPageAndTakesTheTypedText)
{
    WhenShown([&](LayoutDialogWindow& dialog) {
        Intrude();
        TypeText(dialog, QStringLiteral("new"));
        Intrude();
        Click(dialog, QStringLiteral("OK"));
    });
    // Below the image, where the page shows.
    RightClick(Device(QPointF(60, 420)), PageContextMenu::kAddText);
    ExpectPageKept(4);
    Canvas& page = m_window->PageCanvas();
    const auto* added = dynamic_cast<const TextNoteItem*>(page.ItemAt(page.ItemCount() - 1));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Widget().GetText(), u"new");

    // Cancelled, the new text goes again; the page still is the first.
    WhenShown([&](LayoutDialogWindow& dialog) {
        Intrude();
        Click(dialog, QStringLiteral("Cancel"));
    });
    RightClick(Device(QPointF(300, 420)), PageContextMenu::kAddText);
    ExpectPageKept(5);
    EXPECT_EQ(NoteItemsShown(), 4);
}

TEST_F(ModalDialogsTest, MandelbrotPropertiesKeepTheirPageAndReachTheirPicture)
{
    MandelbrotItem* picture = NoteItem<MandelbrotItem>();
    ASSERT_NE(picture, nullptr);
    QString before;
    QString options;
    picture->Save(before, options, SaveMode::Persistent);
    WhenShown([&](LayoutDialogWindow& dialog) {
        Intrude();
        // The first widget that takes the keys is the lower bound of the colours.
        QTest::keyClick(&dialog, Qt::Key_Tab);
        QTest::keyClick(&dialog, Qt::Key_Right);
        Intrude();
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    RightClick(Device(*picture), MandelbrotItem::kProperties);
    ExpectPageKept(3);
    ASSERT_EQ(NoteItem<MandelbrotItem>(), picture);
    QString after;
    picture->Save(after, options, SaveMode::Persistent);
    EXPECT_NE(after, before);
}

TEST_F(ModalDialogsTest, PublishAndAboutKeepThePage)
{
    WhenShown([&](LayoutDialogWindow& dialog) {
        Intrude();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_P, Qt::ControlModifier);
    ExpectPageKept(3);

    m_page_meanwhile = -1;
    WhenShown([&](LayoutDialogWindow& dialog) {
        Intrude();
        Click(dialog, QStringLiteral("OK"));
    });
    Click(m_window->ToolBarWidget(), QStringLiteral("About"));
    ExpectPageKept(3);
}

// The quality asked before a JPEG is written, from an image's menu and from the tool bar's
// page picture: the page stays, and the picture is written.
TEST_F(ModalDialogsTest, QualityQuestionsKeepThePage)
{
    ImageItem* image = NoteItem<ImageItem>();
    ASSERT_NE(image, nullptr);
    const QString saved = m_folder.filePath(QStringLiteral("saved.jpg"));
    m_prompt->QueueSaveFile(saved);
    WhenShown([&](LayoutDialogWindow& dialog) {
        Intrude();
        Click(dialog, QStringLiteral("OK"));
    });
    RightClick(Device(*image), ImageItemMenu::kSaveImage);
    ExpectPageKept(3);
    EXPECT_TRUE(QFile::exists(saved));

    const QString page = m_folder.filePath(QStringLiteral("page.jpg"));
    m_prompt->QueueSaveFile(page);
    m_page_meanwhile = -1;
    WhenShown([&](LayoutDialogWindow& dialog) {
        Intrude();
        Click(dialog, QStringLiteral("OK"));
    });
    Click(m_window->ToolBarWidget(), QStringLiteral("SavePage"));
    ExpectPageKept(3);
    EXPECT_TRUE(QFile::exists(page));
}

// Every layout dialog answers Return with OK and Escape with Cancel, in its real window.
TEST_F(ModalDialogsTest, LayoutDialogsAnswerReturnAndEscape)
{
    for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Escape }) {
        const bool ok = key == Qt::Key_Return;
        WhenShown([&](LayoutDialogWindow& dialog) { QTest::keyClick(&dialog, key); });
        EXPECT_EQ(AskSaveQuality(), ok ? std::optional<int>(90) : std::nullopt);

        MandelbrotItem* picture = NoteItem<MandelbrotItem>();
        ASSERT_NE(picture, nullptr);
        bool answered = false;
        WhenShown([&](LayoutDialogWindow& dialog) { QTest::keyClick(&dialog, key); answered = !dialog.isVisible(); });
        EXPECT_EQ(picture->OpenProperties(QPoint(100, 300)), ok);
        EXPECT_TRUE(answered);

        // The text dialog's box types a new line on Return; the keys come to the window once
        // Tab has moved the focus out of the box.
        TextNoteItem* text = NoteItem<TextNoteItem>();
        ASSERT_NE(text, nullptr);
        bool typed_new_line = false;
        WhenShown([&](LayoutDialogWindow& dialog) {
            auto* box = dialog.findChild<QPlainTextEdit*>();
            ASSERT_NE(box, nullptr);
            QTRY_VERIFY(box->hasFocus());
            box->moveCursor(QTextCursor::End);
            QTest::keyClick(box, Qt::Key_Return);
            typed_new_line = dialog.isVisible() && box->toPlainText().contains(QLatin1Char('\n'));
            QTest::keyClick(box, Qt::Key_Tab);
            QTest::keyClick(QApplication::focusWidget(), key);
        });
        EXPECT_EQ(text->OpenProperties(), ok);
        EXPECT_TRUE(typed_new_line);
        EXPECT_EQ(text->Widget().GetText(), ok ? QStringLiteral("hello\r\n") : QStringLiteral("hello"));
        text->Widget().SetText(QStringLiteral("hello"));

        WhenShown([&](LayoutDialogWindow& dialog) { QTest::keyClick(&dialog, key); answered = !dialog.isVisible(); });
        answered = false;
        Click(m_window->ToolBarWidget(), QStringLiteral("About"));
        EXPECT_TRUE(answered);

        // The publish dialog checks its fields on OK: with no note path it says so and stays.
        m_prompt->ClearRequests();
        WhenShown([&](LayoutDialogWindow& dialog) {
            QTest::keyClick(&dialog, key);
            answered = !dialog.isVisible();
            if (!answered)
                QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        // The closed dialog has handed the keyboard back to the window.
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(&m_window->PageWidget(), Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(answered, !ok);
        EXPECT_EQ(m_prompt->Requests().size(), ok ? 1u : 0u);
    }
}

// Tab takes the keyboard through a dialog's widgets in the window too: into the quality field,
// where the typed value is committed by the Return that ends the dialog.
TEST_F(ModalDialogsTest, TabIntoAFieldAndReturnTakesTheTypedValue)
{
    bool editing = false;
    WhenShown([&](LayoutDialogWindow& dialog) {
        QTest::keyClick(&dialog, Qt::Key_Tab);
        QTest::keyClick(&dialog, Qt::Key_Tab);
        QApplication::processEvents();
        auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        editing = field != nullptr && field->selectedText() == u"90";
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("55"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(AskSaveQuality(), std::optional<int>(55));
    EXPECT_TRUE(editing);
}

// An image removed while it drags (Delete, a page change, undo) lets the mouse go: the window
// and other programs get clicks again.
TEST_F(ModalDialogsTest, ItemRemovedWhileItDragsLetsTheMouseGo)
{
    PageCanvasWidget& view = m_window->PageWidget();
    struct Row {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Row rows[] = {
        { "Page Down", Qt::Key_PageDown, Qt::NoModifier },
        { "Ctrl+Z", Qt::Key_Z, Qt::ControlModifier },
        { "Delete", Qt::Key_Delete, Qt::NoModifier },
    };
    for (const Row& row : rows) {
        m_window->GetPages().First();
        ImageItem* image = NoteItem<ImageItem>();
        ASSERT_NE(image, nullptr) << row.what;
        // A finished drag first, so that undo has a step to take back.
        const QPoint start = Device(*image);
        QTest::mousePress(&view, Qt::LeftButton, {}, start);
        QTest::mouseMove(&view, start + QPoint(10, 10));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, start + QPoint(10, 10));
        const QPoint grip = Device(*image);
        QTest::mousePress(&view, Qt::LeftButton, {}, grip);
        QTest::mouseMove(&view, grip + QPoint(15, 5));
        ASSERT_EQ(QWidget::mouseGrabber(), &view) << row.what;
        QTest::keyClick(&view, row.key, row.modifiers);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << row.what;
        EXPECT_EQ(Canvas::CapturingCanvas(), nullptr) << row.what;
        QTest::mouseRelease(&view, Qt::LeftButton, {}, grip + QPoint(15, 5));
    }
}
