#include "app/PublishDialog.h"

#include "document/NoteDocument.h"
#include "document/OutputGuard.h"
#include "items/Canvas.h"
#include "items/ItemEvent.h"
#include "platform/Paths.h"
#include "platform/UserPrompt.h"

#include <QEventLoop>
#include <QWidget>

#include <atomic>
#include <thread>

namespace {

const QString kNoteFilePath = QStringLiteral("NoteFilePath");
const QString kImageFolderName = QStringLiteral("ImageFolderName");
const QString kImageCopyNameType = QStringLiteral("ImageCopyNameType");
const QString kTextKey = QStringLiteral("Text");

// A message listing more paths than this ends with a count of the rest.
constexpr int kListedPaths = 10;

// Below 0 while no publish runs.
std::atomic<double> s_progress { -1 };

void Tell(const QString& text, MessageIcon icon = MessageIcon::Warning)
{
    Prompt().ShowMessage(text, kPromptCaption.toString(), icon);
}

QString Listing(const QStringList& paths)
{
    QStringList lines = paths.mid(0, kListedPaths);
    if (paths.size() > kListedPaths)
        lines << QStringLiteral("ほか %1 件").arg(paths.size() - kListedPaths);
    return lines.join(u'\n');
}

bool ReadText(Canvas& canvas, const QString& name, QString& text)
{
    return canvas.GetItemProperty(name, kTextKey, text) && !text.isEmpty();
}

}

std::optional<double> PublishDialog::ProgressPercent()
{
    const double progress = s_progress.load();
    if (progress < 0)
        return std::nullopt;
    return progress;
}

bool PublishDialog::DialogEvent(Canvas& canvas, const ItemEvent& event)
{
    if (event.code == ItemEvent::kShowMessage) {
        Tell(event.extra, MessageIcon::Information);
        return true;
    }
    if (event.text == u"SelectNoteFilePath" && event.code == ItemEvent::kChanged) {
        if (const auto path = Prompt().AskSaveFile(NoteDocument::NoteFileDialog()))
            canvas.UpdateItemProperty(kNoteFilePath, kTextKey, *path);
        return true;
    }
    return false;
}

bool PublishDialog::MayEndDialog(Canvas& canvas)
{
    QString text;
    if (!ReadText(canvas, kNoteFilePath, text)) {
        Tell(QStringLiteral("ノートファイルパスが設定されていません。"));
        return false;
    }
    if (!ReadText(canvas, kImageFolderName, text)) {
        Tell(QStringLiteral("画像フォルダ名が設定されていません。"));
        return false;
    }
    if (!Publisher::IsImageFolderName(text)) {
        Tell(QStringLiteral("画像フォルダ名には、ノートファイルの隣に作るフォルダの名前を一つ指定してください。"
                            "\".\"、\"..\"、\"/\"、\"\\\" は使えません。"));
        return false;
    }
    return true;
}

std::optional<PublishSettings> PublishDialog::AskSettings()
{
    PublishDialog owner;
    bool has_note_path = false;
    bool has_folder_name = false;
    bool has_naming = false;
    PublishSettings settings;
    LayoutDialogRequest request;
    request.layout = LayoutResource::Publish;
    request.kind = CanvasKind::Dialog;
    request.caption = QStringLiteral("Tessary パブリッシュ");
    request.size = QSize(456, 153);
    request.owner = &owner;
    request.read_results = [&](Canvas& canvas, bool result) {
        if (!result)
            return;
        has_note_path = ReadText(canvas, kNoteFilePath, settings.note_path);
        has_folder_name = ReadText(canvas, kImageFolderName, settings.image_folder_name);
        int index = 0;
        has_naming = canvas.GetItemPropertyInt(kImageCopyNameType, QStringLiteral("SelectedIndex"), index);
        settings.naming = index == 1 ? CopyNaming::Serial : CopyNaming::SourceName;
    };
    if (!Dialogs().Run(request))
        return std::nullopt;
    if (!has_note_path) {
        Tell(QStringLiteral("ノートファイルのパスが取得できません。"));
        return std::nullopt;
    }
    if (!has_folder_name) {
        Tell(QStringLiteral("画像フォルダ名が取得できません。"));
        return std::nullopt;
    }
    if (!has_naming) {
        Tell(QStringLiteral("画像コピー名タイプが取得できません。"));
        return std::nullopt;
    }
    return settings;
}

bool PublishDialog::Run(NoteDocument& note, QWidget* window)
{
    const auto settings = AskSettings();
    if (!settings)
        return false;
    // The page canvas goes back into its page first; no undo step is recorded.
    note.StoreCurrentPage();
    Publisher publisher(note.Pages(), note.PageFolder(), *settings, note.NotePath());
    publisher.SetPageSize(note.PageSize());
    const auto verdict = OutputGuard::Check(publisher.NotePath(), note.NotePath(), note.Pages(), note.PageFolder());
    if (verdict.IsRefused()) {
        Tell(OutputGuard::WindowText(verdict, publisher.NotePath()));
        return false;
    }
    const QString folder = WithoutTrailingSeparator(publisher.ImageFolderPath());
    // Emptying a folder that holds the note's own images would destroy them.
    if (const QStringList endangered = publisher.EndangeredFiles(); !endangered.isEmpty()) {
        Tell(QStringLiteral("画像フォルダ %1 にはこのノートが使っているファイルがあります。"
                            "フォルダを空にできないため、パブリッシュを中止しました。\n%2")
                 .arg(folder, Listing(endangered)));
        return false;
    }
    if (publisher.ImageFolderExists()
        && !Prompt().AskYesNo(folder + QStringLiteral("\n内のファイル削除します。よろしいですか?"), kPromptCaption.toString()))
        return false;
    if (!publisher.PrepareImageFolder()) {
        Tell(QStringLiteral("画像フォルダを作成できません。\n%1").arg(folder));
        return false;
    }
    if (CopyWithProgress(publisher, window))
        return true;
    if (!publisher.LeftInFolder().isEmpty())
        Tell(QStringLiteral("以前の画像フォルダの次のファイルを削除できませんでした。\n%1").arg(Listing(publisher.LeftInFolder())));
    if (publisher.Problems().empty())
        return false;
    QStringList failed;
    for (const Publisher::Problem& problem : publisher.Problems())
        failed << (problem.source.isEmpty() ? problem.target : QStringLiteral("%1 (%2)").arg(problem.target, problem.source))
                + QStringLiteral(": ") + problem.reason;
    Tell(QStringLiteral("パブリッシュで次のファイルを書き込めませんでした。\n%1").arg(Listing(failed)));
    return false;
}

bool PublishDialog::CopyWithProgress(Publisher& publisher, QWidget* window)
{
    if (window)
        window->setEnabled(false);
    s_progress = 0;
    QEventLoop loop;
    bool published = false;
    // Each copy wakes the user-interface thread, whose idle pass then shows the progress.
    std::thread worker([&] {
        try {
            published = publisher.Publish([&loop](int copied, int total) {
                s_progress = 100.0 * copied / total;
                QMetaObject::invokeMethod(&loop, [] { }, Qt::QueuedConnection);
            });
        } catch (const std::exception&) {
            published = false;
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    s_progress = -1;
    if (window)
        window->setEnabled(true);
    return published;
}
