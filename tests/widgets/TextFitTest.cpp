#include "items/OffscreenCanvas.h"
#include "widgets/Text.h"

#include <QPainter>
#include <gtest/gtest.h>

// A text that does not fit its box: a caption is drawn smaller and then cut short with "…",
// always on one line and inside its box; a page's text stays at its size, cut off by its box.
namespace {

const QString kCaption = QStringLiteral("フォントサイズ");

// The text drawn alone on white in a box of the width (and 20 high), at 10 points, at ratio 2;
// answers the device pixels that hold ink.
QRect InkOfCaptionIn(qreal box_width, TextFit fit, bool no_wrap)
{
    constexpr qreal kRatio = 2;
    OffscreenCanvas canvas(QSize(400, 60), CanvasKind::Dialog, kRatio);
    auto text = std::make_unique<Text>(canvas.GetCanvas());
    text->SetText(kCaption);
    text->SetFontSize(10);
    text->SetFit(fit);
    text->SetNoWrap(no_wrap);
    text->SetAlignment(Alignment::Near, Alignment::Centre);
    text->SetAnchor(Item::kLeft, QStringLiteral("L20"));
    text->SetAnchor(Item::kTop, QStringLiteral("T20"));
    text->SetAnchor(Item::kRight, QStringLiteral("W") + QString::number(box_width));
    text->SetAnchor(Item::kBottom, QStringLiteral("H20"));
    canvas.GetCanvas().AddItem(std::move(text));
    const QImage drawn = canvas.Render();
    QImage page(drawn.size(), QImage::Format_ARGB32_Premultiplied);
    page.setDevicePixelRatio(kRatio);
    page.fill(Qt::white);
    QPainter(&page).drawImage(0, 0, drawn);
    QRect ink;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

struct FitRow {
    const char* label;
    qreal share; // of the width the caption takes
    TextFit fit;
    bool no_wrap;
    // The width of the ink as a share of the whole caption's: at least, at most.
    double least;
    double most;
    bool shorter_glyphs; // drawn smaller than the whole caption
};

class TextFitTest : public ::testing::TestWithParam<FitRow> { };

}

TEST_P(TextFitTest, ACaptionStaysOnOneLineInsideItsBox)
{
    const FitRow& row = GetParam();
    const QRect whole = InkOfCaptionIn(300, TextFit::Shrink, false);
    const qreal width = whole.width() / 2.0 * row.share;
    const QRect ink = InkOfCaptionIn(width, row.fit, row.no_wrap);
    EXPECT_GE(ink.width(), whole.width() * row.least - 1) << row.label;
    EXPECT_LE(ink.width(), whole.width() * row.most + 1) << row.label;
    // One line, inside the box (20 to 40 down, from 20 across, in device pixels of ratio 2).
    EXPECT_LE(ink.height(), whole.height() + 1) << row.label;
    EXPECT_GE(ink.top(), 40) << row.label;
    EXPECT_LT(ink.bottom(), 80) << row.label;
    EXPECT_LT(ink.right(), 2 * (20 + width)) << row.label;
    if (row.shorter_glyphs)
        EXPECT_LT(ink.height(), whole.height() - 1) << row.label;
    else
        EXPECT_NEAR(ink.height(), whole.height(), 1) << row.label;
}

INSTANTIATE_TEST_SUITE_P(Rows, TextFitTest,
    ::testing::Values(
        FitRow { "whole", 1.2, TextFit::Shrink, false, 1, 1, false },
        FitRow { "shrunk a little", 0.9, TextFit::Shrink, false, 0.75, 0.9, true },
        FitRow { "shrunk without wrapping", 0.9, TextFit::Shrink, true, 0.75, 0.9, true },
        FitRow { "cut short", 0.5, TextFit::Shrink, false, 0.2, 0.5, true },
        // A page's text keeps its size: its first line shows as far as the box reaches.
        FitRow { "clipped", 0.9, TextFit::Clip, true, 0.8, 0.9, false }),
    [](const ::testing::TestParamInfo<FitRow>& info) {
        std::string name = info.param.label;
        for (char& c : name)
            if (c == ' ')
                c = '_';
        return name;
    });

TEST(TextFit, FitsAtItsSizeMeasuresTheWrappedText)
{
    OffscreenCanvas canvas(QSize(400, 60), CanvasKind::Dialog);
    Text text(canvas.GetCanvas());
    text.SetText(kCaption);
    text.SetAnchor(Item::kLeft, QStringLiteral("L0"));
    text.SetAnchor(Item::kTop, QStringLiteral("T0"));
    text.SetAnchor(Item::kBottom, QStringLiteral("H20"));
    const qreal natural = text.NaturalSize().width();
    ASSERT_GT(natural, 50);
    text.SetAnchor(Item::kRight, QStringLiteral("W") + QString::number(natural + 1));
    EXPECT_TRUE(text.FitsAtItsSize());
    text.SetAnchor(Item::kRight, QStringLiteral("W") + QString::number(natural - 3));
    EXPECT_FALSE(text.FitsAtItsSize());
    // Lines of its own that do not fit the box's height are not the box's fault.
    text.SetText(kCaption + QStringLiteral("\r\n") + kCaption);
    text.SetAnchor(Item::kRight, QStringLiteral("W") + QString::number(natural + 1));
    EXPECT_TRUE(text.FitsAtItsSize());
}
