#include "document/NoteFileReader.h"

#include "document/NoteFileText.h"
#include "platform/FileDigest.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "text/SectionDocument.h"

#include <QFileInfo>

#include <new>

namespace {

QString RefusalOf(FileReadFailure failure)
{
    switch (failure) {
    case FileReadFailure::None:
        return {};
    case FileReadFailure::Missing:
        return QStringLiteral("ファイルが見つかりません。");
    case FileReadFailure::NotRegular:
        return QStringLiteral("ノートファイルではありません。フォルダーや特殊なファイルは開けません。");
    case FileReadFailure::NotPermitted:
        return QStringLiteral("ファイルを読む権限がありません。");
    case FileReadFailure::TooLarge:
        return QStringLiteral("ノートファイルとしては大きすぎます (256 MB まで)。");
    case FileReadFailure::ReadError:
        break;
    }
    return QStringLiteral("ファイルを読み込めませんでした。");
}

NoteFileReader::Result Refused(const QString& reason)
{
    NoteFileReader::Result result;
    result.refusal = reason;
    return result;
}

// Whether some page holds a section. A page that holds none may still be blank, or hold only
// separator lines.
bool HoldsSection(const QStringList& pages)
{
    for (const QString& page : pages) {
        SectionDocument sections;
        if (ParseSectionText(QStringView(page), sections) && sections.Count() > 0)
            return true;
    }
    return false;
}

bool IsBlank(const QString& text)
{
    for (const QChar c : text)
        if (!c.isSpace() && c != u'-')
            return false;
    return true;
}

}

NoteFileReader::Result NoteFileReader::Read(const QString& path)
{
    QByteArray bytes;
    const FileReadFailure failure = ReadRegularFile(path, kMaxTextFileBytes, bytes);
    if (failure != FileReadFailure::None) {
        Result result = Refused(RefusalOf(failure));
        result.missing = failure == FileReadFailure::Missing;
        return result;
    }
    try {
        Result result = FromBytes(bytes);
        if (result.IsRead())
            result.digest = FileDigest::OfBytes(bytes);
        return result;
    } catch (const std::bad_alloc&) {
        return Refused(RefusalOf(FileReadFailure::ReadError));
    }
}

NoteFileReader::Result NoteFileReader::FromBytes(const QByteArray& bytes)
{
    // Text in any encoding the program reads holds no NUL byte, but for UTF-16.
    if (!HasUtf16ByteOrderMark(bytes) && bytes.contains('\0'))
        return Refused(QStringLiteral("ノートファイルではありません。文字ではないデータを含んでいます。"));
    const QString text = WithCrLf(DecodeTextBytes(bytes));
    Result result;
    result.pages = CutNotePages(text, &result.page_size);
    // A note of empty pages still records its page size.
    if (!HoldsSection(result.pages) && !result.page_size && !IsBlank(text))
        return Refused(QStringLiteral("ノートファイルではありません。ノートの項目が一つもありません。"));
    return result;
}

QString NoteFileReader::WithCrLf(const QString& text)
{
    qsizetype lone = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        else if (text[i] == u'\r' || text[i] == u'\n')
            ++lone;
    }
    if (lone == 0)
        return text;
    QString result;
    result.reserve(size + lone);
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            result += c;
            continue;
        }
        result += u"\r\n";
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
    }
    return result;
}

QString NoteFileReader::PageFolderOf(const QString& note_path)
{
    return FolderOf(FollowLinks(QFileInfo(note_path).absoluteFilePath()));
}
