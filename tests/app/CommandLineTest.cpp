#include "MainWindowFixture.h"

#include "app/ApplicationOptions.h"
#include "app/ImageWarnings.h"
#include "app/NewNoteCommand.h"
#include "app/PageExport.h"
#include "app/PdfExport.h"
#include "app/Settings.h"
#include "document/NoteDocument.h"
#include "document/NoteFileText.h"
#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The program's settings in a folder of their own while it lives.
class IsolatedSettings {
public:
    IsolatedSettings() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_folder.path()); }
    ~IsolatedSettings()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    IsolatedSettings(const IsolatedSettings&) = delete;
    IsolatedSettings& operator=(const IsolatedSettings&) = delete;

private:
    QTemporaryDir m_folder;
};

struct DefaultSizes {
    QSize export_size;
    QSizeF pdf_size;
    QSize new_note_size;
};

DefaultSizes SizesWithoutSizeOption()
{
    QString error;
    const auto page = PageExport::ParseArguments({ "--export", "o.png", "n.tsy" }, error);
    const auto pdf = PdfExport::ParseArguments({ "--export-pdf", "o.pdf", "n.tsy" }, error);
    const auto note = NewNoteCommand::ParseArguments({ "--new-note", "o.tsy", "a.png" }, error);
    EXPECT_TRUE(page && pdf && note) << error.toStdString();
    if (!page || !pdf || !note)
        return {};
    return { page->size, pdf->setup.viewer_size, note->page_size };
}

}

TEST(CommandLineTest, CommandsTakeThePageSizeTheWindowKept)
{
    IsolatedSettings settings;
    DefaultSizes sizes = SizesWithoutSizeOption();
    EXPECT_EQ(sizes.export_size, QSize(800, 600));
    EXPECT_EQ(sizes.pdf_size, QSizeF(800, 600));
    EXPECT_EQ(sizes.new_note_size, QSize(800, 600));

    Settings::SetPageSize(QSize(1280, 720));
    sizes = SizesWithoutSizeOption();
    EXPECT_EQ(sizes.export_size, QSize(1280, 720));
    EXPECT_EQ(sizes.pdf_size, QSizeF(1280, 720));
    EXPECT_EQ(sizes.new_note_size, QSize(1280, 720));

    // A size given wins over the kept one.
    QString error;
    EXPECT_EQ(PageExport::ParseArguments({ "--export", "o.png", "--size", "64x48", "n.tsy" }, error)->size, QSize(64, 48));
    EXPECT_EQ(NewNoteCommand::ParseArguments({ "--new-note", "o.tsy", "a.png", "--size", "64x48" }, error)->page_size,
        QSize(64, 48));

    // A kept size a command cannot make (a hand-edited file) gives way to the default there.
    Settings::SetPageSize(QSize(6000, 400));
    sizes = SizesWithoutSizeOption();
    EXPECT_EQ(sizes.export_size, QSize(6000, 400));
    EXPECT_EQ(sizes.pdf_size, QSizeF(800, 600));
    EXPECT_EQ(sizes.new_note_size, QSize(800, 600));
}

