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
// The installed guide's path relative to the program's folder.
#ifndef TESSARY_GUIDE_FROM_PROGRAM
#define TESSARY_GUIDE_FROM_PROGRAM ""
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
    return UserGuideUrlFrom(ProgramFolder());
}

QUrl UserGuideUrlFrom(const QString& program_folder)
{
    const QString installed = QStringLiteral(TESSARY_GUIDE_FROM_PROGRAM);
    for (const QString& relative : { installed, QStringLiteral("doc/guide.md") }) {
        const QFileInfo guide(program_folder + relative);
        if (!relative.isEmpty() && guide.isFile())
            return QUrl::fromLocalFile(guide.canonicalFilePath());
    }
    return {};
}

}
