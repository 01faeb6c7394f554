#include "items/ImageFileReaderJpeg.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg ends a decode by calling error_exit, which must not return: it jumps back here. The
// warnings that mean damaged data are counted; a file whose coded data ends early or holds
// broken codes decodes "successfully" with grey filled in.
struct ErrorManager {
    jpeg_error_mgr base {};
    std::jmp_buf back {};
    bool damaged { false };
};

void ExitOnError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(manager->back, 1);
}

void NoteWarning(j_common_ptr info, int level)
{
    // Level -1 is a warning about the data; higher levels are trace messages.
    if (level >= 0)
        return;
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
        manager->damaged = true;
        break;
    default:
        // Extra bytes between segments and the like: cameras write such files, and they show
        // whole.
        break;
    }
}

void Silent(j_common_ptr) { }

// Separate from the caller so that no local object of the caller lives across the jump.
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, const unsigned char* data, unsigned long size)
{
    if (setjmp(errors.back))
        return false;
    jpeg_mem_src(&info, data, size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return false;
    info.scale_num = 1;
    info.scale_denom = 8;
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    info.do_block_smoothing = FALSE;
    if (!jpeg_start_decompress(&info))
        return false;
    // From libjpeg's own pool, which jpeg_destroy_decompress frees even after a jump.
    const JDIMENSION row_bytes = info.output_width * JDIMENSION(info.output_components);
    JSAMPARRAY rows = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, row_bytes, 1);
    while (info.output_scanline < info.output_height) {
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&info);
    return !errors.damaged;
}

}

bool ImageFileReaderJpeg::Recognises(const QByteArray& start)
{
    return start.size() >= 3 && uchar(start[0]) == 0xFF && uchar(start[1]) == 0xD8 && uchar(start[2]) == 0xFF;
}

bool ImageFileReaderJpeg::DecodesWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size <= 0)
        return false;
    // Mapped rather than read: a photograph is read once, by the decoder.
    if (const uchar* mapped = file.map(0, size)) {
        const QByteArray view = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), qsizetype(size));
        return DecodesWhole(view);
    }
    return DecodesWhole(file.readAll());
}

bool ImageFileReaderJpeg::DecodesWhole(const QByteArray& file)
{
    if (file.isEmpty())
        return false;
    jpeg_decompress_struct info {};
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ExitOnError;
    errors.base.emit_message = NoteWarning;
    errors.base.output_message = Silent;
    jpeg_create_decompress(&info);
    const bool whole = Decode(info, errors, reinterpret_cast<const unsigned char*>(file.constData()),
        static_cast<unsigned long>(file.size()));
    jpeg_destroy_decompress(&info);
    return whole;
}
