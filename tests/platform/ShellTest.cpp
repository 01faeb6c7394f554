#include "platform/Shell.h"

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// Takes the desktop's requests instead of launching programs.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

TEST(ShellTest, OpensFoldersAsFileUrlsAndPagesAsGiven)
{
    UrlCatcher catcher;
    for (const char* scheme : { "file", "https" })
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "Open");

    EXPECT_TRUE(OpenFolder(QStringLiteral("/tmp\\写真 1\\")));
    EXPECT_TRUE(OpenWebPage(QStringLiteral("https://example.org/tessary/")));
    EXPECT_FALSE(OpenWebPage(QStringLiteral("not a url")));
    EXPECT_FALSE(OpenFolder(QString()));

    for (const char* scheme : { "file", "https" })
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));

    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(catcher.urls[0].toLocalFile(), QStringLiteral(u"/tmp/写真 1/"));
    EXPECT_EQ(catcher.urls[1], QUrl(QStringLiteral("https://example.org/tessary/")));
}

}

#include "ShellTest.moc"
