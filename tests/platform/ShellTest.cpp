#include "platform/Shell.h"

#include <gtest/gtest.h>

namespace {

TEST(ShellTest, FoldersBecomeFileUrlsAndPagesStayAsGiven)
{
    EXPECT_EQ(FolderUrl(QStringLiteral("/tmp\\写真 1\\")).toLocalFile(), QStringLiteral(u"/tmp/写真 1/"));
    EXPECT_TRUE(FolderUrl(QString()).isEmpty());
    EXPECT_EQ(WebPageUrl(QStringLiteral("https://example.org/tessary/")), QUrl(QStringLiteral("https://example.org/tessary/")));
    EXPECT_TRUE(WebPageUrl(QStringLiteral("not a url")).isEmpty());
    EXPECT_FALSE(OpenFolder(QString()));
    EXPECT_FALSE(OpenWebPage(QString()));
}

}
