#include "app/Settings.h"

#include <QFileInfo>
#include <QSettings>

namespace {

constexpr int kLargestPageSide = 32767;
const QString kPageSizeKey = QStringLiteral("Page/Size");
const QString kWindowGeometryKey = QStringLiteral("Window/Geometry");

QSettings Store()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tessary"), QStringLiteral("Tessary"));
}

}

namespace Settings {

std::optional<QSize> PageSize()
{
    const QSize size = Store().value(kPageSizeKey).toSize();
    if (size.width() < 1 || size.height() < 1 || size.width() > kLargestPageSide || size.height() > kLargestPageSide)
        return std::nullopt;
    return size;
}

void SetPageSize(QSize size)
{
    Store().setValue(kPageSizeKey, size);
}

std::optional<QByteArray> WindowGeometry()
{
    const QByteArray geometry = Store().value(kWindowGeometryKey).toByteArray();
    if (geometry.isEmpty())
        return std::nullopt;
    return geometry;
}

void SetWindowGeometry(const QByteArray& geometry)
{
    Store().setValue(kWindowGeometryKey, geometry);
}

QString Folder()
{
    return QFileInfo(Store().fileName()).absolutePath() + u'/';
}

}
