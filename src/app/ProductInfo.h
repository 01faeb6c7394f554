#pragma once

#include <QString>
#include <QUrl>

// What the build knows about the product: its version and the pages the help menu opens.
namespace ProductInfo {

// The version of the build, "major.minor.patch".
QString Version();
// The maker's web site.
QString MakerSiteAddress();
// The user guide as a file address: the installed copy when there is one, else the copy in
// the source tree the program was built from.
QUrl UserGuideUrl();

}
