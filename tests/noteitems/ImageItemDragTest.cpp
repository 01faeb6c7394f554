#include "noteitems/ImageItem.h"
#include "noteitems/ImageItemDrag.h"
#include "noteitems/ImageItemMenu.h"

#include "noteitems/FolderListingCache.h"
#include "platform/Paths.h"
#include "platform/ScriptedUserPrompt.h"
#include "widgets/InputTestHarness.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using InputTest::Codes;
using InputTest::StoreOf;

void WaitForScan()
{
    while (FolderListingCache::Instance().Running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

QString WriteImage(const QString& path, QSize size, QColor colour = Qt::red)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path)) << path.toStdString();
    return path;
}

class CursorHost : public InputTest::FakeHost {
public:
    void SetCursorShape(Qt::CursorShape shape) override { cursor = shape; }
    Qt::CursorShape cursor { Qt::BitmapCursor };
};

// A page canvas at a zoom, in a pretend window, with one image of 200 x 100 pixels shown at
// (100, 100) by default. Pointer positions are given in page units and sent as the window's
// pixels.
class ImageDrag : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + u'/';
        WriteImage(m_folder + "a.png", { 200, 100 });
        m_host.size = { 800, 600 };
        m_canvas.SetDpi(96);
        m_canvas.ResizeBackBuffer(800, 600);
        m_canvas.SetEventHandler([this](const ItemEvent& event) {
            m_codes.push_back(event.code);
            return true;
        });
        m_prompt = &ScriptedUserPrompt::Install();
    }
    void TearDown() override
    {
        WaitForScan();
        SetPrompt(nullptr);
    }

    ImageItem& Add(const QString& section, float zoom = 1)
    {
        m_canvas.SetZoom(zoom);
        auto item = std::make_unique<ImageItem>(m_canvas);
        item->ReadSection(StoreOf("[TSImage]\n" + section));
        ImageItem& added = *item;
        m_canvas.AddItem(std::move(item));
        m_codes.clear();
        return added;
    }
    ImageItem& AddDefault(float zoom = 1)
    {
        return Add("FileName=" + m_folder + "a.png\nPos=L100,T100,W200,H100", zoom);
    }

    QPoint Device(QPointF page) const { return m_canvas.ToDevice(page).toPoint(); }
    bool Send(MessageKind kind, QPointF page, bool shift = false, bool ctrl = false)
    {
        Message message = InputTest::Mouse(kind, Device(page), ctrl, shift);
        message.middle_button = kind == MessageKind::MButtonDown;
        return m_canvas.RouteMessage(message);
    }
    // Press, one move, release.
    void Drag(QPointF from, QPointF to, bool shift = false)
    {
        Send(MessageKind::LButtonDown, from, shift);
        Send(MessageKind::MouseMove, to, shift);
        Send(MessageKind::LButtonUp, to, shift);
    }
    Codes TakeCodes() { return std::exchange(m_codes, {}); }
    void SetSnapLines(std::vector<float> x, std::vector<float> y, bool on = true)
    {
        m_canvas.SetSnapGrid({ on, std::move(x), std::move(y) });
    }

    QTemporaryDir m_dir;
    QString m_folder;
    CursorHost m_host;
    Canvas m_canvas { CanvasKind::Page, &m_host };
    Codes m_codes;
    ScriptedUserPrompt* m_prompt { nullptr };
};

void ExpectRect(const QRectF& actual, const QRectF& expected)
{
    EXPECT_NEAR(actual.left(), expected.left(), 1e-3);
    EXPECT_NEAR(actual.top(), expected.top(), 1e-3);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-3);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-3);
}

}

