#include "document/OutputGuard.h"

#include "document/NoteDocument.h"
#include "document/NoteFileReader.h"
#include "document/NoteSchema.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "text/SectionDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

OutputGuard::Verdict OutputGuard::Check(const QString& output, const QString& note_path, const QStringList& pages,
    const QString& page_folder)
{
    if (!note_path.isEmpty() && IsSameFile(output, note_path))
        return { Clash::Note, note_path };
    for (const QString& image : ImageFiles(pages, page_folder)) {
        if (IsSameFile(output, image))
            return { Clash::Image, image };
    }
    return {};
}

OutputGuard::Verdict OutputGuard::CheckShownNote(const QString& output, const NoteDocument& note, const Canvas& page_canvas)
{
    return Check(output, note.NotePath(), note.Pages() + QStringList { NoteDocument::PageTextOf(page_canvas) }, note.PageFolder());
}

OutputGuard::Verdict OutputGuard::CheckNoteFile(const QString& output, const QString& note_path)
{
    const QString absolute = QFileInfo(note_path).absoluteFilePath();
    const NoteFileReader::Result note = NoteFileReader::Read(absolute);
    if (!note.IsRead())
        return Check(output, absolute, {}, {});
    return Check(output, absolute, note.pages, NoteFileReader::PageFolderOf(absolute));
}

QString OutputGuard::CommandLineText(const Verdict& verdict, const QString& output)
{
    if (verdict.clash == Clash::Note)
        return QStringLiteral("will not write %1: it is the note itself").arg(output);
    return QStringLiteral("will not write %1: it is %2, an image of the note").arg(output, verdict.path);
}

QString OutputGuard::WindowText(const Verdict& verdict, const QString& output)
{
    if (verdict.clash == Clash::Note)
        return QStringLiteral("%1\nはこのノートのファイルです。ノートを上書きしないよう、書き込みを中止しました。").arg(output);
    return QStringLiteral("%1\nはこのノートが使っている画像です。画像を上書きしないよう、書き込みを中止しました。").arg(output);
}

QStringList OutputGuard::ImageFiles(const QStringList& pages, const QString& page_folder)
{
    QStringList images;
    for (const QString& page : pages) {
        SectionDocument document;
        if (!ParseSectionText(QStringView(page), document))
            continue;
        for (int section = 0; section < document.Count(); ++section) {
            const KeyValueStore& store = document.Store(section);
            if (document.Name(section) == NoteSchema::kImageSection && store.Contains(NoteSchema::kFileNameKey.toString()))
                images << Resolve(NoteSchema::ImageFileOf(store), page_folder);
        }
    }
    return images;
}

QString OutputGuard::Resolve(const QString& written, const QString& folder)
{
    if (written.isEmpty())
        return written;
    return QDir::cleanPath(ResolveWrittenPath(written, QDir(folder).absolutePath()));
}

bool OutputGuard::IsSameFile(const QString& a, const QString& b)
{
    return NamesSameFile(a, b);
}
