#include "app/ImageWarnings.h"

#include "items/Canvas.h"
#include "items/ImageDecoder.h"
#include "items/ImageFileReader.h"
#include "document/KeptSection.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

QString Resolved(const QString& written, const QString& folder)
{
    return QDir::cleanPath(ResolveWrittenPath(written, QDir(folder).absolutePath()));
}

}

bool ImageWarnings::Loads(const QString& path)
{
    // The header alone may read while the pixels do not come.
    return ImageDecoder::Open(path) != nullptr && ImageFileReader::CheckRemembered(path) == ImageReadFailure::None;
}

QString ImageWarnings::Reason(const QString& path)
{
    switch (ImageFileReader::CheckRemembered(path)) {
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
    case ImageReadFailure::NotAFile:
        return QStringLiteral("not a regular file (a pipe, a device or the like)");
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
        const QString path = kept ? kept->UnreadImagePath() : QString();
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

QString UnreadImageNotice::Take(const Canvas& page, const QString& folder)
{
    ImageWarnings found;
    found.AddUnloaded(page, folder);
    QStringList fresh;
    for (const QString& path : found.Paths()) {
        if (!m_named.contains(path)) {
            m_named.insert(path);
            fresh << path;
        }
    }
    return fresh.isEmpty() ? QString() : Message(fresh);
}

QString UnreadImageNotice::Message(const QStringList& paths)
{
    QStringList lines { QStringLiteral("画像を読み込めませんでした。") };
    for (const QString& path : paths.mid(0, kNamedAtMost))
        lines << ImageFileReader::FailureMessage(NameOf(path), ImageFileReader::CheckRemembered(path));
    if (paths.size() > kNamedAtMost)
        lines << QStringLiteral("ほか %1 件").arg(paths.size() - kNamedAtMost);
    return lines.join(u'\n');
}