TEST_F(ImageDrag, ZonesAreFiveScreenPixelsDeepAtAnyZoom)
{
    struct Row {
        float zoom;
        QPointF offset; // from the item's top left corner, in screen pixels
        int mode;
        Qt::CursorShape cursor;
    };
    const std::vector<Row> rows {
        { 2, { 3, 50 }, ImageItemDrag::kLeft, Qt::SizeHorCursor },
        { 2, { 6, 50 }, ImageItemDrag::kMove, Qt::ArrowCursor },
        { 0.5f, { 3, 25 }, ImageItemDrag::kLeft, Qt::SizeHorCursor },
        { 0.5f, { 6, 25 }, ImageItemDrag::kMove, Qt::ArrowCursor },
        { 2, { 397, 4 }, ImageItemDrag::kRight + ImageItemDrag::kTop, Qt::SizeBDiagCursor },
        { 2, { 2, 197 }, ImageItemDrag::kLeft + ImageItemDrag::kBottom, Qt::SizeBDiagCursor },
        { 2, { 200, 196 }, ImageItemDrag::kBottom, Qt::SizeVerCursor },
        { 0.5f, { 97, 47 }, ImageItemDrag::kRight + ImageItemDrag::kBottom, Qt::SizeFDiagCursor },
        { 0.5f, { 1, 1 }, ImageItemDrag::kLeft + ImageItemDrag::kTop, Qt::SizeFDiagCursor },
    };
    for (const Row& row : rows) {
        ImageItem& item = AddDefault(row.zoom);
        const QPointF point = item.GetBounds().topLeft() + row.offset / row.zoom;
        m_host.cursor = Qt::BitmapCursor;
        Send(MessageKind::MouseMove, point);
        EXPECT_EQ(m_host.cursor, row.cursor) << row.zoom << " " << row.offset.x() << "," << row.offset.y();
        EXPECT_TRUE(Send(MessageKind::LButtonDown, point));
        EXPECT_EQ(item.Drag().Mode(), row.mode) << row.zoom << " " << row.offset.x() << "," << row.offset.y();
        Send(MessageKind::LButtonUp, point);
        EXPECT_EQ(item.Drag().Mode(), ImageItemDrag::kNone);
        m_canvas.Clear();
    }
}

TEST_F(ImageDrag, AMoveFollowsThePointerAndReportsOneChange)
{
    SetSnapLines({}, {}, false);
    ImageItem& item = AddDefault(2);
    const QPointF start(200.5, 150);
    ASSERT_TRUE(Send(MessageKind::LButtonDown, start));
    EXPECT_EQ(TakeCodes(), (Codes { ItemEvent::kTakeFocus, ItemEvent::kStartCapture }));
    EXPECT_EQ(m_canvas.ActiveItem(), &item);
    EXPECT_TRUE(m_host.holds_mouse);
    EXPECT_EQ(item.Drag().Anchor(), QPointF(100.5, 50));
    Send(MessageKind::MouseMove, start + QPointF(10.5, -20));
    Send(MessageKind::MouseMove, start + QPointF(30, 7.5));
    EXPECT_TRUE(TakeCodes().empty());
    ExpectRect(item.GetBounds(), QRectF(130, 107.5, 200, 100));
    EXPECT_TRUE(Send(MessageKind::LButtonUp, start + QPointF(30, 7.5)));
    EXPECT_EQ(TakeCodes(), (Codes { ItemEvent::kChangeFinished, ItemEvent::kReleaseCapture }));
    EXPECT_FALSE(m_host.holds_mouse);

    // A press beside the item drops the focus and starts nothing; its release reports nothing.
    EXPECT_FALSE(Send(MessageKind::LButtonDown, { 20, 20 }));
    EXPECT_EQ(m_canvas.ActiveItem(), nullptr);
    EXPECT_FALSE(Send(MessageKind::LButtonUp, { 20, 20 }));
    EXPECT_TRUE(TakeCodes().empty());
}

