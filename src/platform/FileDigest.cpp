#include "platform/FileDigest.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr auto kAlgorithm = QCryptographicHash::Sha256;

}

QByteArray FileDigest::OfBytes(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, kAlgorithm);
}

std::optional<QByteArray> FileDigest::OfFile(const QString& path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read piecewise: the file may be larger than memory allows at once.
    QCryptographicHash hash(kAlgorithm);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return hash.result();
}
