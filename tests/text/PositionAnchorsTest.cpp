#include "text/PositionAnchors.h"

#include <gtest/gtest.h>

namespace {

struct AnchorRow {
    const char16_t* anchor;
    float expected;
};

// Layout 400 by 300; visible area from (30, 20) to (530, 420); item left / top edge 10.
constexpr AnchorReference kReference { 400, 300, 30, 20, 530, 420 };

TEST(PositionAnchors, HorizontalAnchorsResolveByLetter)
{
    const AnchorRow rows[] = {
        { u"L10", 10 },
        { u"L25%", 100 },
        { u"L-0.5%", -2 },
        { u"C0", 200 },
        { u"C-30%", 80 },
        { u"C30%", 320 },
        { u"C12.5", 212.5f },
        { u"R10", 390 },
        { u"R10%", 360 },
        { u"R0.1%", 399 },
        { u"W50", 60 },
        { u"W10%", 50 },
        { u"W0.3%", 11 },
        { u"l5", 35 },
        { u"l50%", 15 },
        { u"r5", 525 },
        { u"r10%", 477 },
        { u"T10", 10 },
        { u"B10%", 10 },
        { u"X7", 7 },
        { u"", 0 },
        { u"L", 0 },
        { u"R", 0 },
        { u"10", 0 },
        { u"150", 50 },
        { u"L%", 0 },
        { u"Labc", 0 },
    };
    for (const AnchorRow& row : rows) {
        SCOPED_TRACE(QString::fromUtf16(row.anchor).toStdString());
        EXPECT_FLOAT_EQ(ResolveAnchorX(QString::fromUtf16(row.anchor), kReference, 10), row.expected);
    }
}

TEST(PositionAnchors, VerticalAnchorsResolveByLetter)
{
    const AnchorRow rows[] = {
        { u"T10", 10 },
        { u"T10%", 30 },
        { u"C0", 150 },
        { u"C-10%", 120 },
        { u"C-10", 140 },
        { u"B30", 270 },
        { u"B10%", 270 },
        { u"H20", 30 },
        { u"H10%", 40 },
        { u"t5", 25 },
        { u"t50%", 10 },
        { u"b5", 415 },
        { u"b10%", 378 },
        { u"L10", 10 },
        { u"R10%", 10 },
        { u"W10", 10 },
        { u"T", 0 },
    };
    for (const AnchorRow& row : rows) {
        SCOPED_TRACE(QString::fromUtf16(row.anchor).toStdString());
        EXPECT_FLOAT_EQ(ResolveAnchorY(QString::fromUtf16(row.anchor), kReference, 10), row.expected);
    }
}

TEST(PositionAnchors, PercentTruncatesTowardZero)
{
    const AnchorReference hundred { 100, 100, 0, 0, 0, 0 };
    EXPECT_FLOAT_EQ(ResolveAnchorX(u"L-0.5%", hundred, 0), 0);
    EXPECT_FALSE(std::signbit(ResolveAnchorX(u"L-0.5%", hundred, 0)));
    EXPECT_FLOAT_EQ(ResolveAnchorX(u"R0.5%", hundred, 0), 99);
    EXPECT_FLOAT_EQ(ResolveAnchorX(u"L-1.5%", hundred, 0), -1);
    EXPECT_FLOAT_EQ(ResolveAnchorY(u"T33.9%", hundred, 0), 33);
}

TEST(PositionAnchors, EmptyCanvasHasZeroSize)
{
    const AnchorReference none;
    EXPECT_FLOAT_EQ(ResolveAnchorX(u"R10", none, 0), -10);
    EXPECT_FLOAT_EQ(ResolveAnchorY(u"C5", none, 0), 5);
    EXPECT_FLOAT_EQ(ResolveAnchorX(u"R50%", none, 0), 0);
}

TEST(PositionAnchors, RelativeFieldsMeasureFromThePreviousItem)
{
    const RelativeReference previous { QRectF(10, 20, 100, 50), { "R10", "T5", "W100", "H50" } };
    struct Row {
        int edge;
        const char* field;
        const char* anchor;
    };
    const Row rows[] = {
        { 0, "L5", "L115.000000" },
        { 0, "R5", "L5.000000" },
        { 2, "L-5", "L105.000000" },
        { 1, "T5", "T75.000000" },
        { 3, "B5", "T25.000000" },
        { 1, "B-5", "T15.000000" },
        { 0, "0", "R10" },
        { 1, "0", "T5" },
        { 2, "0", "W100" },
        { 3, "0", "H50" },
        { 4, "0", "R10" },
        { 5, "T1", "T71.000000" },
        { 0, "T5", "T5" },
        { 1, "L5", "L5" },
        { 0, "C10", "C10" },
        { 0, "00", "00" },
        { 0, "", "" },
        { 0, "L", "L110.000000" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.edge) + " " + row.field);
        const QString field = QString::fromUtf8(row.field);
        EXPECT_EQ(ConvertRelativeAnchor(row.edge, field, &previous), QString::fromUtf8(row.anchor));
        EXPECT_EQ(ConvertRelativeAnchor(row.edge, field, nullptr), field);
    }
}