TEST_F(ImageDrag, MoveSnapsXInScreenPixelsAndYInPageUnits)
{
    // The item is moved 14 page units up and left: its left and top edges end 6 page units
    // from the lines at 80.
    struct Row {
        float zoom;
        bool snap_on;
        QPointF expected;
    };
    const std::vector<Row> rows {
        { 0.5f, true, { 80, 80 } },
        { 1, true, { 80, 80 } },
        { 2, true, { 86, 80 } },
        { 1, false, { 86, 86 } },
    };
    for (const Row& row : rows) {
        SetSnapLines({ 80 }, { 80 }, row.snap_on);
        ImageItem& item = AddDefault(row.zoom);
        Drag({ 200, 150 }, { 186, 136 });
        ExpectRect(item.GetBounds(), QRectF(row.expected, QSizeF(200, 100)));
        m_canvas.Clear();
    }
    // The right edge snaps when the left has no line; the bottom edge to another item's top.
    SetSnapLines({ 305 }, {});
    ImageItem& item = AddDefault(1);
    Add("FileName=" + m_folder + "a.png\nPos=L500,T205,W50,H25", 1);
    Drag({ 200, 150 }, { 201, 151 });
    ExpectRect(item.GetBounds(), QRectF(105, 105, 200, 100));
}

TEST_F(ImageDrag, EdgesCropAndStopAtTheImage)
{
    SetSnapLines({}, {}, false);
    // Trims left 10, top 0, right 20, bottom 5: the picture spans 90 .. 320 x 100 .. 205.
    ImageItem& item = Add("FileName=" + m_folder + "a.png,10,0,20,5\nPos=L100,T100,W200,H100", 2);
    Drag({ 101, 150 }, { 70.5, 150 });
    ExpectRect(item.GetBounds(), QRectF(90, 100, 210, 100));
    EXPECT_FLOAT_EQ(item.GetTrims().left, 0);
    Drag({ 91, 150 }, { 121.5, 150 });
    ExpectRect(item.GetBounds(), QRectF(120.5, 100, 179.5, 100));
    EXPECT_FLOAT_EQ(item.GetTrims().left, 30.5f);
    // The picture does not move while its edges crop.
    ExpectRect(item.PictureRect(), QRectF(90, 100, 230, 105));

    Drag({ 299.5, 150 }, { 340, 150 });
    EXPECT_FLOAT_EQ(item.Right(), 320);
    EXPECT_FLOAT_EQ(item.GetTrims().right, 0);
    Drag({ 150, 199.5 }, { 150, 260 });
    EXPECT_FLOAT_EQ(item.Bottom(), 205);
    Drag({ 150, 101 }, { 150, 80 });
    EXPECT_FLOAT_EQ(item.Top(), 100);
    EXPECT_EQ(item.GetTrims(), (ImageItem::Trims { 30.5f, 0, 0, 0 }));
    ExpectRect(item.PictureRect(), QRectF(90, 100, 230, 105));

    // A step that would leave no width is ignored; the last good geometry stays.
    Drag({ 121, 150 }, { 330, 150 });
    ExpectRect(item.GetBounds(), QRectF(120.5, 100, 199.5, 105));
}

TEST_F(ImageDrag, EdgeSnapsOnlyWhereTheImageReaches)
{
    SetSnapLines({ 96, 260 }, {});
    ImageItem& item = Add("FileName=" + m_folder + "a.png,0,0,30,0\nPos=L100,T100,W170,H100", 1);
    // The left edge cannot snap outward to 96: the image ends at 100.
    Drag({ 101, 150 }, { 98, 150 });
    EXPECT_FLOAT_EQ(item.Left(), 100);
    // The right edge comes to 264 and snaps back to 260, inside the image.
    Drag({ 269, 150 }, { 264, 150 });
    EXPECT_FLOAT_EQ(item.Right(), 260);
    EXPECT_FLOAT_EQ(item.GetTrims().right, 40);
}

