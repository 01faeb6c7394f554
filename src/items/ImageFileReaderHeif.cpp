#include "items/ImageFileReaderHeif.h"

#include "items/ImageFileReaderColour.h"

#include <QColorSpace>
#include <QFile>
#include <QPointF>

#include <libheif/heif.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
using Context = std::unique_ptr<heif_context, ContextDeleter>;
using Handle = std::unique_ptr<heif_image_handle, HandleDeleter>;
using Options = std::unique_ptr<heif_decoding_options, OptionsDeleter>;

// The codecs are plug-ins of libheif, loaded once for the process.
void InitialiseOnce()
{
    static const bool initialised = [] {
        heif_init(nullptr);
        return true;
    }();
    (void)initialised;
}

ImageReadFailure FailureOf(const heif_error& error)
{
    switch (error.code) {
    case heif_error_Unsupported_filetype:
    case heif_error_Unsupported_feature:
        return ImageReadFailure::Unsupported;
    case heif_error_Memory_allocation_error:
        return ImageReadFailure::TooLarge;
    default:
        return ImageReadFailure::Damaged;
    }
}

struct Primary {
    Context context;
    Handle handle;
    ImageReadFailure failure { ImageReadFailure::Damaged };
};

// Reads a file into a context: from its path, or from bytes that must outlive the context.
template <typename ReadFunction>
Primary OpenPrimary(ReadFunction read)
{
    InitialiseOnce();
    Primary primary;
    primary.context.reset(heif_context_alloc());
    if (!primary.context)
        return primary;
    heif_error error = read(primary.context.get());
    if (error.code != heif_error_Ok) {
        primary.failure = FailureOf(error);
        return primary;
    }
    heif_image_handle* handle = nullptr;
    error = heif_context_get_primary_image_handle(primary.context.get(), &handle);
    primary.handle.reset(handle);
    primary.failure = error.code == heif_error_Ok && handle ? ImageReadFailure::None : FailureOf(error);
    return primary;
}

Primary OpenPrimary(const QString& path)
{
    return OpenPrimary([&path](heif_context* context) {
        return heif_context_read_from_file(context, QFile::encodeName(path).constData(), nullptr);
    });
}

Primary OpenPrimary(const QByteArray& file)
{
    return OpenPrimary([&file](heif_context* context) {
        return heif_context_read_from_memory_without_copy(context, file.constData(), size_t(file.size()), nullptr);
    });
}

QSize SizeOf(const heif_image_handle* handle)
{
    return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

// The smallest thumbnail of the image's proportions that covers size, or null.
Handle CoveringThumbnail(const heif_image_handle* image, QSize size)
{
    const int count = heif_image_handle_get_number_of_thumbnails(image);
    if (count <= 0 || !size.isValid() || size.isEmpty())
        return nullptr;
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(image, ids.data(), count);
    const QSize full = SizeOf(image);
    Handle best;
    for (const heif_item_id id : ids) {
        heif_image_handle* thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(image, id, &thumbnail).code != heif_error_Ok || !thumbnail)
            continue;
        Handle candidate(thumbnail);
        const QSize thumbnail_size = SizeOf(thumbnail);
        // Proportions within a pixel, so that nothing is cut off or stretched.
        const double expected_height = double(thumbnail_size.width()) * full.height() / full.width();
        const bool proportional = std::abs(expected_height - thumbnail_size.height()) <= 1;
        const bool covers = thumbnail_size.width() >= size.width() && thumbnail_size.height() >= size.height();
        if (proportional && covers && (!best || thumbnail_size.width() < SizeOf(best.get()).width()))
            best = std::move(candidate);
    }
    return best;
}

// The colour space a handle's profile describes; an invalid one for sRGB, for no profile and
// for profiles the program does not convert (HDR transfer curves).
QColorSpace SpaceOf(const heif_image_handle* handle)
{
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
        QByteArray icc(qsizetype(heif_image_handle_get_raw_color_profile_size(handle)), Qt::Uninitialized);
        if (icc.isEmpty() || heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
            return {};
        return QColorSpace::fromIccProfile(icc);
    }
    case heif_color_profile_type_nclx: {
        heif_color_profile_nclx* nclx = nullptr;
        const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &nclx);
        // Freed also when libheif reports an error after it made the profile.
        const std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx*)> owned(nclx, heif_nclx_color_profile_free);
        if (error.code != heif_error_Ok || !nclx)
            return {};
        const auto transfer = nclx->transfer_characteristics;
        // Display curves close to sRGB's; PQ and HLG are not shown converted.
        const bool display_curve = transfer == heif_transfer_characteristic_IEC_61966_2_1
            || transfer == heif_transfer_characteristic_ITU_R_BT_709_5 || transfer == heif_transfer_characteristic_ITU_R_BT_601_6
            || transfer == heif_transfer_characteristic_ITU_R_BT_2020_2_10bit
            || transfer == heif_transfer_characteristic_ITU_R_BT_2020_2_12bit || transfer == heif_transfer_characteristic_unspecified;
        const bool standard_primaries = nclx->color_primaries == heif_color_primaries_ITU_R_BT_709_5
            || nclx->color_primaries == heif_color_primaries_unspecified;
        if (!display_curve || standard_primaries)
            return {};
        return QColorSpace(QPointF(nclx->color_primary_white_x, nclx->color_primary_white_y),
                           QPointF(nclx->color_primary_red_x, nclx->color_primary_red_y),
                           QPointF(nclx->color_primary_green_x, nclx->color_primary_green_y),
                           QPointF(nclx->color_primary_blue_x, nclx->color_primary_blue_y), QColorSpace::TransferFunction::SRgb);
    }
    default:
        return {};
    }
}