TEST(PositionAnchors, SetBoundsAnchorsToTheTopLeft)
{
    Anchors anchors { "R10", "B10", "W50", "H20", "L1", "", "", "" };
    EXPECT_TRUE(SetBoundsAsAnchors(anchors, QRectF(340, 270.5, 50, 20)));
    EXPECT_EQ(anchors, (Anchors { "L340", "T270.5", "L390", "T290.5", "L1", "", "", "" }));
    EXPECT_FALSE(SetBoundsAsAnchors(anchors, QRectF(340, 270.5, 50, 20)));

    // Fixed anchors no longer follow the window.
    const AnchorReference larger { 800, 600, 0, 0, 0, 0 };
    EXPECT_FLOAT_EQ(ResolveAnchorX(anchors[0], larger, 0), 340);
    EXPECT_FLOAT_EQ(ResolveAnchorY(anchors[3], larger, 0), 290.5f);

    EXPECT_TRUE(SetBoundsAsAnchors(anchors, QRectF(340, 270.5, 60, 20)));
    EXPECT_EQ(anchors[2], QStringLiteral("L400"));
    EXPECT_TRUE(SetBoundsAsAnchors(anchors, QRectF(1234567, 0, 0, 0)));
    EXPECT_EQ(anchors[0], QStringLiteral("L1.23457e+06"));
}

TEST(PositionAnchors, NaturalSizeFillsOnlyEmptyFarEdges)
{
    Anchors anchors { "L10", "T15", "", "", "", "", "", "" };
    EXPECT_TRUE(ApplyNaturalSize(anchors, QSizeF(640, 480)));
    EXPECT_EQ(anchors[2], QStringLiteral("W640.000000"));
    EXPECT_EQ(anchors[3], QStringLiteral("H480.000000"));
    EXPECT_FALSE(ApplyNaturalSize(anchors, QSizeF(10, 10)));

    Anchors half { "L0", "T0", "R0", "", "", "", "", "" };
    EXPECT_TRUE(ApplyNaturalSize(half, QSizeF(1, 2.5)));
    EXPECT_EQ(half[2], QStringLiteral("R0"));
    EXPECT_EQ(half[3], QStringLiteral("H2.500000"));
}

TEST(PositionAnchors, AlignmentWords)
{
    const std::pair<const char16_t*, Alignment> rows[] = {
        { u"L", Alignment::Near }, { u"T", Alignment::Near }, { u"C", Alignment::Centre },
        { u"R", Alignment::Far }, { u"B", Alignment::Far }, { u"r", Alignment::Near },
        { u"", Alignment::Near }, { u"RR", Alignment::Near }, { u"Center", Alignment::Near },
    };
    for (const auto& [word, alignment] : rows)
        EXPECT_EQ(AlignmentFromWord(word), alignment) << QString::fromUtf16(word).toStdString();
}

TEST(PositionAnchors, SplitAnchorKeepsTheEdgesLetters)
{
    struct Row {
        int edge;
        const char16_t* anchor;
        char16_t letter;
        const char16_t* number;
    };
    const Row rows[] = {
        { 0, u"", u'L', u"0" },
        { 1, u"", u'T', u"0" },
        { 2, u"", u'L', u"0" },
        { 3, u"", u'T', u"0" },
        { 0, u"C-20%", u'C', u"-20%" },
        { 0, u"W5", u'L', u"5" },
        { 2, u"W5", u'W', u"5" },
        { 1, u"H5", u'T', u"5" },
        { 3, u"H5", u'H', u"5" },
        { 3, u"B10", u'B', u"10" },
        { 1, u"L10", u'T', u"10" },
        { 0, u"l0", u'L', u"0" },
        { 2, u"R", u'R', u"" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.edge) + " " + QString::fromUtf16(row.anchor).toStdString());
        const AnchorParts parts = SplitAnchor(row.edge, QString::fromUtf16(row.anchor));
        EXPECT_EQ(parts.letter, QChar(row.letter));
        EXPECT_EQ(parts.number, QString::fromUtf16(row.number));
    }
}

}
