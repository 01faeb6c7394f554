#include "document/Publisher.h"

#include "document/NoteFileText.h"
#include "document/OutputGuard.h"
#include "document/NoteSchema.h"
#include "platform/FileCopy.h"
#include "platform/LeftoverFiles.h"
#include "platform/Paths.h"
#include "platform/SafeFileWriter.h"
#include "platform/SafeFileWriterBatch.h"
#include "platform/TextFile.h"
#include "text/ValueForms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>

namespace {

const QString kFileNameKey = NoteSchema::kFileNameKey.toString();
const QString kFolderPathKey = NoteSchema::kFolderPathKey.toString();

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
            if (document.Name(section) != NoteSchema::kImageSection || !store.Contains(kFileNameKey))
                continue;
            // The path is read as loading reads it: more than five fields are a path that
            // holds commas, followed by the four trims.
            const QString value = store.GetText(kFileNameKey);
            const NoteSchema::FileNameValue file_name = NoteSchema::ParseFileName(value);
            m_images.push_back({ page, section, Resolved(file_name.path), SplitPlainList(value).mid(file_name.path_fields) });
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
    m_staging_folder.clear();
    if (!IsImageFolderName(m_settings.image_folder_name))
        return false;
    const QString folder = WithoutTrailingSeparator(m_image_folder);
    const QFileInfo info(folder);
    if (info.isSymLink() && !info.exists())
        return false;
    if (info.exists() && !info.isDir())
        return false;
    // Through a link the copies go where the link leads, and the link stays.
    m_swap_folder = info.isSymLink() ? info.canonicalFilePath() : folder;
    if (!CreateFolderPath(FolderOf(m_swap_folder)))
        return false;
    LeftoverFiles::RemoveStaleStagingFoldersOf(m_swap_folder);
    const QString staging = LeftoverFiles::StagingFolderFor(m_swap_folder);
    // One of this process's own, from a publish that could not clear it away.
    QDir(staging).removeRecursively();
    if (!QDir().mkdir(staging))
        return false;
    m_staging_folder = staging + u'/';
    return true;
}

// The copies go into the staging folder and are committed together, so the disk is waited
// for once rather than per copy. The staging folder then takes the image folder's place, the
// note that names the copies is written, and only then is the former image folder removed: a
// publish killed before its end leaves the former published note and images as they were.
bool Publisher::Publish(const ProgressHandler& progress)
{
    m_problems.clear();
    m_taken_names.clear();
    if (m_staging_folder.isEmpty() && !PrepareImageFolder()) {
        m_problems.push_back({ QString(), m_image_folder, QString::fromLocal8Bit(std::strerror(ENOTDIR)) });
        return false;
    }
    const QStringList published = CopyImages(progress);
    const bool had_folder = QFileInfo::exists(m_swap_folder);
    if (!SwapFolders()) {
        m_problems.push_back({ QString(), m_image_folder, QString::fromLocal8Bit(std::strerror(errno)) });
        QDir(WithoutTrailingSeparator(m_staging_folder)).removeRecursively();
        m_staging_folder.clear();
        return false;
    }
    if (QString reason; !WriteTextFileSafely(m_note_path, JoinNotePages(published, m_page_size), &reason)) {
        m_problems.push_back({ QString(), m_note_path, reason });
        // The former note names the former images: they go back into place, and the new
        // copies go. Should that fail, both stay.
        const bool back = had_folder ? SwapFolders()
                                     : ::rename(QFile::encodeName(m_swap_folder).constData(),
                                           QFile::encodeName(WithoutTrailingSeparator(m_staging_folder)).constData()) == 0;
        if (!back) {
            m_staging_folder.clear();
            return false;
        }
    }
    RemoveFormerFolder();
    return m_problems.empty() && m_left_in_folder.isEmpty();
}

QStringList Publisher::CopyImages(const ProgressHandler& progress)
{
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
            const QString name = CopyName(image->source, int(copies.size()) + 1);
            // The staging folder is new: no killed write has left anything in it.
            batch.Add(WriteFileCopy(image->source, m_staging_folder + name, SafeFileWriter::StaleTemporaries::Leave));
            copies.push_back({ image->source, m_image_folder + name, QString() });
            QStringList fields = image->other_fields;
            fields.prepend(m_settings.image_folder_name + u'\\' + name);
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
    return published;
}

// Exchanges the staging folder and the image folder in one step where the file system can;
// elsewhere the image folder is moved aside first. Called again, it puts them back.
bool Publisher::SwapFolders()
{
    const QByteArray staging = QFile::encodeName(WithoutTrailingSeparator(m_staging_folder));
    const QByteArray target = QFile::encodeName(m_swap_folder);
    if (::renameat2(AT_FDCWD, staging.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) == 0)
        return true;
    if (errno == ENOENT && !QFileInfo::exists(m_swap_folder))
        return ::rename(staging.constData(), target.constData()) == 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    const QByteArray aside = QFile::encodeName(LeftoverFiles::FormerFolderFor(m_swap_folder));
    if (::rename(target.constData(), aside.constData()) != 0)
        return false;
    if (::rename(staging.constData(), target.constData()) != 0) {
        ::rename(aside.constData(), target.constData());
        return false;
    }
    return ::rename(aside.constData(), staging.constData()) == 0;
}

void Publisher::RemoveFormerFolder()
{
    const QString former = WithoutTrailingSeparator(m_staging_folder);
    m_staging_folder.clear();
    if (!QFileInfo::exists(former))
        return;
    if (!DeleteFolderContents(former, Trash::No, Recursive::Yes, &m_left_in_folder))
        m_left_in_folder << former;
    if (m_left_in_folder.isEmpty())
        QDir().rmdir(former);
}

QString Publisher::CopyName(const QString& source, int serial)
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
    return name;
}
