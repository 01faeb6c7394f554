#include "items/LayoutResources.h"

#include "items/OffscreenCanvas.h"
#include "noteitems/ItemFactories.h"
#include "noteitems/MandelbrotItem.h"
#include "noteitems/TextPropertiesDialog.h"
#include "platform/Paths.h"
#include "widgets/Button.h"
#include "widgets/CheckBox.h"
#include "widgets/EditableTextWithMenu.h"
#include "widgets/Text.h"

#include <QPainter>
#include <gtest/gtest.h>

// The texts of the program's own windows show whole at their layouts' fonts.
namespace {

struct WindowRow {
    const char* name;
    LayoutResource id;
    CanvasKind kind;
    QSize size;
};

// Every window at its smallest size.
const WindowRow kWindows[] = {
    { "ToolBar", LayoutResource::ToolBar, CanvasKind::Panel, { 880, 70 } },
    { "PageBar", LayoutResource::PageBar, CanvasKind::Panel, { 880, 70 } },
    { "About", LayoutResource::About, CanvasKind::Dialog, { 300, 190 } },
    { "Publish", LayoutResource::Publish, CanvasKind::Dialog, { 456, 153 } },
    { "TextProperties", LayoutResource::TextProperties, CanvasKind::PropertyDialog, TextPropertiesDialog::kSize },
    { "MandelbrotProperties", LayoutResource::MandelbrotProperties, CanvasKind::PropertyDialog,
      { MandelbrotItem::kDialogSide, MandelbrotItem::kDialogSide } },
};

// The texts of a built and drawn layout: its own, the captions of its buttons and boxes and
// what its fields show, which their owners place as they draw.
std::vector<const Text*> TextsOf(Canvas& canvas)
{
    std::vector<const Text*> texts;
    for (const auto& item : canvas.Items()) {
        if (const auto* text = dynamic_cast<const Text*>(item.get()))
            texts.push_back(text);
        else if (auto* button = dynamic_cast<Button*>(item.get()))
            texts.push_back(&button->Caption());
        else if (auto* box = dynamic_cast<CheckBox*>(item.get()))
            texts.push_back(&box->Caption());
        else if (const auto* field = dynamic_cast<const EditableText*>(item.get()))
            texts.push_back(&field->Display());
        else if (const auto* choices = dynamic_cast<const EditableTextWithMenu*>(item.get()))
            texts.push_back(&choices->Field().Display());
    }
    return texts;
}

class LayoutTextsTest : public ::testing::TestWithParam<WindowRow> { };

}

TEST_P(LayoutTextsTest, EveryTextFitsItsBoxAtItsFont)
{
    ItemFactories::RegisterAll();
    const WindowRow& row = GetParam();
    for (qreal ratio : { 1.0, 1.5, 2.0 }) {
        OffscreenCanvas window(row.size, row.kind, ratio);
        ASSERT_TRUE(BuildLayout(window.GetCanvas(), row.id, ProgramFolder()));
        const QImage drawn = window.Render();
        for (const Text* text : TextsOf(window.GetCanvas()))
            EXPECT_TRUE(text->FitsAtItsSize(&drawn)) << "\"" << text->GetText().toStdString() << "\" at ratio " << ratio;
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, LayoutTextsTest, ::testing::ValuesIn(kWindows),
    [](const ::testing::TestParamInfo<WindowRow>& info) { return std::string(info.param.name); });

namespace {

// The columns and rows of the picture's part that hold ink darker than the background.
QRect InkOf(const QImage& picture, const QRect& part)
{
    QRect ink;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            if (qGray(picture.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// The ink of a caption drawn alone in a box far wider than it, at the same font.
QRect FreeInkOf(const Text& caption, qreal ratio)
{
    OffscreenCanvas alone(QSize(1000, 100), CanvasKind::Dialog, ratio);
    auto copy = std::make_unique<Text>(alone.GetCanvas());
    copy->SetText(caption.GetText());
    copy->SetFontName(caption.FontName());
    copy->SetFontSize(caption.FontSize());
    copy->SetAlignment(Alignment::Near, Alignment::Centre);
    copy->SetAnchor(Item::kLeft, QStringLiteral("L10"));
    copy->SetAnchor(Item::kTop, QStringLiteral("T10"));
    copy->SetAnchor(Item::kRight, QStringLiteral("W980"));
    copy->SetAnchor(Item::kBottom, QStringLiteral("H") + QString::number(caption.Height()));
    alone.GetCanvas().AddItem(std::move(copy));
    const QImage picture = alone.Render();
    // White behind the ink.
    QImage page(picture.size(), QImage::Format_ARGB32_Premultiplied);
    page.setDevicePixelRatio(picture.devicePixelRatio());
    page.fill(Qt::white);
    QPainter(&page).drawImage(0, 0, picture);
    return InkOf(page, page.rect());
}

class CaptionPixelsTest : public ::testing::TestWithParam<qreal> { };

}

// The text properties dialog's long captions, rendered as the dialog shows them: each is one
// line as wide as the same caption drawn with room to spare, neither wrapped, cut nor shrunk.
TEST_P(CaptionPixelsTest, TextPropertiesCaptionsShowWhole)
{
    ItemFactories::RegisterAll();
    const qreal ratio = GetParam();
    OffscreenCanvas dialog(TextPropertiesDialog::kSize, CanvasKind::PropertyDialog, ratio);
    ASSERT_TRUE(BuildLayout(dialog.GetCanvas(), LayoutResource::TextProperties, ProgramFolder()));
    const QImage picture = dialog.Render();
    for (const char* wanted : { "フォント名", "フォントサイズ", "フォント色", "水平アライメント", "垂直アライメント" }) {
        const Text* caption = nullptr;
        for (const Text* text : TextsOf(dialog.GetCanvas()))
            if (text->GetText() == QString::fromUtf8(wanted))
                caption = text;
        ASSERT_NE(caption, nullptr) << wanted;
        const QRectF box = caption->GetBounds();
        const QRect pixels(QPointF(box.topLeft() * ratio).toPoint(), QPointF(box.bottomRight() * ratio).toPoint() - QPoint(1, 1));
        const QRect shown = InkOf(picture, pixels);
        const QRect free = FreeInkOf(*caption, ratio);
        EXPECT_NEAR(shown.width(), free.width(), 1) << wanted << " at ratio " << ratio;
        EXPECT_NEAR(shown.height(), free.height(), 1) << wanted << " at ratio " << ratio;
    }
}

INSTANTIATE_TEST_SUITE_P(Ratios, CaptionPixelsTest, ::testing::Values(1.0, 2.0));
