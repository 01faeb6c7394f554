#include "document/NoteDocument.h"

#include "document/CanvasPageSize.h"
#include "document/ImagePathsRebase.h"
#include "document/NoteFileReader.h"
#include "document/NoteFileText.h"
#include "document/NoteHost.h"
#include "document/NoteSchema.h"
#include "items/Canvas.h"
#include "items/ImageFileReader.h"
#include "items/NoteItem.h"
#include "document/KeptSection.h"
#include "platform/FileDigest.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "platform/UserPrompt.h"
#include "text/SectionDocument.h"
#include "text/SectionSources.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr QStringView kNoteExtension = u".tsy";

NoteHost& DefaultHost()
{
    static NoteHost host;
    return host;
}

constexpr QStringView kDefaultName = u"NewFile";

// Whether a section of a page must be kept verbatim in the place of what loading made of it: a
// section that gave no item (a kind from a newer version, a misspelt name), and an image whose
// file did not load, which would show and write nothing. The canvas's own "Viewer" section and
// the background items are the page frame's business and are never written into a note.
bool MustKeep(const QString& section_name, const Item* made)
{
    if (!made)
        return section_name != NoteSchema::kViewerSection;
    if (section_name != NoteSchema::kImageSection)
        return false;
    const NoteItem* image = made->AsNoteItem();
    QString section;
    QString options;
    // A header that reads says nothing of the pixels: a file cut short would show blank.
    return !image || !made->Save(section, options, SaveMode::Persistent)
        || ImageFileReader::CheckRemembered(image->ImageFile()) != ImageReadFailure::None;
}

QString CaptionText()
{
    return kPromptCaption.toString();
}

// The buttons of the question before writing over a note file that was written elsewhere.
enum WrittenElsewhereChoice {
    kOverwrite,
    kSaveElsewhere,
    kWriteNothing,
};

// Whether two paths name one file, also through links.
bool SameFile(const QString& first, const QString& second)
{
    if (first.isEmpty() || second.isEmpty())
        return false;
    const QFileInfo one(first);
    const QFileInfo other(second);
    if (QDir::cleanPath(one.absoluteFilePath()) == QDir::cleanPath(other.absoluteFilePath()))
        return true;
    const QString canonical = one.canonicalFilePath();
    return !canonical.isEmpty() && canonical == other.canonicalFilePath();
}

}

NoteDocument::NoteDocument(Canvas& page_canvas, NoteHost* host)
    : m_page_canvas(page_canvas)
    , m_host(host ? *host : DefaultHost())
{
}

QString NoteDocument::PageText(int index) const
{
    return IsValidPage(index) ? m_pages[index] : QString();
}

bool NoteDocument::SetPageText(int index, const QString& text)
{
    if (!IsValidPage(index) || m_pages[index] == text)
        return false;
    m_pages[index] = text;
    return true;
}

bool NoteDocument::InsertPage(int index)
{
    if (index < 0 || index > PageCount())
        return false;
    m_pages.insert(index, QString());
    return true;
}

bool NoteDocument::RemovePage(int index)
{
    // The list is never left empty.
    if (!IsValidPage(index) || PageCount() < 2)
        return false;
    m_pages.removeAt(index);
    return true;
}

bool NoteDocument::SetCurrentPage(int index)
{
    if (!IsValidPage(index) || index == m_current_page)
        return false;
    m_current_page = index;
    return true;
}

FileDialogRequest NoteDocument::NoteFileDialog()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("Tessary ノートファイル(*.tsy)|*.tsy||");
    request.default_extension = QStringLiteral("tsy");
    request.initial_path = kDefaultName.toString();
    return request;
}

FileDialogRequest NoteDocument::NoteFileDialogHere() const
{
    FileDialogRequest request = NoteFileDialog();
    if (!m_note_path.isEmpty())
        request.initial_path = m_note_path;
    else if (!m_last_folder.isEmpty())
        request.initial_path = m_last_folder + kDefaultName.toString();
    else
        request.initial_path = PageFolder() + kDefaultName.toString();
    return request;
}

std::optional<NotePageSize> NoteDocument::PageSize() const
{
    return CanvasPageSize::Of(m_page_canvas);
}

QString NoteDocument::PageFolder() const
{
    return m_note_path.isEmpty() ? ProgramFolder() : NoteFileReader::PageFolderOf(m_note_path);
}

QString NoteDocument::PageTextOf(const Canvas& canvas)
{
    QString text;
    canvas.SaveItems(text);
    return text;
}

bool NoteDocument::LoadPageText(Canvas& canvas, const QString& text, const QString& folder)
{
    if (text.isEmpty())
        return true;
    SectionDocument sections;
    if (!ParseSectionText(QStringView(text), sections))
        return false;
    canvas.SetBaseFolder(folder);
    const std::vector<QStringView> sources = SectionSources(text);
    for (int i = 0; i < sections.Count(); ++i) {
        const QString name = sections.Name(i);
        Item* made = canvas.AddFromSection(name, sections.Store(i)) ? canvas.ItemAt(canvas.ItemCount() - 1) : nullptr;
        if (size_t(i) >= sources.size() || !MustKeep(name, made))
            continue;
        // An image that shows nothing and would save nothing gives its place to its section.
        if (made)
            canvas.RemoveItem(made);
        auto kept = std::make_unique<KeptSection>(canvas, sources[size_t(i)]);
        if (name == NoteSchema::kImageSection && !NoteSchema::ImageFileOf(sections.Store(i)).isEmpty())
            kept->ShowAsUnreadImage(sections.Store(i));
        canvas.AddItem(std::move(kept));
    }
    return true;
}