TEST_F(ImageDrag, CornersScaleKeepingTheProportionsAndTheTrims)
{
    SetSnapLines({}, {}, false);
    // The picture is 240 x 120, so the zoom is 1.2.
    ImageItem& item = Add("FileName=" + m_folder + "a.png,20,10,20,10\nPos=L100,T100,W200,H100", 2);
    Send(MessageKind::LButtonDown, { 299.5, 199.5 });
    EXPECT_EQ(item.Drag().Mode(), ImageItemDrag::kRight + ImageItemDrag::kBottom);
    EXPECT_FALSE(item.GetPicture().CacheEnabled());
    Send(MessageKind::MouseMove, { 320, 209.5 });
    Send(MessageKind::LButtonUp, { 320, 209.5 });
    EXPECT_TRUE(item.GetPicture().CacheEnabled());
    // Candidate 220.5 x 110 gives height (220.5 + 110) / 3 and twice that as width.
    const double height = 330.5 / 3;
    ExpectRect(item.GetBounds(), QRectF(100, 100, 2 * height, height));
    const float ratio = float(2 * height / 200);
    EXPECT_NEAR(item.GetTrims().left, 20 * ratio, 1e-3);
    EXPECT_NEAR(item.GetTrims().top, 10 * ratio, 1e-3);
    EXPECT_NEAR(item.ZoomFactor(), 1.2 * ratio, 1e-4);

    // The top left corner scales about the bottom right one.
    const QRectF before = item.GetBounds();
    Drag(before.topLeft() + QPointF(0.5, 0.5), before.topLeft() + QPointF(40.5, 10.5));
    EXPECT_NEAR(item.Right(), before.right(), 1e-3);
    EXPECT_NEAR(item.Bottom(), before.bottom(), 1e-3);
    EXPECT_NEAR(item.Width() / item.Height(), 2, 1e-4);
    EXPECT_NEAR(item.Width() + item.Height(), before.width() + before.height() - 50, 1e-3);
}

TEST_F(ImageDrag, ACornerSnapsTheEdgeItMovesToALine)
{
    SetSnapLines({}, { 250 });
    ImageItem& item = AddDefault();
    // The bottom right corner comes to a height of 146, 4 above the line, and snaps to it.
    Drag({ 299.5, 199.5 }, { 391.5, 245.5 });
    ExpectRect(item.GetBounds(), QRectF(100, 100, 300, 150));
    // The top left corner moves the top edge: it snaps to a line above.
    SetSnapLines({}, { 52 });
    Drag({ 100.5, 100.5 }, { 9.5, 54.5 });
    EXPECT_NEAR(item.Top(), 52, 1e-3);
    EXPECT_NEAR(item.Bottom(), 250, 1e-3);
}

TEST_F(ImageDrag, ShiftOrTheMiddleButtonCutsOut)
{
    SetSnapLines({}, {}, false);
    ImageItem& item = AddDefault(2);
    // Shift on the left edge still cuts out.
    Send(MessageKind::LButtonDown, { 101, 120 }, true);
    EXPECT_EQ(item.Drag().Mode(), ImageItemDrag::kCutOut);
    Send(MessageKind::MouseMove, { 250.5, 180 }, true);
    EXPECT_EQ(item.GetDragRectangle(), (ImageItem::DragRectangle { 1, 20, 149.5, 60 }));
    TakeCodes();
    Send(MessageKind::LButtonUp, { 250.5, 180 }, true);
    EXPECT_EQ(TakeCodes(), (Codes { ItemEvent::kChangeFinished, ItemEvent::kReleaseCapture }));
    ExpectRect(item.GetBounds(), QRectF(101, 120, 149.5, 60));
    EXPECT_EQ(item.GetTrims(), (ImageItem::Trims { 1, 20, 49.5, 20 }));
    EXPECT_TRUE(item.GetDragRectangle().IsEmpty());
    ExpectRect(item.PictureRect(), QRectF(100, 100, 200, 100));

    // The middle button, dragged up and left: the rectangle is the same whichever way.
    Send(MessageKind::MButtonDown, { 200, 170 });
    EXPECT_EQ(item.Drag().Mode(), ImageItemDrag::kCutOut);
    Send(MessageKind::MouseMove, { 150, 130 });
    Send(MessageKind::MButtonUp, { 150, 130 });
    ExpectRect(item.GetBounds(), QRectF(150, 130, 50, 40));
}