TEST(CommandLineTest, NewNoteArgumentsAreCheckedBeforeAnythingIsWritten)
{
    QTemporaryDir folder;
    const QString image = folder.filePath(QStringLiteral("picture.tsy"));
    QImage(8, 8, QImage::Format_RGB32).save(image, "PNG");

    QString error;
    const auto options = NewNoteCommand::ParseArguments(
        { "--new-note", "out.TSY", "a.png", "--size", "300x200", "b.jpg" }, error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(options->output_path, "out.TSY");
    EXPECT_EQ(options->page_size, QSize(300, 200));
    EXPECT_EQ(options->image_paths, QStringList({ "a.png", "b.jpg" }));

    const std::vector<QStringList> refused {
        { "--new-note" },
        { "--new-note", "out.tsy" },
        { "--new-note", "--size", "300x200", "out.tsy", "a.png" },
        { "--new-note", "out.png", "a.png" },
        { "--new-note", "out.tsy", "a.png", "--size" },
        { "--new-note", "out.tsy", "a.png", "--size", "300" },
        { "--new-note", "out.tsy", "a.png", "--size", "5000x10" },
        { "--new-note", "out.tsy", "a.png", "--page", "2" },
        // The note would be written over its own image.
        { "--new-note", image, image },
    };
    for (const QStringList& arguments : refused) {
        QString message;
        EXPECT_FALSE(NewNoteCommand::ParseArguments(arguments, message)) << arguments.join(' ').toStdString();
        EXPECT_FALSE(message.isEmpty());
        EXPECT_FALSE(message.contains('\n'));
    }
}

TEST(CommandLineTest, EveryCommandRefusesAnOptionItDoesNotKnow)
{
    QTemporaryDir folder;
    const QString output = folder.filePath(QStringLiteral("out.tsy"));
    for (const ApplicationOptions::Command& command : ApplicationOptions::Commands()) {
        ASSERT_EQ(ApplicationOptions::Find(QLatin1String(command.option)), &command);
        if (command.needs == ApplicationOptions::Needs::Nothing)
            continue;
        EXPECT_EQ(command.run({ command.option, output, "--bogus", "1", "note.tsy" }), ApplicationOptions::kBadArguments)
            << command.option;
        EXPECT_FALSE(QFile::exists(output)) << command.option;
        EXPECT_TRUE(ApplicationOptions::Usage().contains(ApplicationOptions::UsageOf(command).mid(7).trimmed()))
            << command.option;
    }
    EXPECT_EQ(ApplicationOptions::Find(QStringLiteral("--bogus")), nullptr);
    EXPECT_EQ(ApplicationOptions::Find(QStringLiteral("--")), nullptr);
}

TEST(CommandLineTest, UnreadImagesOfAPageAreNamedOnceWithTheirFullPath)
{
    QTemporaryDir folder;
    QImage(10, 10, QImage::Format_RGB32).save(folder.filePath(QStringLiteral("good.png")));
    ItemFactories::RegisterAll();
    Canvas page(CanvasKind::Page);
    page.SetLayoutSize(400, 300);
    const QString text = QStringLiteral(
        "[TSImage]\r\nFileName=good.png,0,0,0,0\r\nPos=L0,T0,W10,H10\r\n\r\n"
        "[TSImage]\r\nFileName=sub\\gone.png,0,0,0,0\r\nPos=L20,T0,W10,H10\r\n\r\n"
        "[Unknown]\r\nFileName=other.png\r\n\r\n"
        "[TSImage]\r\nFileName=sub\\gone.png,1,1,1,1\r\nPos=L40,T0,W10,H10\r\n\r\n"
        "[TSImage]\r\nFileName=/no/such/folder/abs.png,0,0,0,0\r\nPos=L60,T0,W10,H10\r\n");
    ASSERT_TRUE(NoteDocument::LoadPageText(page, text, folder.path()));

    ImageWarnings warnings;
    warnings.AddUnloaded(page, folder.path() + u'/');
    EXPECT_EQ(warnings.Paths(), QStringList({ folder.filePath(QStringLiteral("sub/gone.png")), QStringLiteral("/no/such/folder/abs.png") }));
    EXPECT_EQ(ImageWarnings::Line(QStringLiteral("/no/such/folder/abs.png")),
        QStringLiteral("tessary: warning: cannot read the image /no/such/folder/abs.png: the file does not exist"));
    EXPECT_TRUE(ImageWarnings::Loads(folder.filePath(QStringLiteral("good.png"))));
    EXPECT_FALSE(ImageWarnings::Loads(folder.path()));
}

using NewNoteWindowTest = MainWindowTest;

// A note made on the command line is the note the editor saves when started with the same
// images: the same pages, the same sections, byte for byte.
TEST_F(NewNoteWindowTest, WritesTheNoteTheEditorSavesForTheSameImages)
{
    QFile damaged(m_folder.filePath(QStringLiteral("damaged.png")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x89PNG\r\n\x1a\n broken");
    damaged.close();
    const QStringList images {
        MakeImage(QStringLiteral("wide.png"), QSize(640, 480)),
        m_folder.filePath(QStringLiteral("missing.png")),
        MakeImage(QStringLiteral("tall.png"), QSize(300, 901)),
        damaged.fileName(),
        MakeImage(QStringLiteral("square.jpg"), QSize(500, 500)),
    };
    // A page whose fitting gives fractional places.
    const QSize page_size(1000, 703);
    m_window->PageCanvas().SetLayoutSize(float(page_size.width()), float(page_size.height()));
    m_window->Import().ProcessCommandLine(images);
    const QString window_note = m_folder.filePath(QStringLiteral("window.tsy"));
    ASSERT_TRUE(m_window->GetPages().SaveNote(window_note));
    QString saved;
    ASSERT_TRUE(ReadTextFile(window_note, saved));

    QStringList unread;
    const QStringList pages = NewNoteCommand::PlacePages(images, page_size, unread);
    EXPECT_EQ(pages.size(), 3);
    // The window's note keeps its resolution too; the command knows none.
    const int dpi = int(m_window->PageCanvas().Dpi());
    EXPECT_EQ(JoinNotePages(pages, NotePageSize { page_size, dpi }), saved);
    EXPECT_EQ(unread, QStringList({ images[1], images[3] }));

    // The whole command writes the same pages at the same page size.
    const QString command_note = m_folder.filePath(QStringLiteral("command.tsy"));
    QStringList arguments { QStringLiteral("--new-note"), command_note, QStringLiteral("--size"), QStringLiteral("1000x703") };
    EXPECT_EQ(NewNoteCommand::Run(arguments + images), ApplicationOptions::kFailed);
    QString written;
    ASSERT_TRUE(ReadTextFile(command_note, written));
    EXPECT_EQ(written, JoinNotePages(pages, NotePageSize { page_size }));
    std::optional<NotePageSize> written_size;
    EXPECT_EQ(CutNotePages(written, &written_size), CutNotePages(saved));
    EXPECT_EQ(written_size, (NotePageSize { page_size }));
    QStringList readable { images[0], images[2], images[4] };
    EXPECT_EQ(NewNoteCommand::Run(arguments + readable), ApplicationOptions::kSucceeded);
}
