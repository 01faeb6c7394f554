#include "app/MainWindowFixture.h"

#include "items/DevicePixels.h"
#include "noteitems/MandelbrotItem.h"
#include "noteitems/MandelbrotRender.h"

#include <QFile>
#include <QWheelEvent>

#include <cmath>

// A Mandelbrot picture in the editor's window, driven by real input: the wheel answers at once
// with the old picture scaled about the centre, pages flip while it renders, and the window
// ends up showing the plain loop's picture.
namespace {

MandelbrotItem* ShownPicture(MainWindow& window)
{
    Canvas& page = window.PageCanvas();
    for (int index = page.ItemCount() - 1; index >= 0; --index)
        if (auto* item = dynamic_cast<MandelbrotItem*>(page.ItemAt(index)))
            return item;
    return nullptr;
}

bool WaitForRender(MainWindow& window)
{
    return QTest::qWaitFor(
        [&] {
            const MandelbrotItem* item = ShownPicture(window);
            return item && !item->GetPicture().IsRendering();
        },
        60000);
}

void TurnWheel(QWidget& widget, QPoint point, int delta)
{
    QWheelEvent event(QPointF(point), QPointF(widget.mapToGlobal(point)), QPoint(), QPoint(0, delta), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

class MandelbrotWindowTest : public MainWindowTest {
protected:
    ~MandelbrotWindowTest() override { MandelbrotRender::RationRows(-1); }

    QPoint DevicePoint(QPointF page_point)
    {
        return m_window->PageCanvas().ToDevice(page_point).toPoint();
    }
    // The window's pixel that shows pixel (x, y) of the picture's bitmap. The page is shown
    // reduced: the bitmap has the device size and starts at the first device pixel the item
    // covers.
    QColor ShotPixel(const QImage& shot, const MandelbrotItem& item, int x, int y)
    {
        const QPoint corner = DevicePixels::Covered(m_window->PageCanvas().ToDevice(item.GetBounds())).topLeft();
        const QPoint point = m_window->PageWidget().mapTo(m_window.get(), corner + QPoint(x, y));
        return shot.pixelColor(point * shot.devicePixelRatio());
    }
};

TEST_F(MandelbrotWindowTest, TheWheelAnswersAtOnceAndPagesFlipWhileItRenders)
{
    const QString note = m_folder.filePath(QStringLiteral("set.tsy"));
    QFile file(note);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Mandelbrot]\r\nZoomRate=0.75\r\nShift=-1,-0.5\r\nPos=L0,T0,W100%,H100%\r\n\r\n-\r\n"
               "[Mandelbrot]\r\nPos=L10,T10,W100,H100\r\n\r\n");
    file.close();
    ASSERT_TRUE(m_window->OpenNote(note));
    QWidget& view = m_window->PageWidget();
    QTest::keyClick(&view, Qt::Key_L, Qt::ControlModifier);
    ASSERT_FALSE(m_window->IsLocked());
    ASSERT_TRUE(WaitForRender(*m_window));
    MandelbrotItem* item = ShownPicture(*m_window);
    ASSERT_NE(item, nullptr);
    const QRectF bounds = item->GetBounds();
    const QPoint centre = DevicePoint(bounds.center());
    ClickAt(view, centre);
    ASSERT_EQ(m_window->PageCanvas().ActiveItem(), item);
    QTest::qWait(20);
    const QImage before = m_window->grab().toImage();

    // The workers get no rows: what the window shows comes from the old picture alone.
    MandelbrotRender::RationRows(0);
    TurnWheel(view, centre, 120);
    ASSERT_TRUE(item->GetPicture().IsRendering());
    EXPECT_EQ(item->GetPicture().GetParameters().zoom_rate, 0.375L);
    QTest::qWait(20);
    const QImage after = m_window->grab().toImage();
    const QSize pixels = item->GetPicture().PixelSize();
    ASSERT_EQ(pixels, (bounds.size() * m_window->PageCanvas().EffectiveScale()).toSize());
    int differences = 0;
    for (int y = 5; y < pixels.height() - 5; y += 37) {
        for (int x = 5; x < pixels.width() - 5; x += 41) {
            const double old_x = std::floor((x + 0.5) / 2 + pixels.width() / 4.0);
            const double old_y = std::floor((y + 0.5) / 2 + pixels.height() / 4.0);
            differences += ShotPixel(after, *item, x, y) != ShotPixel(before, *item, int(old_x), int(old_y));
        }
    }
    EXPECT_EQ(differences, 0);

    // Away and back while the render waits: the page comes back with the zoomed view, which
    // the window then renders to the end.
    QTest::keyClick(&view, Qt::Key_PageDown);
    ASSERT_EQ(m_window->GetPages().Current(), 1);
    QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_EQ(m_window->GetPages().Current(), 0);
    item = ShownPicture(*m_window);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetPicture().GetParameters().zoom_rate, 0.375L);
    MandelbrotRender::RationRows(-1);
    ASSERT_TRUE(WaitForRender(*m_window));
    const MandelbrotView shown = item->GetPicture().Counts().View();
    const MandelbrotEscape escape(shown);
    std::vector<std::uint8_t> row(std::size_t(shown.width));
    const QImage finished = m_window->grab().toImage();
    for (const int y : { 3, shown.height / 2, shown.height - 4 }) {
        escape.ComputeRow(y, row.data(), MandelbrotEscape::Path::Exact);
        for (const int x : { 3, shown.width / 3, shown.width - 4 }) {
            EXPECT_EQ(item->GetPicture().CountAt(x, y), row[std::size_t(x)]) << x << "," << y;
            EXPECT_EQ(ShotPixel(finished, *item, x, y), QColor(item->GetPicture().ColorOf(row[std::size_t(x)])))
                << x << "," << y;
        }
    }
}

}
