#include "items/ImageFileReader.h"

#include "items/ImageDecoder.h"
#include "items/ImageFileReaderColour.h"
#include "items/ImageFileReaderHeif.h"
#include "items/ImageFileReaderJpeg.h"
#include "items/ImageFileReaderJxl.h"
#include "platform/FileIdentity.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>

#include <mutex>
#include <utility>

namespace {

enum class Format { Qt, Jpeg, Heif, Jxl };

// Enough of a file's start to tell HEIF and JPEG XL files from the rest.
constexpr qint64 kSniffBytes = 64;
// The size at which Check decodes a file: small, so that a check costs little where the format
// decodes at a reduced size.
constexpr QSize kCheckSize(64, 64);
// How many verdicts CheckRemembered keeps before it starts afresh.
constexpr qsizetype kRememberedVerdicts = 4096;

void RaiseAllocationLimit()
{
    static const bool raised = [] {
        if (QImageReader::allocationLimit() < ImageDecoder::kAllocationLimitMb)
            QImageReader::setAllocationLimit(ImageDecoder::kAllocationLimitMb);
        return true;
    }();
    (void)raised;
}

// Whether pixels of the format a header announces may be transparent. Unknown and indexed
// formats may be (a palette can hold a transparent colour), until the pixels tell.
bool FormatHasAlpha(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Invalid:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
        return true;
    default:
        return QImage(1, 1, format).hasAlphaChannel();
    }
}

// Why a file that exists cannot be opened at all, or None when it can.
ImageReadFailure AccessFailure(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return ImageReadFailure::Missing;
    if (info.isDir())
        return ImageReadFailure::NoImageInFolder;
    // A FIFO or a device holds no picture, and opening one could wait or read for ever.
    if (!info.isFile())
        return ImageReadFailure::NotAFile;
    if (!info.isReadable())
        return ImageReadFailure::NotPermitted;
    return ImageReadFailure::None;
}

Format FormatOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Format::Qt;
    const QByteArray start = file.read(kSniffBytes);
    if (ImageFileReaderHeif::Recognises(start))
        return Format::Heif;
    if (ImageFileReaderJxl::Recognises(start))
        return Format::Jxl;
    if (ImageFileReaderJpeg::Recognises(start))
        return Format::Jpeg;
    return Format::Qt;
}

ImageFileHeader Refused(ImageReadFailure failure)
{
    ImageFileHeader header;
    header.failure = failure;
    return header;
}

ImageFileHeader QtHeader(const QString& path, const ImageReadOptions& options)
{
    RaiseAllocationLimit();
    QImageReader reader(path);
    if (!reader.canRead()) {
        // A file named as an image whose content no reader knows is a damaged image; any other
        // file is of a format the program does not read.
        const bool named_as_image = IsImageFileName(path);
        const bool empty = QFileInfo(path).size() == 0;
        return Refused(named_as_image || empty ? ImageReadFailure::Damaged : ImageReadFailure::Unsupported);
    }
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return Refused(ImageReadFailure::Damaged);
    const bool upright = options.orientation == ExifOrientation::Apply;
    const bool swaps = upright && reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    ImageFileHeader header;
    header.failure = ImageReadFailure::None;
    header.natural_size = swaps ? stored.transposed() : stored;
    header.has_alpha = FormatHasAlpha(reader.imageFormat());
    return header;
}

QImage QtPixels(const QString& path, QSize size, const ImageReadOptions& options, QSize natural_size)
{
    RaiseAllocationLimit();
    QImageReader reader(path);
    const bool upright = options.orientation == ExifOrientation::Apply;
    reader.setAutoTransform(upright);
    const QSize stored = reader.size();
    // Known only until the image has been read.
    const bool jpeg = reader.format() == "jpeg";
    const bool swaps = upright && reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize natural = swaps ? stored.transposed() : stored;
    if (natural_size.isValid() && natural != natural_size)
        return {};
    // The reader scales in the file's own frame, before it turns the image.
    if (size.isValid() && !size.isEmpty() && size != natural)
        reader.setScaledSize(swaps ? size.transposed() : size);
    QImage image;
    if (!reader.read(&image))
        return {};
    image = ImageDecoder::PrepareForDrawing(std::move(image));
    if (!image.colorSpace().isValid() && jpeg)
        ImageFileReaderColour::ToSrgb(image, ImageFileReaderColour::JpegIccProfile(path));
    else
        ImageFileReaderColour::ToSrgb(image, image.colorSpace());
    return image;
}

}

