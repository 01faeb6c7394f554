#pragma once

#include <cstdint>
#include <vector>

// The view of a Mandelbrot picture: the extent of the shorter side in the complex plane, the
// top-left corner as a multiple of the extent per pixel count, and the pixel size. The view is
// kept in extended precision, which deep zooms need to stay where the user put them.
struct MandelbrotView {
    long double zoom_rate { 3.0 };
    long double shift_x { -0.6666666666666666 };
    long double shift_y { -0.5 };
    int width { 0 };
    int height { 0 };
    // Equal views give equal counts; a NaN equals itself here.
    bool operator==(const MandelbrotView& other) const;
};

// Escape counts of the pixels of a view. The counts are defined in extended precision
// (`long double`): z0 = 0, z(n+1) = z(n)^2 + c, the count is the first n from 1 to 254 with
// |z(n)|^2 > 4, and 255 when there is none.
//
// Two paths compute them. The exact path iterates in extended precision. The fast path
// iterates in doubles (four pixels to a vector where the processor has AVX2) and carries a
// bound on how far its orbit can be from the extended one; a pixel whose bound grows too large,
// or whose |z|^2 comes too near 4 for the bound to decide the escape, is computed again on the
// exact path. Both paths therefore give the same counts, which the tests hold them to.
class MandelbrotEscape {
public:
    static constexpr int kNoEscape = 255;

    enum class Path {
        Exact,  // extended precision only
        Scalar, // the bounded double iteration one pixel at a time, with exact fallback
        Vector, // the same four pixels to a vector (AVX2), with exact fallback
        Best,   // Vector where the processor supports it, else Scalar
    };

    explicit MandelbrotEscape(const MandelbrotView& view);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The point of a pixel: x * step + step * width * shift x (likewise y, growing downward).
    long double Real(int x) const { return m_real[x]; }
    long double Imaginary(int y) const { return m_imaginary[y]; }

    // Fills `counts` (Width() bytes) with the counts of row y. Returns how many pixels of the
    // row were computed on the exact path.
    int ComputeRow(int y, std::uint8_t* counts, Path path = Path::Best) const;

    // Whether the fast path applies to this view at all (finite points near the set).
    bool FastPathApplies() const { return m_fast; }
    static bool VectorPathAvailable();

    static std::uint8_t ExactCount(long double real, long double imaginary);

    // The constants of the bounded double iteration (see the source for the argument).
    struct Bounds {
        double growth_norm { 0 };  // factor of |z|^2 in the growth of the squared error bound
        double growth_bound { 0 }; // factor of the squared bound itself
        double added { 0 };        // squared error added at every step
    };

private:
    Bounds m_bounds;
    bool m_fast { false };
    int m_width { 0 };
    int m_height { 0 };
    std::vector<long double> m_real;
    std::vector<long double> m_imaginary;
    // The real parts rounded to double, padded to a whole number of vector groups with a point
    // that escapes at once.
    std::vector<double> m_real_double;
};