TEST_F(ImageDrag, AKeyReleasedDuringACutOutCancelsIt)
{
    ImageItem& item = AddDefault(1);
    Send(MessageKind::LButtonDown, { 150, 120 }, true);
    Send(MessageKind::MouseMove, { 200, 180 }, true);
    EXPECT_FALSE(item.GetDragRectangle().IsEmpty());
    TakeCodes();
    EXPECT_FALSE(m_canvas.RouteMessage(InputTest::KeyMessage(MessageKind::KeyUp, Key::Shift)));
    EXPECT_TRUE(item.GetDragRectangle().IsEmpty());
    EXPECT_EQ(item.Drag().Mode(), ImageItemDrag::kNone);
    Send(MessageKind::MouseMove, { 220, 190 });
    Send(MessageKind::LButtonUp, { 220, 190 });
    // The mouse is given back, but nothing changed: no undo step.
    EXPECT_EQ(TakeCodes(), (Codes { ItemEvent::kReleaseCapture }));
    ExpectRect(item.GetBounds(), QRectF(100, 100, 200, 100));

    // A cut-out without area is dropped.
    Send(MessageKind::LButtonDown, { 150, 120 }, true);
    Send(MessageKind::MouseMove, { 150, 180 }, true);
    TakeCodes();
    Send(MessageKind::LButtonUp, { 150, 180 }, true);
    EXPECT_EQ(TakeCodes(), (Codes { ItemEvent::kReleaseCapture }));
    ExpectRect(item.GetBounds(), QRectF(100, 100, 200, 100));
}

TEST_F(ImageDrag, DoubleClickTogglesFitMode)
{
    ImageItem& item = AddDefault(1);
    m_canvas.SetLayoutSize(800, 600);
    EXPECT_TRUE(Send(MessageKind::LButtonDblClk, { 150, 150 }));
    EXPECT_TRUE(item.FitMode());
    ExpectRect(item.GetBounds(), QRectF(0, 100, 800, 400));
    EXPECT_EQ(TakeCodes(), (Codes { ItemEvent::kChangeFinished }));
    // Off again: pixel size, centred under the pointer (cut to whole units).
    EXPECT_TRUE(Send(MessageKind::LButtonDblClk, { 401, 301 }));
    EXPECT_FALSE(item.FitMode());
    ExpectRect(item.GetBounds(), QRectF(301, 251, 200, 100));
    // A drag step ends fit mode.
    Send(MessageKind::LButtonDblClk, { 400, 300 });
    ASSERT_TRUE(item.FitMode());
    Drag({ 400, 300 }, { 390, 300 });
    EXPECT_FALSE(item.FitMode());
    EXPECT_FALSE(Send(MessageKind::LButtonDblClk, { 5, 5 }));
}

