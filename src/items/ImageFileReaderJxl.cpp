#include "items/ImageFileReaderJxl.h"

#include "items/ImageFileReaderColour.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>

#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>

#include <memory>

namespace {

// The header is looked for in steps of this many bytes, so that a large file is not read
// whole to learn its size.
constexpr qint64 kHeaderStep = 64 * 1024;

struct DecoderDeleter {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
struct RunnerDeleter {
    void operator()(void* runner) const { JxlThreadParallelRunnerDestroy(runner); }
};
using Decoder = std::unique_ptr<JxlDecoder, DecoderDeleter>;
using Runner = std::unique_ptr<void, RunnerDeleter>;

QSize OrientedSize(const JxlBasicInfo& info)
{
    // Orientations 5 to 8 turn the image by a quarter.
    const bool swaps = info.orientation >= JXL_ORIENT_TRANSPOSE;
    return swaps ? QSize(int(info.ysize), int(info.xsize)) : QSize(int(info.xsize), int(info.ysize));
}

bool SizeFits(const JxlBasicInfo& info)
{
    constexpr uint32_t kLargestSide = 0x7fffffff;
    return info.xsize > 0 && info.ysize > 0 && info.xsize <= kLargestSide && info.ysize <= kLargestSide
        && ImageFileReader::FitsAllocationLimit(QSize(int(info.xsize), int(info.ysize)));
}

JxlColorEncoding Srgb()
{
    JxlColorEncoding encoding {};
    encoding.color_space = JXL_COLOR_SPACE_RGB;
    encoding.white_point = JXL_WHITE_POINT_D65;
    encoding.primaries = JXL_PRIMARIES_SRGB;
    encoding.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
    encoding.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
    return encoding;
}

// The colour space of the decoded pixels.
QColorSpace DataSpace(const JxlDecoder* decoder)
{
    size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS || size == 0)
        return {};
    QByteArray icc(qsizetype(size), Qt::Uninitialized);
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, reinterpret_cast<uint8_t*>(icc.data()), size)
        != JXL_DEC_SUCCESS)
        return {};
    return QColorSpace::fromIccProfile(icc);
}

// Feeds growing parts of the file until the basic information is known.
ImageFileHeader HeaderFrom(QIODevice& file)
{
    ImageFileHeader header;
    header.failure = ImageReadFailure::Damaged;
    const Decoder decoder(JxlDecoderCreate(nullptr));
    if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO) != JXL_DEC_SUCCESS)
        return header;
    QByteArray data;
    for (;;) {
        const QByteArray more = file.read(kHeaderStep);
        data += more;
        JxlDecoderReleaseInput(decoder.get());
        JxlDecoderRewind(decoder.get());
        JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO);
        JxlDecoderSetInput(decoder.get(), reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
        if (more.isEmpty())
            JxlDecoderCloseInput(decoder.get());
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        if (status == JXL_DEC_BASIC_INFO) {
            JxlBasicInfo info {};
            if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
                return header;
            header.failure = SizeFits(info) ? ImageReadFailure::None : ImageReadFailure::TooLarge;
            header.natural_size = OrientedSize(info);
            header.has_alpha = info.alpha_bits > 0;
            return header;
        }
        if (status != JXL_DEC_NEED_MORE_INPUT || more.isEmpty())
            return header;
    }
}

}

bool ImageFileReaderJxl::Recognises(const QByteArray& start)
{
    const JxlSignature signature = JxlSignatureCheck(reinterpret_cast<const uint8_t*>(start.constData()), size_t(start.size()));
    return signature == JXL_SIG_CODESTREAM || signature == JXL_SIG_CONTAINER;
}

ImageFileHeader ImageFileReaderJxl::ReadHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ImageFileHeader header;
        header.failure = ImageReadFailure::NotPermitted;
        return header;
    }
    return HeaderFrom(file);
}

ImageFileHeader ImageFileReaderJxl::ReadHeader(const QByteArray& file)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    return HeaderFrom(buffer);
}

QImage ImageFileReaderJxl::ReadPixels(const QString& path, QSize size, QSize natural_size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadPixels(file.readAll(), size, natural_size);
}

QImage ImageFileReaderJxl::ReadPixels(const QByteArray& file, QSize size, QSize natural_size)
{
    const Decoder decoder(JxlDecoderCreate(nullptr));
    const Runner runner(JxlThreadParallelRunnerCreate(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads()));
    if (!decoder || !runner)
        return {};
    if (JxlDecoderSetParallelRunner(decoder.get(), JxlThreadParallelRunner, runner.get()) != JXL_DEC_SUCCESS
        || JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE)
            != JXL_DEC_SUCCESS
        || JxlDecoderSetUnpremultiplyAlpha(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS)
        return {};
    JxlDecoderSetInput(decoder.get(), reinterpret_cast<const uint8_t*>(file.constData()), size_t(file.size()));
    JxlDecoderCloseInput(decoder.get());

    JxlBasicInfo info {};
    const JxlPixelFormat format { 4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0 };
    QImage image;
    QColorSpace space;
    for (;;) {
        switch (JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_BASIC_INFO:
            if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS || !SizeFits(info))
                return {};
            if (natural_size.isValid() && OrientedSize(info) != natural_size)
                return {};
            break;
        case JXL_DEC_COLOR_ENCODING: {
            // Pixels the decoder converts anyway (lossy files) come out in sRGB at once.
            const JxlColorEncoding srgb = Srgb();
            if (!info.uses_original_profile && info.num_color_channels == 3)
                JxlDecoderSetPreferredColorProfile(decoder.get(), &srgb);
            space = DataSpace(decoder.get());
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            const QSize oriented = OrientedSize(info);
            image = QImage(oriented, info.alpha_bits > 0 ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
            size_t needed = 0;
            if (image.isNull() || JxlDecoderImageOutBufferSize(decoder.get(), &format, &needed) != JXL_DEC_SUCCESS
                || needed > size_t(image.sizeInBytes())
                || JxlDecoderSetImageOutBuffer(decoder.get(), &format, image.bits(), size_t(image.sizeInBytes())) != JXL_DEC_SUCCESS)
                return {};
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            // The first frame is the picture; an animation's other frames are not shown.
            return ImageFileReaderColour::ForDrawing(std::move(image), size, space);
        default:
            // An error, input that ends too soon, or the end without a frame.
            return {};
        }
    }
}
