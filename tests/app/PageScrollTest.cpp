#include "MainWindowFixture.h"

#include "app/PageContextMenu.h"
#include "items/RepaintCheck.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/ImageItem.h"
#include "noteitems/TextNoteItem.h"
#include "text/ValueForms.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QStandardPaths>
#include <QUrl>
#include <QWheelEvent>

#include <cmath>

// A page larger than its view, at the zooms and positions a user reaches it with: the bars,
// panning, zooming about the pointer, and everything that maps the pointer to the page.
namespace {

class PageScrollTest : public MainWindowTest {
protected:
    PageScrollTest()
    {
        auto runner = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = runner.get();
        SetDialogs(std::move(runner));
    }
    ~PageScrollTest() override { SetDialogs(nullptr); }

    PageCanvasWidget& View() { return m_window->PageWidget(); }
    Canvas& Page() { return m_window->PageCanvas(); }
    PageScroller& Scroller() { return m_window->Scroller(); }

    // A page of the size shown at the zoom typed into the zoom box ("100%", or the fit entry).
    void ShowPage(QSize size, const QString& zoom)
    {
        TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerWidth"), QString::number(size.width()));
        TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerHeight"), QString::number(size.height()));
        TypeInto(m_window->PageBarWidget(), QStringLiteral("Zoom"), zoom);
    }

    // Opens a note of one image of 200 x 150 at the page point, unlocked and without snapping.
    ImageItem& OpenNoteWithImageAt(QPointF top_left)
    {
        MakeImage(QStringLiteral("photo.png"), QSize(200, 150), Qt::darkRed);
        const QString note = m_folder.filePath(QStringLiteral("note.tsy"));
        QFile file(note);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[TSImage]\r\nFileName=photo.png,0,0,0,0\r\nRotate=0\r\nPos=L%1,T%2,W200,H150\r\n\r\n")
                       .arg(top_left.x())
                       .arg(top_left.y())
                       .toUtf8());
        file.close();
        EXPECT_TRUE(m_window->OpenNote(note));
        m_window->ToggleLock();
        m_window->ToggleSnap();
        return *dynamic_cast<ImageItem*>(Page().ItemAt(Page().ItemCount() - 1));
    }

    // The view point where a page point shows, to the nearest whole pixel.
    QPoint ViewPoint(QPointF page_point) { return Page().ToDevice(page_point).toPoint(); }

    void Wheel(QPoint view_point, int delta, Qt::KeyboardModifiers modifiers)
    {
        QWheelEvent wheel(QPointF(view_point), QPointF(View().mapToGlobal(view_point)), QPoint(), QPoint(0, delta),
            Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&View(), &wheel);
    }

    // The back buffer against a fresh full repaint without the opaque shortcut.
    std::string StaleBackBufferPixels() { return RepaintCheck::StaleBackBufferPixels(Page()); }

    ScriptedLayoutDialogs* m_dialogs { nullptr };
};