void NoteDocument::StoreCurrentPage()
{
    if (IsValidPage(m_current_page))
        m_pages[m_current_page] = PageTextOf(m_page_canvas);
}

bool NoteDocument::ShowPage(int index)
{
    if (!IsValidPage(index))
        return false;
    m_current_page = index;
    if (m_pages[index].isEmpty())
        return true;
    return LoadPageText(m_page_canvas, m_pages[index], PageFolder());
}

bool NoteDocument::ClearNote()
{
    if (!m_host.MayDiscardNote(m_pages))
        return false;
    m_host.ResetPageCanvas(m_page_canvas);
    m_note_path.clear();
    m_file_digest.clear();
    m_pages = QStringList { QString() };
    m_current_page = 0;
    m_host.NoteCleared();
    m_host.PagesChanged();
    return true;
}

bool NoteDocument::SaveNote(const QString& path)
{
    if (!path.isEmpty())
        return WriteAfterCheck(path);
    if (!m_note_path.isEmpty())
        return WriteAfterCheck(m_note_path);
    return SaveNoteAs();
}

bool NoteDocument::SaveNoteAs()
{
    const QString chosen = Prompt().AskSaveFile(NoteFileDialogHere()).value_or(QString());
    if (chosen.isEmpty())
        return false;
    m_last_folder = FolderOf(QFileInfo(chosen).absoluteFilePath());
    return WriteAfterCheck(chosen);
}

bool NoteDocument::WrittenElsewhere(const QString& path) const
{
    if (m_file_digest.isEmpty() || !SameFile(path, m_note_path) || !QFileInfo::exists(path))
        return false;
    // A file that cannot be read any more may hold anything.
    return FileDigest::OfFile(path) != m_file_digest;
}

ChoiceQuestion NoteDocument::WrittenElsewhereQuestion(const QString& path)
{
    ChoiceQuestion question;
    question.text = QStringLiteral("「%1」はこのウィンドウで開いた後に、ほかのウィンドウかプログラムで変更されています。\n"
                                   "上書きすると、その変更は失われます。")
                        .arg(NameOf(path));
    question.caption = CaptionText();
    question.buttons = { QStringLiteral("上書き"), QStringLiteral("名前を付けて保存"), QStringLiteral("キャンセル") };
    question.default_button = kOverwrite;
    return question;
}

bool NoteDocument::WriteAfterCheck(const QString& target)
{
    if (!WrittenElsewhere(target))
        return WriteNote(target);
    switch (Prompt().AskChoice(WrittenElsewhereQuestion(target))) {
    case kOverwrite:
        return WriteNote(target);
    case kSaveElsewhere:
        return SaveNoteAs();
    default:
        return false;
    }
}

bool NoteDocument::WriteNote(const QString& target)
{
    const QString absolute = QFileInfo(target).absoluteFilePath();
    StoreCurrentPage();
    // Image names relative to the old folder would point elsewhere from the new one.
    QStringList pages = m_pages;
    const QString old_folder = PageFolder();
    const bool moves = QDir::cleanPath(NoteFileReader::PageFolderOf(absolute)) != QDir::cleanPath(old_folder);
    if (moves)
        for (QString& page : pages)
            page = MakeImagePathsAbsolute(page, old_folder);
    const QByteArray bytes = EncodeTextUtf8(JoinNotePages(pages, PageSize()));
    if (!WriteFileSafely(absolute, bytes)) {
        Prompt().ShowMessage(QStringLiteral("ノートの保存に失敗しました。"), CaptionText(), MessageIcon::Warning);
        return false;
    }
    m_pages = pages;
    m_note_path = absolute;
    m_file_digest = FileDigest::OfBytes(bytes);
    return true;
}

bool NoteDocument::OpenNote(const QString& path)
{
    QString source = path;
    if (source.isEmpty()) {
        source = Prompt().AskOpenFile(NoteFileDialogHere()).value_or(QString());
        if (!source.isEmpty())
            m_last_folder = FolderOf(QFileInfo(source).absoluteFilePath());
    }
    if (source.isEmpty() || ExtensionOf(source) != kNoteExtension || !IsValidPage(m_current_page))
        return false;
    // Kept absolute: a relative name counts from the working folder only as it is opened.
    source = QFileInfo(source).absoluteFilePath();
    NoteFileReader::Result read = NoteFileReader::Read(source);
    if (!read.IsRead()) {
        // A file the user named that is no note is told why; the note shown stays.
        if (!read.missing)
            Prompt().ShowMessage(QStringLiteral("%1 を開けませんでした。\n%2").arg(NameOf(source), read.refusal),
                CaptionText(), MessageIcon::Warning);
        return false;
    }
    if (!ClearNote())
        return false;

    m_pages = std::move(read.pages);
    // The first page is laid out on the page it was made for; a note that does not say keeps
    // the page size shown.
    if (read.page_size)
        CanvasPageSize::Apply(m_page_canvas, *read.page_size);
    m_current_page = 0;
    m_host.PagesChanged();
    if (!LoadPageText(m_page_canvas, m_pages.first(), NoteFileReader::PageFolderOf(source)))
        return false;
    m_note_path = source;
    // Of the very bytes read: a change after reading makes saving ask rather than overwrite.
    m_file_digest = read.digest;
    m_host.NoteOpened();
    return true;
}

bool NoteDocument::Restore(const NoteSnapshot& snapshot)
{
    if (snapshot.pages.isEmpty())
        return false;
    m_pages = snapshot.pages;
    m_note_path = snapshot.note_path;
    m_file_digest = snapshot.file_digest;
    m_current_page = IsValidPage(snapshot.current_page) ? snapshot.current_page : 0;
    m_host.PagesChanged();
    return ShowPage(m_current_page);
}
