#include "items/ImageFileReaderReduction.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Where each of count parts of length begins, and where the last ends: count + 1 positions.
std::vector<int> Starts(int length, int count)
{
    std::vector<int> starts(size_t(count) + 1);
    for (int index = 0; index <= count; ++index)
        starts[size_t(index)] = int(qint64(index) * length / count);
    return starts;
}

}

bool ImageFileReaderReduction::Applies(const QImage& source, QSize size)
{
    const bool packed = source.format() == QImage::Format_RGB888 || source.format() == QImage::Format_RGBX8888;
    return !source.isNull() && packed && size.width() >= 1 && size.height() >= 1 && size != source.size()
        && size.width() <= source.width() && size.height() <= source.height();
}

QImage ImageFileReaderReduction::Reduce(const QImage& source, QSize size)
{
    if (!Applies(source, size))
        return {};
    QImage reduced(size, QImage::Format_RGB32);
    if (reduced.isNull())
        return {};
    const int bytes_per_pixel = source.format() == QImage::Format_RGB888 ? 3 : 4;
    const int width = size.width();
    const std::vector<int> columns = Starts(source.width(), width);
    const std::vector<int> rows = Starts(source.height(), size.height());
    // Red, green and blue sums of the source pixels under each pixel of one row shown.
    std::vector<std::uint64_t> sums(size_t(width) * 3);
    for (int y = 0; y < size.height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int source_y = rows[size_t(y)]; source_y < rows[size_t(y) + 1]; ++source_y) {
            const uchar* pixel = source.constScanLine(source_y);
            std::uint64_t* sum = sums.data();
            for (int x = 0; x < width; ++x, sum += 3) {
                std::uint32_t red = 0, green = 0, blue = 0;
                for (int source_x = columns[size_t(x)]; source_x < columns[size_t(x) + 1]; ++source_x, pixel += bytes_per_pixel) {
                    red += pixel[0];
                    green += pixel[1];
                    blue += pixel[2];
                }
                sum[0] += red;
                sum[1] += green;
                sum[2] += blue;
            }
        }
        const std::uint64_t row_count = std::uint64_t(rows[size_t(y) + 1] - rows[size_t(y)]);
        auto* line = reinterpret_cast<QRgb*>(reduced.scanLine(y));
        const std::uint64_t* sum = sums.data();
        for (int x = 0; x < width; ++x, sum += 3) {
            const std::uint64_t count = row_count * std::uint64_t(columns[size_t(x) + 1] - columns[size_t(x)]);
            const std::uint64_t half = count / 2;
            line[x] = qRgb(int((sum[0] + half) / count), int((sum[1] + half) / count), int((sum[2] + half) / count));
        }
    }
    return reduced;
}
