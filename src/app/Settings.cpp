#include "app/Settings.h"

#include <QSettings>

namespace {

constexpr int kLargestPageSide = 32767;

QSettings Store()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tessary"), QStringLiteral("Tessary"));
}

}

namespace Settings {

std::optional<QSize> PageSize()
{
    const QSize size = Store().value(QStringLiteral("Page/Size")).toSize();
    if (size.width() < 1 || size.height() < 1 || size.width() > kLargestPageSide || size.height() > kLargestPageSide)
        return std::nullopt;
    return size;
}

void SetPageSize(QSize size)
{
    Store().setValue(QStringLiteral("Page/Size"), size);
}

}