TEST_F(ImageDrag, WheelStepsBackAndForthBySquares)
{
    QDir(m_dir.path()).mkdir("eight");
    for (int index = 0; index < 8; ++index)
        WriteImage(m_folder + QString("eight/%1.png").arg(index), { 20 + index, 20 });
    FolderListingCache& cache = FolderListingCache::Instance();
    ASSERT_TRUE(cache.Open(m_folder + "eight/", FolderListingCache::Rescan::No));
    WaitForScan();
    ASSERT_EQ(cache.Count(m_folder + "eight/"), 8);
    QString fifth;
    ASSERT_TRUE(cache.Get(m_folder + "eight/", 5, fifth));
    ImageItem& item = Add("FileName=" + fifth + "\nPos=L100,T100,W40,H20", 1);
    ASSERT_EQ(item.FolderIndex(), 5);
    const auto wheel = [&](int delta) { return m_canvas.RouteMessage(InputTest::Wheel(Device({ 110, 110 }), delta)); };

    // Not the active item: the wheel is not its.
    EXPECT_FALSE(wheel(-120));
    EXPECT_EQ(item.FolderIndex(), 5);
    m_canvas.SetActiveItem(&item);
    EXPECT_TRUE(wheel(240));
    EXPECT_EQ(item.FolderIndex(), 1);
    EXPECT_TRUE(wheel(-120));
    EXPECT_EQ(item.FolderIndex(), 2);
    EXPECT_TRUE(wheel(60));
    EXPECT_EQ(item.FolderIndex(), 2);
    EXPECT_TRUE(wheel(-360));
    EXPECT_EQ(item.FolderIndex(), 0); // 2 + 9 is past the end: the first
    EXPECT_TRUE(wheel(120));
    EXPECT_EQ(item.FolderIndex(), 7); // before the first: the last

    // The arrow keys step by one.
    EXPECT_TRUE(m_canvas.RouteMessage(InputTest::KeyMessage(MessageKind::KeyDown, Key::Left)));
    EXPECT_EQ(item.FolderIndex(), 6);
    EXPECT_TRUE(m_canvas.RouteMessage(InputTest::KeyMessage(MessageKind::KeyDown, Key::Right)));
    EXPECT_EQ(item.FolderIndex(), 7);
}

TEST_F(ImageDrag, NoMenuWhileCtrlIsHeld)
{
    ImageItem& item = AddDefault(1);
    EXPECT_TRUE(Send(MessageKind::RButtonDown, { 150, 150 }, false, true));
    EXPECT_EQ(TakeCodes(), (Codes { ItemEvent::kTakeFocus }));
    EXPECT_FALSE(Send(MessageKind::RButtonUp, { 150, 150 }, false, true));
    EXPECT_TRUE(m_prompt->Requests().empty());
    // Beside the item no menu either.
    EXPECT_FALSE(Send(MessageKind::RButtonUp, { 50, 50 }));
    EXPECT_TRUE(m_prompt->Requests().empty());

    EXPECT_TRUE(Send(MessageKind::RButtonUp, { 150, 150 }));
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    const ScriptedUserPrompt::Request& request = m_prompt->Requests()[0];
    EXPECT_EQ(request.kind, ScriptedUserPrompt::Kind::PopupMenu);
    EXPECT_EQ(request.position, Device({ 150, 150 }) + m_host.screen_offset);
    QStringList shown;
    for (const PopupMenuEntry& entry : request.menu.entries)
        shown << (entry.separator ? QStringLiteral("-") : QString::number(entry.id) + ' ' + entry.text);
    EXPECT_EQ(shown.join('|'),
        QStringLiteral("0 複製(&C)|1 削除(&D)|2 トリム消去(&T)|-|3 右に回転(&R)|4 左に回転(&L)|5 リピート(&P)|-|"
                       "6 フォルダを開く(&O)|7 画像を散らかす(&A)|8 画像を保存(&S)|-|9 x0.&5|10 x&1|11 x&2|-|"
                       "12 画面に合わせる(&M)|13 &320に合わせる|14 &640に合わせる|-|15 ファイルを削除(&E)"));
    EXPECT_EQ(item.GetBounds(), QRectF(100, 100, 200, 100));
}

TEST_F(ImageDrag, FitTo320ScalesTheLongestSide)
{
    WriteImage(m_folder + "big.png", { 1600, 1200 });
    ImageItem& item = Add("FileName=" + m_folder + "big.png,100,0,100,0\nPos=L0,T0,W1400,H1200", 1);
    ImageItemMenu::Run(item, ImageItemMenu::kFit320);
    EXPECT_FLOAT_EQ(item.ZoomFactor(), 0.2f);
    EXPECT_FLOAT_EQ(item.Width(), 320 - 20 - 20);
    EXPECT_FLOAT_EQ(item.Height(), 240);
    EXPECT_EQ(TakeCodes(), (Codes { ItemEvent::kChangeFinished }));
}

