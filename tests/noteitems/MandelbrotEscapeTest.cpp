#include "noteitems/MandelbrotEscape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

using Path = MandelbrotEscape::Path;

// A view of the given extent centred on a point.
MandelbrotView CentredView(long double centre_x, long double centre_y, double zoom_rate, int width, int height)
{
    const long double step = static_cast<long double>(zoom_rate) / std::min(width, height);
    MandelbrotView view;
    view.zoom_rate = zoom_rate;
    view.width = width;
    view.height = height;
    view.shift_x = static_cast<double>((centre_x - step * width / 2) / (step * width));
    view.shift_y = static_cast<double>((centre_y - step * height / 2) / (step * height));
    return view;
}

struct Comparison {
    int differences { 0 };
    int exact_pixels { 0 };
};

// Counts of the whole view on a path, compared pixel by pixel with the exact path.
Comparison Compare(const MandelbrotView& view, Path path)
{
    const MandelbrotEscape escape(view);
    std::vector<std::uint8_t> exact(escape.Width()), fast(escape.Width());
    Comparison result;
    for (int y = 0; y < escape.Height(); ++y) {
        escape.ComputeRow(y, exact.data(), Path::Exact);
        result.exact_pixels += escape.ComputeRow(y, fast.data(), path);
        for (int x = 0; x < escape.Width(); ++x)
            result.differences += exact[x] != fast[x];
    }
    return result;
}

std::vector<Path> FastPaths()
{
    std::vector<Path> paths { Path::Scalar };
    if (MandelbrotEscape::VectorPathAvailable())
        paths.push_back(Path::Vector);
    return paths;
}

TEST(MandelbrotEscapeTest, CountsOfKnownPoints)
{
    EXPECT_EQ(MandelbrotEscape::ExactCount(0, 0), 255);
    // z1 = 1, z2 = 2 (|z2|^2 = 4 is not above 4), z3 = 5.
    EXPECT_EQ(MandelbrotEscape::ExactCount(1, 0), 3);
    EXPECT_EQ(MandelbrotEscape::ExactCount(-2, 0), 255);
    EXPECT_EQ(MandelbrotEscape::ExactCount(3, 0), 1);
}

TEST(MandelbrotEscapeTest, DefaultViewSpansTheSet)
{
    const MandelbrotEscape escape(MandelbrotView { 3.0, -0.6666666666666666, -0.5, 300, 300 });
    EXPECT_NEAR(double(escape.Real(0)), -2.0, 1e-15);
    EXPECT_NEAR(double(escape.Imaginary(0)), -1.5, 1e-15);
    EXPECT_NEAR(double(escape.Real(299)), 1.0 - 0.01, 1e-15);
    EXPECT_NEAR(double(escape.Imaginary(150)), 0.0, 1e-15);
}

TEST(MandelbrotEscapeTest, FastPathsAgreeOnTheDefaultViewAndDecideAlmostEverything)
{
    const MandelbrotView view { 3.0, -0.6666666666666666, -0.5, 1000, 1000 };
    for (Path path : FastPaths()) {
        const Comparison result = Compare(view, path);
        EXPECT_EQ(result.differences, 0) << int(path);
        EXPECT_LT(result.exact_pixels, 1000 * 1000 / 100) << int(path);
    }
}

struct ZoomRow {
    const char* name;
    long double centre_x;
    long double centre_y;
    double zoom_rate;
};

TEST(MandelbrotEscapeTest, FastPathsAgreeOnZoomedViews)
{
    const ZoomRow rows[] = {
        { "valley 1e-4", -0.7436L, 0.1318L, 1e-4 },
        { "valley 1e-9", -0.743643887L, 0.131825904L, 1e-9 },
        { "valley 1e-14", -0.74364388703715L, 0.13182590420532L, 1e-14 },
        { "tip 1e-4", -1.99995L, 0, 1e-4 },
        { "tip 1e-9", -1.9999999995L, 1e-10L, 1e-9 },
        { "tip 1e-14", -2.0L + 3e-15L, 0, 1e-14 },
        { "tip 1e-14 off the axis", -1.99999999999999L, 2e-15L, 1e-14 },
        // Inside the set, where orbits are caught by a fixed point or a 2-cycle, and at the
        // borders where they are caught slowly or not at all.
        { "cusp 1e-3", 0.25L, 0, 1e-3 },
        { "neck 1e-6", -0.75L, 1e-7L, 1e-6 },
        { "2-cycle bulb", -1.0L, 0.1L, 0.4 },
        { "cardioid edge 1e-4", -0.1L, 0.651L, 1e-4 },
        { "period 3 bulb", -0.122L, 0.745L, 0.05 },
    };
    for (const ZoomRow& row : rows) {
        const MandelbrotView view = CentredView(row.centre_x, row.centre_y, row.zoom_rate, 160, 120);
        for (Path path : FastPaths())
            EXPECT_EQ(Compare(view, path).differences, 0) << row.name << " path " << int(path);
    }
}

TEST(MandelbrotEscapeTest, FastPathsAgreeOnRandomViews)
{
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> real(-2.2, 0.8), imaginary(-1.3, 1.3), exponent(-15.5, 0.5);
    std::uniform_int_distribution<int> side(1, 61);
    for (int index = 0; index < 40; ++index) {
        const MandelbrotView view
            = CentredView(real(random), imaginary(random), std::pow(10.0, exponent(random)), side(random), side(random));
        for (Path path : FastPaths())
            EXPECT_EQ(Compare(view, path).differences, 0) << "view " << index << " path " << int(path);
    }
}

TEST(MandelbrotEscapeTest, HostileViewsGiveCountsWithoutFastPath)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const MandelbrotView rows[] = {
        { 3.0, nan, -0.5, 20, 20 },
        { 3.0, 1e300, -1e300, 20, 20 },
        { 1e300, -0.5, -0.5, 20, 20 },
        { 3.0, -0.5, -0.5, 0, 20 },
        { 3.0, -0.5, -0.5, -5, -5 },
    };
    for (const MandelbrotView& view : rows) {
        const MandelbrotEscape escape(view);
        EXPECT_FALSE(escape.FastPathApplies() && escape.Width() > 0 && std::isnan(view.shift_x));
        std::vector<std::uint8_t> counts(std::max(0, escape.Width()) + 1, 7);
        for (int y = 0; y < escape.Height(); ++y)
            escape.ComputeRow(y, counts.data());
        EXPECT_EQ(counts.back(), 7); // nothing written past the row
        for (Path path : FastPaths())
            EXPECT_EQ(Compare(view, path).differences, 0);
    }
}

}
