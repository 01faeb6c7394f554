#include "MainWindowFixture.h"

#include "app/ImageWarnings.h"
#include "document/NoteDocument.h"
#include "noteitems/ImageItem.h"
#include "document/KeptSection.h"

#include <QFile>

#include <sys/stat.h>

// A note whose pictures are missing or broken opens with one message naming them, shows a
// crossed frame where each stood, and is saved back with every section as it was.
namespace {

using Kind = ScriptedUserPrompt::Kind;

constexpr QRgb kField = 0xffe8e8e8;

QString ImageSection(const QString& file, const QString& pos)
{
    return QStringLiteral("[TSImage]\r\nFileName=%1,0,0,0,0\r\nFolderPath=\r\nRotate=0\r\nPos=%2\r\n\r\n").arg(file, pos);
}

// Within a step or two of decoding and scaling.
bool Near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 && qAbs(a.blue() - b.blue()) <= 2;
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

class UnreadImagesWindowTest : public MainWindowTest {
protected:
    UnreadImagesWindowTest()
    {
        const QString good = MakeImage(QStringLiteral("good.png"), QSize(200, 100));
        const QByteArray bytes = ReadBytes(good);
        QFile cut(m_folder.filePath(QStringLiteral("cut.png")));
        EXPECT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(bytes.left(bytes.size() / 2));
        cut.close();
        // The readable picture's section in the form the program writes it, so that the whole
        // note comes back byte for byte.
        Canvas scratch(CanvasKind::Page);
        EXPECT_TRUE(NoteDocument::LoadPageText(scratch, ImageSection(good, QStringLiteral("L300,T300,W100,H50")), m_folder.path()));
        const QString good_section = NoteDocument::PageTextOf(scratch);
        EXPECT_TRUE(good_section.startsWith(QStringLiteral("[TSImage]")));

        QString later;
        for (int index = 1; index <= 7; ++index)
            later += ImageSection(QStringLiteral("lost%1.jpg").arg(index), QStringLiteral("L%1,T10,W40,H30").arg(index * 50));
        m_note_bytes = (ImageSection(QStringLiteral("gone.jpg"), QStringLiteral("L20.5,T30.25,W160,H120"))
            + ImageSection(QStringLiteral("cut.png"), QStringLiteral("L240.5,T40,W150,H100")) + good_section + QStringLiteral("-\r\n\r\n")
            + ImageSection(QStringLiteral("cut.png"), QStringLiteral("L10,T10,W50,H50")) + QStringLiteral("-\r\n\r\n") + later)
                            .toUtf8();
        m_note = m_folder.filePath(QStringLiteral("album.tsy"));
        QFile note(m_note);
        EXPECT_TRUE(note.open(QIODevice::WriteOnly));
        note.write(m_note_bytes);
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(&m_window->PageWidget(), key, modifiers); }

    // The messages shown since the last look, once the window has had its turn.
    std::vector<ScriptedUserPrompt::Request> Messages()
    {
        QApplication::processEvents();
        std::vector<ScriptedUserPrompt::Request> messages;
        for (const auto& request : m_prompt->Requests())
            if (request.kind == Kind::Message)
                messages.push_back(request);
        m_prompt->ClearRequests();
        return messages;
    }

    QString m_note;
    QByteArray m_note_bytes;
};

}

TEST_F(UnreadImagesWindowTest, OneMessageNamesThemAndThePageShowsWhereTheyStood)
{
    m_prompt->QueueOpenFile(m_note);
    Key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(m_window->GetPages().NotePath(), m_note);
    auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, QStringLiteral("Tessary"));
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("gone.jpg を開けませんでした: ファイルが見つかりません"))) << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("cut.png を開けませんでした: ファイルが壊れています"))) << messages[0].text.toStdString();
    EXPECT_FALSE(messages[0].text.contains(QStringLiteral("good.png")));

    // Both frames show where their sections place them; the readable picture shows itself.
    EXPECT_EQ(PagePixel({ 100.5, 45 }).rgba(), kField);
    EXPECT_EQ(PagePixel({ 315.5, 50 }).rgba(), kField);
    EXPECT_TRUE(Near(PagePixel({ 350, 325 }), QColor(Qt::darkGreen)));

    // The broken picture was named already; the next page has nothing new to say.
    Key(Qt::Key_PageDown);
    EXPECT_TRUE(Messages().empty());
    // Seven lost pictures: five named, and how many more.
    Key(Qt::Key_PageDown);
    messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("lost5.jpg")));
    EXPECT_FALSE(messages[0].text.contains(QStringLiteral("lost6.jpg")));
    EXPECT_TRUE(messages[0].text.endsWith(QStringLiteral("ほか 2 件"))) << messages[0].text.toStdString();
    // Turning back says nothing again.
    Key(Qt::Key_PageUp);
    Key(Qt::Key_PageUp);
    EXPECT_TRUE(Messages().empty());

    // Saved: every section as it was read, the readable picture's included, after the page size
    // the note now records.
    Key(Qt::Key_S, Qt::ControlModifier);
    const QByteArray saved = ReadBytes(m_note);
    EXPECT_TRUE(saved.startsWith("[NotePage]\r\n")) << saved.left(40).toStdString();
    EXPECT_TRUE(saved.endsWith(m_note_bytes)) << saved.toStdString();
}

TEST(UnreadImageNoticeTest, EachImageIsNamedOncePerNote)
{
    QTemporaryDir folder;
    Canvas page(CanvasKind::Page);
    ASSERT_TRUE(NoteDocument::LoadPageText(page, ImageSection(QStringLiteral("a.jpg"), QStringLiteral("L0,T0,W10,H10"))
        + ImageSection(QStringLiteral("sub\\b.jpg"), QStringLiteral("L0,T0,W10,H10")), folder.path()));
    UnreadImageNotice notice;
    const QString first = notice.Take(page, folder.path());
    EXPECT_EQ(first, QStringLiteral("画像を読み込めませんでした。\na.jpg を開けませんでした: ファイルが見つかりません\n"
                                    "b.jpg を開けませんでした: ファイルが見つかりません"));
    EXPECT_EQ(notice.Take(page, folder.path()), QString());
    notice.Reset();
    EXPECT_EQ(notice.Take(page, folder.path()), first);
}

TEST_F(UnreadImagesWindowTest, PipesAndBrokenFilesOnTheCommandLineAreLeftOutWithoutWaiting)
{
    const QString pipe = m_folder.filePath(QStringLiteral("pipe.jpg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString good = MakeImage(QStringLiteral("good.png"));
    const QByteArray bytes = ReadBytes(good);
    const QString cut = m_folder.filePath(QStringLiteral("cut.png"));
    QFile file(cut);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.left(bytes.size() / 2));
    file.close();
    // Neither the pipe nor the broken file takes a page: the good picture is on the first.
    m_window->Import().ProcessCommandLine({ pipe, cut, good });
    EXPECT_EQ(m_window->GetPages().Count(), 1);
    ASSERT_EQ(NoteItemsShown(), 1);
    EXPECT_TRUE(Near(PagePixel({ 400, 300 }), QColor(Qt::darkGreen)));
}