TEST_F(PageScrollTest, BarsShowWhereThePageIsLargerAndReachItsFarCorner)
{
    ShowPage(QSize(1920, 1080), QStringLiteral("100%"));
    QScrollBar& across = Scroller().HorizontalBar();
    QScrollBar& down = Scroller().VerticalBar();
    ASSERT_TRUE(across.isVisible());
    ASSERT_TRUE(down.isVisible());
    const QRect area = Scroller().Area();
    EXPECT_EQ(View().geometry(), QRect(area.topLeft(), area.size() - QSize(down.width(), across.height())));

    across.triggerAction(QAbstractSlider::SliderToMaximum);
    down.triggerAction(QAbstractSlider::SliderToMaximum);
    const QRectF visible = Page().VisibleArea();
    EXPECT_NEAR(visible.right(), 1920, 1e-3);
    EXPECT_NEAR(visible.bottom(), 1080, 1e-3);
    // The page's last pixel shows in the view's last pixel, white on a fresh page.
    const QPointF last = Page().ToDevice(QPointF(1919.5, 1079.5));
    EXPECT_NEAR(last.x(), View().width() - 0.5, 1e-3);
    EXPECT_NEAR(last.y(), View().height() - 0.5, 1e-3);
    EXPECT_EQ(PagePixel(QPointF(1919.2, 1079.2)), QColor(Qt::white));
    across.triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_NEAR(Page().ScrollX(), 0, 1e-3);

    // Fitted again (the first entry of the zoom box's list), the bars go and the page is
    // centred.
    CanvasWidget& bar = m_window->PageBarWidget();
    const QRectF zoom_box = bar.GetCanvas().ToDevice(bar.GetCanvas().FindItem(QStringLiteral("Zoom"))->GetBounds());
    m_prompt->QueueMenuChoice(1);
    ClickAt(bar, QPoint(static_cast<int>(zoom_box.right()) - 5, static_cast<int>(zoom_box.center().y())));
    EXPECT_FALSE(across.isVisible());
    EXPECT_FALSE(down.isVisible());
    EXPECT_EQ(View().geometry(), area);
    const QRectF page = Page().ToDevice(QRectF(0, 0, 1920, 1080));
    EXPECT_NEAR(page.left(), View().width() - page.right(), 0.5);
    EXPECT_NEAR(page.top(), View().height() - page.bottom(), 0.5);
}

TEST_F(PageScrollTest, ATallPageScrollsDownOnlyAndStaysCentredAcross)
{
    ShowPage(QSize(300, 3000), QStringLiteral("100%"));
    EXPECT_FALSE(Scroller().HorizontalBar().isVisible());
    EXPECT_TRUE(Scroller().VerticalBar().isVisible());
    const QRectF page = Page().ToDevice(QRectF(0, 0, 300, 3000));
    EXPECT_NEAR(page.left(), View().width() - page.right(), 0.5);
    // A wheel turn no item takes moves the page up or down.
    const float top = Page().ScrollY();
    Wheel(QPoint(View().width() / 2, 100), -120, Qt::NoModifier);
    EXPECT_NEAR(Page().ScrollY(), top + PageCanvasWidget::WheelScrollPixels(120), 1e-3);
    EXPECT_EQ(Scroller().VerticalBar().value(), std::lround(Page().ScrollY()));
}

struct DragRow {
    const char* zoom;
    float scale;
};

class PageScrollDragTest : public PageScrollTest, public ::testing::WithParamInterface<DragRow> { };

// The page scrolled to a position between pixels: a drag moves the item by exactly what the
// pointer travelled, in page units, and what is shown equals a full repaint.
TEST_P(PageScrollDragTest, ADragAfterScrollingLandsWhereThePointerIs)
{
    ImageItem& item = OpenNoteWithImageAt(QPointF(900, 500));
    ShowPage(QSize(1920, 1080), QString::fromLatin1(GetParam().zoom));
    ASSERT_FLOAT_EQ(Page().EffectiveScale(), GetParam().scale);
    const float scale = GetParam().scale;
    Scroller().ScrollTo(QPointF(1000 - View().width() / 2.0 / scale + 0.37, 575 - View().height() / 2.0 / scale + 0.61));
    ASSERT_NE(Page().ScrollX(), std::floor(Page().ScrollX()));

    const QRectF before = item.GetBounds();
    const QPoint press = ViewPoint(before.center());
    const QPoint release = press + QPoint(37, -23);
    const QPointF grabbed = Page().ToPage(QPointF(press)) - before.topLeft();
    QTest::mousePress(&View(), Qt::LeftButton, {}, press);
    QTest::mouseMove(&View(), press + QPoint(20, -10));
    QTest::mouseMove(&View(), release);
    QTest::mouseRelease(&View(), Qt::LeftButton, {}, release);
    const QPointF after = item.GetBounds().topLeft();
    EXPECT_NEAR(after.x() - before.left(), 37 / scale, 1e-3);
    EXPECT_NEAR(after.y() - before.top(), -23 / scale, 1e-3);
    // The point of the picture that was grabbed is under the pointer.
    const QPointF held = Page().ToPage(QPointF(release)) - after;
    EXPECT_NEAR(held.x(), grabbed.x(), 1e-3);
    EXPECT_NEAR(held.y(), grabbed.y(), 1e-3);
    EXPECT_EQ(StaleBackBufferPixels(), "");
}

