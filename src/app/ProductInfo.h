#pragma once

#include <QString>
#include <QUrl>

// What the build knows about the product: its version and the pages the help menu opens.
namespace ProductInfo {

// The version of the build, "major.minor.patch".
QString Version();
// The maker's web site.
QString MakerSiteAddress();
// The user guide as a file address, found from the program's own folder: installed, or in the
// build tree. Empty when there is none.
QUrl UserGuideUrl();
// The same for a program in the folder given (ending in "/").
QUrl UserGuideUrlFrom(const QString& program_folder);

}
