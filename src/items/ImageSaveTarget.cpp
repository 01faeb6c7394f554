#include "items/ImageSaveTarget.h"

#include "items/Canvas.h"
#include "platform/Paths.h"
#include "platform/UserPrompt.h"

#include <QFileInfo>

#include <climits>

namespace {

// A dangling link names nothing, yet writing to it creates the file it names.
bool NamesSomething(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

}

namespace ImageSaveTarget {

QString FreePath(const QString& stem, const QString& extension, const IsTaken& is_taken)
{
    QString candidate;
    for (int n = 2; n < INT_MAX; ++n) {
        candidate = stem + QStringLiteral("_%1").arg(n) + extension;
        if (!NamesSomething(candidate) && !(is_taken && is_taken(candidate)))
            break;
    }
    return candidate;
}

bool MayWrite(const Canvas& canvas, const QString& path, const QString& source)
{
    const Canvas::FileUse use = canvas.UseOfFile(path);
    if (use == Canvas::FileUse::Document) {
        Prompt().ShowMessage(QStringLiteral("%1\nはこのノートのファイルです。ノートを上書きしないよう、書き込みを中止しました。").arg(path),
            kPromptCaption.toString(), MessageIcon::Warning);
        return false;
    }
    if (use == Canvas::FileUse::None && !NamesSameFile(path, source))
        return true;
    return Prompt().AskYesNo(WriteOverQuestion(path), kPromptCaption.toString());
}

QString WriteOverQuestion(const QString& path)
{
    return QStringLiteral("%1\nはこのノートが使っている画像です。上書きすると元の画像は戻せません。上書きしますか?").arg(path);
}

}