INSTANTIATE_TEST_SUITE_P(Zooms, PageScrollDragTest,
    ::testing::Values(DragRow { "50%", 0.5f }, DragRow { "200%", 2.0f }),
    [](const ::testing::TestParamInfo<DragRow>& info) { return info.param.scale < 1 ? "Half" : "Double"; });

TEST_F(PageScrollTest, CtrlWheelZoomsKeepingThePagePointUnderThePointer)
{
    ShowPage(QSize(1920, 1080), QStringLiteral("100%"));
    Scroller().ScrollTo(QPointF(500.25, 300.75));
    const QPoint pointer(311, 207);
    const QPointF under = Page().ToPage(QPointF(pointer));
    // Towards the user is the next entry of the list.
    Wheel(pointer, -120, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(Page().Zoom(), 2.0f);
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("Zoom")), QStringLiteral("200%"));
    EXPECT_NEAR(Page().ToPage(QPointF(pointer)).x(), under.x(), 1e-3);
    EXPECT_NEAR(Page().ToPage(QPointF(pointer)).y(), under.y(), 1e-3);
    Wheel(pointer, 240, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(Page().Zoom(), 0.9f);
    EXPECT_NEAR(Page().ToPage(QPointF(pointer)).x(), under.x(), 1e-3);
    EXPECT_NEAR(Page().ToPage(QPointF(pointer)).y(), under.y(), 1e-3);
    EXPECT_EQ(StaleBackBufferPixels(), "");
}

TEST_F(PageScrollTest, TheMiddleButtonMovesThePageWhereNoItemTakesIt)
{
    ImageItem& item = OpenNoteWithImageAt(QPointF(900, 500));
    ShowPage(QSize(1920, 1080), QStringLiteral("100%"));
    Scroller().ScrollTo(QPointF(400.5, 300.25));
    QTest::mousePress(&View(), Qt::MiddleButton, {}, QPoint(300, 200));
    QTest::mouseMove(&View(), QPoint(280, 190));
    QTest::mouseMove(&View(), QPoint(250, 170));
    QTest::mouseRelease(&View(), Qt::MiddleButton, {}, QPoint(250, 170));
    EXPECT_FLOAT_EQ(Page().ScrollX(), 450.5f);
    EXPECT_FLOAT_EQ(Page().ScrollY(), 330.25f);

    // Over an image the middle button cuts out, and the page stays.
    const QPoint on_image = ViewPoint(item.GetBounds().center());
    QTest::mousePress(&View(), Qt::MiddleButton, {}, on_image);
    QTest::mouseMove(&View(), on_image + QPoint(-30, -30));
    EXPECT_FLOAT_EQ(Page().ScrollX(), 450.5f);
    EXPECT_FALSE(item.GetDragRectangle().IsEmpty());
    QTest::mouseRelease(&View(), Qt::MiddleButton, {}, on_image + QPoint(-30, -30));
}

TEST_F(PageScrollTest, SpaceAndADragMoveThePageAndSpaceAloneTurnsIt)
{
    OpenNoteWithImageAt(QPointF(900, 500));
    // An empty page before it; going to another page and back makes the page's items anew.
    m_window->GetPages().Insert();
    m_window->GetPages().GoTo(1);
    const Item& item = *Page().ItemAt(Page().ItemCount() - 1);
    ShowPage(QSize(1920, 1080), QStringLiteral("100%"));
    Scroller().ScrollTo(QPointF(800.5, 400.5));
    const QRectF before = item.GetBounds();
    const QPoint press = ViewPoint(before.center());

    QTest::keyPress(&View(), Qt::Key_Space);
    QTest::mousePress(&View(), Qt::LeftButton, {}, press);
    QTest::mouseMove(&View(), press + QPoint(40, 25));
    QTest::mouseRelease(&View(), Qt::LeftButton, {}, press + QPoint(40, 25));
    QTest::keyRelease(&View(), Qt::Key_Space);
    EXPECT_EQ(m_window->GetPages().Current(), 1);
    EXPECT_EQ(item.GetBounds(), before);
    EXPECT_FLOAT_EQ(Page().ScrollX(), 760.5f);
    EXPECT_FLOAT_EQ(Page().ScrollY(), 375.5f);

    // Past the last page, which has content, Space makes a new page.
    QTest::keyClick(&View(), Qt::Key_Space);
    EXPECT_EQ(m_window->GetPages().Current(), 2);
}