// Decodes a handle into an image that refers to libheif's own pixels, without a copy.
QImage Decode(const heif_image_handle* handle)
{
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    const Options options(heif_decoding_options_alloc());
    if (!options)
        return {};
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(handle, &decoded, heif_colorspace_RGB,
                                               alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    if (error.code != heif_error_Ok || !decoded) {
        if (decoded)
            heif_image_release(decoded);
        return {};
    }
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    if (!plane || width <= 0 || height <= 0 || stride <= 0) {
        heif_image_release(decoded);
        return {};
    }
    const QImage::Format format = !alpha ? QImage::Format_RGB888
        : heif_image_handle_is_premultiplied_alpha(handle) ? QImage::Format_RGBA8888_Premultiplied
                                                           : QImage::Format_RGBA8888;
    const QImage image(plane, width, height, stride, format,
                       [](void* image) { heif_image_release(static_cast<heif_image*>(image)); }, decoded);
    // The coded picture may be larger than the size the file announces, and libheif does not
    // always cut it; what lies outside the announced size is not part of the image. A smaller
    // picture cannot be the image announced.
    const QSize announced = SizeOf(handle);
    if (image.size() == announced)
        return image;
    if (image.width() < announced.width() || image.height() < announced.height())
        return {};
    return image.copy(QRect(QPoint(0, 0), announced));
}

// The pixels of an opened file; see ImageFileReader::ReadPixels.
QImage PixelsOf(const Primary& primary, QSize size, QSize natural_size)
{
    if (!primary.handle)
        return {};
    const QSize natural = SizeOf(primary.handle.get());
    if (natural.isEmpty() || !ImageFileReader::FitsAllocationLimit(natural) || (natural_size.isValid() && natural != natural_size))
        return {};
    // A damaged file may code a picture far larger than it announces; libheif refuses to
    // decode past this. Coded pictures are padded to whole coding blocks, so a little more
    // than the announced size is allowed.
    constexpr int kCodingMargin = 256;
    heif_context_set_maximum_image_size_limit(primary.context.get(), std::max(natural.width(), natural.height()) + kCodingMargin);
    const bool reduced = size.isValid() && !size.isEmpty() && size != natural;
    const Handle thumbnail = reduced ? CoveringThumbnail(primary.handle.get(), size) : nullptr;
    const heif_image_handle* source = thumbnail ? thumbnail.get() : primary.handle.get();
    QImage decoded = Decode(source);
    if (decoded.isNull())
        return {};
    return ImageFileReaderColour::ForDrawing(std::move(decoded), reduced ? size : QSize(), SpaceOf(primary.handle.get()));
}

ImageFileHeader HeaderOf(const Primary& primary)
{
    ImageFileHeader header;
    header.failure = primary.failure;
    if (!primary.handle)
        return header;
    header.natural_size = SizeOf(primary.handle.get());
    if (!header.natural_size.isValid() || header.natural_size.isEmpty())
        header.failure = ImageReadFailure::Damaged;
    header.has_alpha = heif_image_handle_has_alpha_channel(primary.handle.get());
    return header;
}

}

bool ImageFileReaderHeif::Recognises(const QByteArray& start)
{
    if (start.size() < 12)
        return false;
    const heif_filetype_result result = heif_check_filetype(reinterpret_cast<const uint8_t*>(start.constData()), int(start.size()));
    return result == heif_filetype_yes_supported || result == heif_filetype_yes_unsupported;
}

ImageFileHeader ImageFileReaderHeif::ReadHeader(const QString& path)
{
    return HeaderOf(OpenPrimary(path));
}

QImage ImageFileReaderHeif::ReadPixels(const QString& path, QSize size, QSize natural_size)
{
    return PixelsOf(OpenPrimary(path), size, natural_size);
}

QImage ImageFileReaderHeif::ReadPixels(const QByteArray& file, QSize size, QSize natural_size)
{
    return PixelsOf(OpenPrimary(file), size, natural_size);
}

ImageFileHeader ImageFileReaderHeif::ReadHeader(const QByteArray& file)
{
    return HeaderOf(OpenPrimary(file));
}
