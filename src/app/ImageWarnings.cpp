#include "app/ImageWarnings.h"

#include "items/Canvas.h"
#include "items/ImageDecoder.h"
#include "items/ImageFileReader.h"
#include "noteitems/ImageItem.h"
#include "noteitems/KeptSection.h"
#include "platform/Paths.h"
#include "text/SectionDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

// The image path of a section that stands unread on a page; empty for any other section.
QString UnloadedImagePath(const KeptSection& kept)
{
    SectionDocument section;
    if (!ParseSectionText(QStringView(kept.Source()), section) || section.Name(0) != ImageItem::kSectionName)
        return {};
    return ImageItem::FilePathOf(section.Store(0));
}

QString Resolved(const QString& written, const QString& folder)
{
    return QDir::cleanPath(ResolveWrittenPath(written, QDir(folder).absolutePath()));
}

}

bool ImageWarnings::Loads(const QString& path)
{
    return ImageDecoder::Open(path) != nullptr;
}

QString ImageWarnings::Reason(const QString& path)
{
    switch (ImageFileReader::Check(path)) {
    case ImageReadFailure::Missing:
        return QStringLiteral("the file does not exist");
    case ImageReadFailure::NotPermitted:
        return QStringLiteral("the file may not be read");
    case ImageReadFailure::Unsupported:
        return QStringLiteral("not an image format the program reads");
    case ImageReadFailure::Damaged:
        return QStringLiteral("the file is damaged");
    case ImageReadFailure::TooLarge:
        return QStringLiteral("the image is too large");
    case ImageReadFailure::NoImageInFolder:
        return QStringLiteral("the folder holds no image the program reads");
    case ImageReadFailure::None:
        break;
    }
    return QStringLiteral("not an image the program reads, or a damaged one");
}

QString ImageWarnings::Line(const QString& path)
{
    return QStringLiteral("tessary: warning: cannot read the image %1: %2").arg(path, Reason(path));
}

void ImageWarnings::AddUnloaded(const Canvas& canvas, const QString& folder)
{
    for (const auto& item : canvas.Items()) {
        const auto* kept = dynamic_cast<const KeptSection*>(item.get());
        const QString path = kept ? UnloadedImagePath(*kept) : QString();
        if (!path.isEmpty())
            Add(Resolved(path, folder));
    }
}

void ImageWarnings::Add(const QString& path)
{
    if (!m_paths.contains(path))
        m_paths << path;
}

void ImageWarnings::Print() const
{
    QTextStream err(stderr);
    for (const QString& path : m_paths)
        err << Line(path) << '\n';
}