ImageFileHeader ImageFileReader::ReadHeader(const QString& path, const ImageReadOptions& options)
{
    const ImageReadFailure access = AccessFailure(path);
    if (access != ImageReadFailure::None)
        return Refused(access);
    ImageFileHeader header;
    switch (FormatOf(path)) {
    case Format::Heif:
        header = ImageFileReaderHeif::ReadHeader(path);
        break;
    case Format::Jxl:
        header = ImageFileReaderJxl::ReadHeader(path);
        break;
    case Format::Jpeg:
    case Format::Qt:
        header = QtHeader(path, options);
        break;
    }
    // Some formats cannot check their size cheaply; such a file still needs to fit the limit.
    if (header.IsReadable() && !FitsAllocationLimit(header.natural_size))
        return Refused(ImageReadFailure::TooLarge);
    return header;
}

QImage ImageFileReader::ReadPixels(const QString& path, QSize size, const ImageReadOptions& options, QSize natural_size)
{
    // A file that became a pipe or a device since its header was read is not opened.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    switch (FormatOf(path)) {
    case Format::Heif:
        return ImageFileReaderHeif::ReadPixels(path, size, natural_size);
    case Format::Jxl:
        return ImageFileReaderJxl::ReadPixels(path, size, natural_size);
    case Format::Jpeg:
    case Format::Qt:
        break;
    }
    return QtPixels(path, size, options, natural_size);
}

ImageReadFailure ImageFileReader::Check(const QString& path)
{
    if (QFileInfo(path).isDir()) {
        const QDir folder(path);
        const QStringList names = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString& name : names) {
            if (IsImageFileName(name) && Check(folder.filePath(name)) == ImageReadFailure::None)
                return ImageReadFailure::None;
        }
        return ImageReadFailure::NoImageInFolder;
    }
    const ImageFileHeader header = ReadHeader(path);
    if (!header.IsReadable())
        return header.failure;
    // Qt's JPEG reader fills a broken body with grey and reports success; libjpeg itself tells.
    if (FormatOf(path) == Format::Jpeg)
        return ImageFileReaderJpeg::DecodesWhole(path) ? ImageReadFailure::None : ImageReadFailure::Damaged;
    const QSize small = header.natural_size.boundedTo(kCheckSize);
    return ReadPixels(path, small).isNull() ? ImageReadFailure::Damaged : ImageReadFailure::None;
}

ImageReadFailure ImageFileReader::CheckRemembered(const QString& path)
{
    const std::optional<FileIdentity> identity = FileIdentity::Of(path);
    // Folders and missing files cost no decode.
    if (!identity)
        return Check(path);
    static std::mutex mutex;
    static QHash<QString, std::pair<FileIdentity, ImageReadFailure>> verdicts;
    {
        std::lock_guard lock(mutex);
        const auto found = verdicts.constFind(path);
        if (found != verdicts.cend() && found->first == *identity)
            return found->second;
    }
    const ImageReadFailure failure = Check(path);
    // A file that changed while it was checked is checked again next time.
    if (FileIdentity::Of(path) != identity)
        return failure;
    std::lock_guard lock(mutex);
    if (verdicts.size() >= kRememberedVerdicts)
        verdicts.clear();
    verdicts.insert(path, { *identity, failure });
    return failure;
}

bool ImageFileReader::FitsAllocationLimit(QSize size)
{
    return qint64(size.width()) * size.height() * 4 <= qint64(ImageDecoder::kAllocationLimitMb) * 1024 * 1024;
}

QString ImageFileReader::ReasonText(ImageReadFailure failure)
{
    switch (failure) {
    case ImageReadFailure::None:
        return {};
    case ImageReadFailure::Missing:
        return QStringLiteral("ファイルが見つかりません");
    case ImageReadFailure::NotPermitted:
        return QStringLiteral("ファイルを読む権限がありません");
    case ImageReadFailure::Unsupported:
        return QStringLiteral("対応していない形式です");
    case ImageReadFailure::Damaged:
        return QStringLiteral("ファイルが壊れています");
    case ImageReadFailure::TooLarge:
        return QStringLiteral("画像が大きすぎます");
    case ImageReadFailure::NoImageInFolder:
        return QStringLiteral("フォルダに読める画像がありません");
    case ImageReadFailure::NotAFile:
        return QStringLiteral("通常のファイルではありません");
    }
    return {};
}

QString ImageFileReader::Probe(const QString& path)
{
    return ReasonText(Check(path));
}

QString ImageFileReader::FailureMessage(const QString& shown_name, ImageReadFailure failure)
{
    return QStringLiteral("%1 を開けませんでした: %2").arg(shown_name, ReasonText(failure));
}