TEST_F(ImageDrag, ScatterAddsTheOtherImagesOfTheFolderInTheirRealCase)
{
    QDir(m_dir.path()).mkdir("alone");
    WriteImage(m_folder + "alone/Own.PNG", { 40, 20 });
    ImageItem& alone = Add("FileName=" + m_folder + "alone/Own.PNG\nPos=L0,T0,W40,H20", 1);
    EXPECT_EQ(ImageItemMenu::Scatter(alone), 0);
    EXPECT_EQ(m_canvas.ItemCount(), 1);

    WriteImage(m_folder + "alone/Other.PNG", { 30, 30 });
    WriteImage(m_folder + "alone/wide.Png", { 60, 20 });
    m_canvas.SetLayoutSize(800, 600);
    EXPECT_EQ(ImageItemMenu::Scatter(alone), 2);
    ASSERT_EQ(m_canvas.ItemCount(), 3);
    for (int index = 1; index < 3; ++index) {
        const auto* scattered = dynamic_cast<const ImageItem*>(m_canvas.ItemAt(index));
        ASSERT_NE(scattered, nullptr);
        EXPECT_NE(scattered->GetPicture().FileName(), m_folder + "alone/Own.PNG");
        // As large as the source, width plus height, with its own proportions.
        EXPECT_NEAR(scattered->Width() + scattered->Height(), 60, 1e-3);
        const QSize natural = scattered->GetPicture().NaturalSize();
        EXPECT_NEAR(scattered->Width() / scattered->Height(), double(natural.width()) / natural.height(), 1e-3);
        EXPECT_GE(scattered->Left(), 0);
        EXPECT_LE(scattered->Right(), 800);
    }
}

TEST_F(ImageDrag, ThePseudoRandomSequenceIsTheRuntimes)
{
    // The first values of a C runtime seeded with 1, as the program starts.
    std::uint32_t state = 1;
    EXPECT_EQ(ImageItemMenu::NextRandom(state), 41);
    EXPECT_EQ(ImageItemMenu::NextRandom(state), 18467);
    EXPECT_EQ(ImageItemMenu::NextRandom(state), 6334);
}

TEST_F(ImageDrag, ImagesFromTwoFoldersOnOnePageBothStep)
{
    // The first folder's tree is large enough that its scan is usually still under way when
    // the second item opens its folder, which stops that scan.
    for (const char* folder : { "one", "two" }) {
        QDir().mkpath(m_folder + folder);
        for (int index = 0; index < 3; ++index)
            WriteImage(m_folder + QString("%1/%2.png").arg(folder).arg(index), { 20 + index, 20 });
    }
    for (int index = 0; index < 300; ++index)
        QDir().mkpath(m_folder + QString("one/deep%1/a/b").arg(index));
    ImageItem& first = Add("FileName=" + m_folder + "one/0.png\nPos=L0,T0,W40,H20", 1);
    ImageItem& second = Add("FileName=" + m_folder + "two/0.png\nPos=L100,T0,W40,H20", 1);
    WaitForScan();
    for (ImageItem* item : { &first, &second }) {
        const QString folder = item->FolderPath();
        ASSERT_EQ(FolderListingCache::Instance().Count(folder), 3) << folder.toStdString();
        QStringList shown { item->GetPicture().FileName() };
        for (int step = 0; step < 3; ++step) {
            ASSERT_TRUE(item->NextImage(1)) << folder.toStdString();
            shown << item->GetPicture().FileName();
        }
        EXPECT_EQ(shown.front(), shown.back());
        shown.removeLast();
        shown.sort();
        EXPECT_EQ(shown, (QStringList { folder + "0.png", folder + "1.png", folder + "2.png" }));
    }
}