// Everything that takes a point of the view as a point of the page, with the page scrolled
// between pixels at 200 %.
TEST_F(PageScrollTest, PointerPositionsMapToThePageWhenScrolled)
{
    QStandardPaths::setTestModeEnabled(true);
    ShowPage(QSize(1920, 1080), QStringLiteral("200%"));
    Scroller().ScrollTo(QPointF(300.37, 200.61));
    const QPoint point(123, 87);
    const QPointF page_point = Page().ToPage(QPointF(point));
    ASSERT_GT(page_point.x(), 300);

    // A picture pasted from the page's menu.
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    m_prompt->QueueMenuChoice(PageContextMenu::kPaste);
    QTest::mouseClick(&View(), Qt::RightButton, {}, point);
    ASSERT_EQ(NoteItemsShown(), 1);
    const auto* pasted = dynamic_cast<const ImageItem*>(Page().ItemAt(Page().ItemCount() - 1));
    ASSERT_NE(pasted, nullptr);
    EXPECT_NEAR(pasted->Left(), page_point.x(), 1.0);
    EXPECT_NEAR(pasted->Top(), page_point.y(), 1.0);
    QFile::remove(pasted->GetPicture().FileName());
    QGuiApplication::clipboard()->clear();

    // The status box names the image under the pointer, and nothing beside it.
    QTest::mouseMove(&View(), ViewPoint(pasted->GetBounds().center()));
    EXPECT_TRUE(TextOf(m_window->PageBarWidget(), QStringLiteral("Status")).contains(QStringLiteral("ファイル名")));
    QTest::mouseMove(&View(), ViewPoint(pasted->GetBounds().bottomRight() + QPointF(20, 20)));
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("Status")), QString());

    // A text added from the page's menu starts at the pointer.
    const QPoint text_point(View().width() / 2 + 7, View().height() * 3 / 4 + 3);
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("OK")); });
    m_prompt->QueueMenuChoice(PageContextMenu::kAddText);
    QTest::mouseClick(&View(), Qt::RightButton, {}, text_point);
    const auto* text = dynamic_cast<const TextNoteItem*>(Page().ItemAt(Page().ItemCount() - 1));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetAnchors()[Item::kLeft], u'L' + FormatFixed(Page().ToPage(QPointF(text_point)).x()));
    EXPECT_EQ(text->GetAnchors()[Item::kTop], u'T' + FormatFixed(Page().ToPage(QPointF(text_point)).y()));

    // A file dropped on the window lands at the drop point.
    const QString dropped = MakeImage(QStringLiteral("dropped.png"), QSize(64, 48));
    const QPoint drop_point(View().width() * 3 / 4 + 11, View().height() / 2 + 5);
    const QPoint window_point = View().mapTo(m_window.get(), drop_point);
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(dropped) });
    QDragEnterEvent enter(window_point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &enter);
    QDropEvent drop(QPointF(window_point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &drop);
    const Item* placed = Page().ItemAt(Page().ItemCount() - 1);
    EXPECT_NEAR(placed->Left(), std::trunc(Page().ToPage(QPointF(drop_point)).x()), 1e-3);
    EXPECT_NEAR(placed->Top(), std::trunc(Page().ToPage(QPointF(drop_point)).y()), 1e-3);
}

}
