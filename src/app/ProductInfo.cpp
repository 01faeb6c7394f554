#include "app/ProductInfo.h"

#include "platform/Paths.h"

#include <QFileInfo>

// The build sets these for this file alone.
#ifndef TESSARY_VERSION
#define TESSARY_VERSION "0.0.0"
#endif
#ifndef TESSARY_MAKER_SITE
#define TESSARY_MAKER_SITE ""
#endif
#ifndef TESSARY_GUIDE_INSTALLED
#define TESSARY_GUIDE_INSTALLED ""
#endif
#ifndef TESSARY_GUIDE_SOURCE
#define TESSARY_GUIDE_SOURCE ""
#endif

namespace ProductInfo {

QString Version()
{
    return QStringLiteral(TESSARY_VERSION);
}

QString MakerSiteAddress()
{
    return QStringLiteral(TESSARY_MAKER_SITE);
}

QUrl UserGuideUrl()
{
    const QString installed = QStringLiteral(TESSARY_GUIDE_INSTALLED);
    const QString path = !installed.isEmpty() && QFileInfo(installed).isFile() ? installed : QStringLiteral(TESSARY_GUIDE_SOURCE);
    return path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
}

}
