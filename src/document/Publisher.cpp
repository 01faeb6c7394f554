#include "document/Publisher.h"

#include "document/NoteFileText.h"
#include "document/OutputGuard.h"
#include "noteitems/ImageItem.h"
#include "platform/FileCopy.h"
#include "platform/Paths.h"
#include "platform/SafeFileWriter.h"
#include "platform/SafeFileWriterBatch.h"
#include "platform/TextFile.h"
#include "text/ValueForms.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kImageSection = QStringLiteral("TSImage");
const QString kFileNameKey = QStringLiteral("FileName");
const QString kFolderPathKey = QStringLiteral("FolderPath");

bool IsInside(const QString& path, const QString& folder)
{
    if (path.isEmpty())
        return false;
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return path == folder || path.startsWith(prefix);
}

// The real places of a path: the path itself with its folder's links resolved, and what the
// path finally names when it is a link.
QStringList RealPlaces(const QString& path)
{
    const QFileInfo info(path);
    QStringList places;
    const QString folder = info.absoluteDir().canonicalPath();
    if (!folder.isEmpty())
        places << QDir(folder).filePath(info.fileName());
    places << info.canonicalFilePath();
    return places;
}

}

Publisher::Publisher(const QStringList& pages, const QString& source_folder, const PublishSettings& settings,
                     const QString& open_note_path)
    : m_pages(pages)
    , m_source_folder(source_folder)
    , m_settings(settings)
    , m_open_note_path(open_note_path)
{
    // Through a link the note goes to the file the link names, and its images beside that.
    m_note_path = FollowLinks(Resolved(settings.note_path));
    m_image_folder = FolderOf(m_note_path) + settings.image_folder_name + u'/';
    CollectImages();
}

QString Publisher::Resolved(const QString& written) const
{
    return OutputGuard::Resolve(written, m_source_folder);
}

bool Publisher::IsImageFolderName(const QString& name)
{
    // One folder beside the note, never a path elsewhere.
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(u'\\');
}

void Publisher::CollectImages()
{
    m_documents.resize(m_pages.size());
    for (int page = 0; page < m_pages.size(); ++page) {
        SectionDocument& document = m_documents[page];
        if (!ParseSectionText(QStringView(m_pages[page]), document))
            continue;
        for (int section = 0; section < document.Count(); ++section) {
            const KeyValueStore& store = document.Store(section);
            if (document.Name(section) != kImageSection || !store.Contains(kFileNameKey))
                continue;
            // The path is read as loading reads it: more than five fields are a path that
            // holds commas, followed by the four trims.
            const QString value = store.GetText(kFileNameKey);
            const QString path = ImageItem::ParseFileName(value).path;
            const QStringList fields = SplitPlainList(value);
            const int path_fields = fields.isEmpty() ? 0 : int(path.count(u',')) + 1;
            m_images.push_back({ page, section, Resolved(path), fields.mid(path_fields) });
        }
    }
}

QStringList Publisher::Sources() const
{
    QStringList sources;
    for (const ImageSection& image : m_images)
        sources << image.source;
    return sources;
}

bool Publisher::ImageFolderExists() const
{
    return QFileInfo(m_image_folder).isDir();
}

QStringList Publisher::EndangeredFiles() const
{
    QStringList endangered;
    if (!ImageFolderExists())
        return endangered;
    const QString folder = QFileInfo(m_image_folder).canonicalFilePath();
    QStringList guarded;
    for (const ImageSection& image : m_images)
        guarded << image.source;
    if (!m_open_note_path.isEmpty())
        guarded << m_open_note_path;
    for (const QString& path : guarded) {
        if (endangered.contains(path))
            continue;
        for (const QString& place : RealPlaces(path)) {
            if (IsInside(place, folder)) {
                endangered << path;
                break;
            }
        }
    }
    return endangered;
}

bool Publisher::PrepareImageFolder()
{
    m_left_in_folder.clear();
    if (!IsImageFolderName(m_settings.image_folder_name))
        return false;
    if (!ImageFolderExists())
        return CreateFolderPath(m_image_folder);
    if (!DeleteFolderContents(m_image_folder, Trash::No, Recursive::Yes, &m_left_in_folder))
        m_left_in_folder << m_image_folder;
    return m_left_in_folder.isEmpty();
}

// The copies are committed together, so the disk is waited for once rather than per copy; the
// note that names them is written after they are all in place.
bool Publisher::Publish(const ProgressHandler& progress)
{
    m_problems.clear();
    m_taken_names.clear();
    for (const QString& entry : QDir(m_image_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        m_taken_names.insert(entry.toLower());
    QStringList published = m_pages;
    SafeFileWriterBatch batch;
    std::vector<Problem> copies;
    auto image = m_images.cbegin();
    for (int page = 0; page < m_pages.size(); ++page) {
        const SectionDocument& document = m_documents[page];
        if (document.Count() == 0)
            continue;
        SectionDocument rewritten;
        for (int section = 0; section < document.Count(); ++section) {
            Section& target = rewritten.Append(document.Name(section));
            target.store = document.Store(section);
            if (image == m_images.cend() || image->page != page || image->section != section)
                continue;
            target.store.Remove(kFolderPathKey);
            const QString copy = CopyPath(image->source, int(copies.size()) + 1);
            batch.Add(WriteFileCopy(image->source, copy));
            copies.push_back({ image->source, copy, QString() });
            QStringList fields = image->other_fields;
            fields.prepend(m_settings.image_folder_name + u'\\' + NameOf(copy));
            target.store.Set(kFileNameKey, fields.join(u','));
            ++image;
            if (progress)
                progress(int(copies.size()), CopyCount());
        }
        published[page] = WriteSectionText(rewritten);
    }
    batch.Commit();
    for (int number = 0; number < int(copies.size()); ++number) {
        copies[number].reason = batch.ErrorText(number);
        if (!copies[number].reason.isEmpty())
            m_problems.push_back(std::move(copies[number]));
    }
    if (QString reason; !WriteTextFileSafely(m_note_path, JoinNotePages(published, m_page_size), &reason))
        m_problems.push_back({ QString(), m_note_path, reason });
    return m_problems.empty();
}

QString Publisher::CopyPath(const QString& source, int serial)
{
    const PathParts parts = SplitPath(source);
    const QString extension = parts.extension.toLower();
    QString name;
    if (m_settings.naming == CopyNaming::Serial) {
        name = QString::asprintf("%03d", serial) + extension;
    } else {
        name = (parts.name + parts.extension).toLower();
        for (int n = 2; m_taken_names.contains(name.toLower()); ++n)
            name = parts.name + QString::asprintf("_%d", n) + extension;
    }
    m_taken_names.insert(name.toLower());
    return m_image_folder + name;
}
