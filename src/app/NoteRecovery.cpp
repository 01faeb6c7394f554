#include "app/NoteRecovery.h"

#include "document/RecoveryFile.h"
#include "platform/Paths.h"
#include "platform/UserPrompt.h"

#include <QFileInfo>

NoteRecovery::NoteRecovery(const QString& folder)
    : m_store(folder)
{
}

NoteRecovery::~NoteRecovery()
{
    // The writer finishes its last request while this editor still holds its lock.
    m_writer.reset();
}

bool NoteRecovery::Start()
{
    if (m_writer)
        return true;
    if (!m_store.Claim())
        return false;
    m_writer = std::make_unique<RecoveryWriter>(m_store.FilePath());
    return true;
}

QString NoteRecovery::FilePath() const
{
    return m_store.FilePath();
}

QString NoteRecovery::RestoreQuestion(const NoteSnapshot& copy, const QDateTime& kept, const QString& named_on_command_line)
{
    const QString note = copy.note_path.isEmpty() ? QStringLiteral("無題") : NameOf(copy.note_path);
    QString text = QStringLiteral("前回保存されなかったノートがあります。復元しますか?\n\n");
    text += QStringLiteral("ノート: ") + note + u'\n';
    text += QStringLiteral("記録日時: ") + kept.toString(QStringLiteral("yyyy/MM/dd HH:mm")) + QStringLiteral("\n\n");
    if (named_on_command_line.isEmpty()) {
        text += QStringLiteral("はい: 復元します。\nいいえ: この記録を削除します。\nキャンセル: 次回の起動まで残します。");
        return text;
    }
    const QString named = NameOf(named_on_command_line);
    text += QStringLiteral("はい: 復元します (%1 は開きません)。\n").arg(named);
    text += QStringLiteral("いいえ: この記録を削除して %1 を開きます。\n").arg(named);
    text += QStringLiteral("キャンセル: この記録を次回の起動まで残して %1 を開きます。").arg(named);
    return text;
}

std::optional<NoteSnapshot> NoteRecovery::OfferLeftCopies(const QString& named_on_command_line)
{
    std::optional<NoteSnapshot> taken;
    for (const QString& orphan : m_store.TakeOrphans()) {
        auto snapshot = RecoveryFile::Read(orphan);
        if (!snapshot)
            continue;
        const QDateTime kept = QFileInfo(orphan).lastModified();
        const Answer answer = Prompt().AskYesNoCancel(
            RestoreQuestion(*snapshot, kept, named_on_command_line), kPromptCaption.toString());
        if (answer == Answer::Cancel)
            break;
        // A copy taken moves into this editor's own file before the old one goes; when it
        // cannot be written there, the old one stays.
        if (answer == Answer::No || KeepNow(*snapshot))
            m_store.Discard(orphan);
        if (answer == Answer::Yes) {
            taken = std::move(snapshot);
            break;
        }
    }
    // What was not dealt with is free again for the next editor that starts.
    m_store.ReleaseOrphans();
    return taken;
}

void NoteRecovery::Keep(NoteSnapshot snapshot)
{
    if (!m_writer)
        return;
    m_writer->Submit(std::move(snapshot));
    TellOfFailure();
}

void NoteRecovery::TellOfFailure()
{
    // The writer works beside the window: a failure shows at the next change after it, once
    // until a copy is written again.
    const std::optional<QString> failure = m_writer->Failure();
    if (!failure) {
        m_failure_told = false;
        return;
    }
    if (m_failure_told)
        return;
    m_failure_told = true;
    Prompt().ShowMessage(QStringLiteral("復元用のコピーを書き込めません。変更は保存するまで失われるおそれがあります。\n%1\n%2")
                             .arg(m_writer->Path(), *failure),
        kPromptCaption.toString(), MessageIcon::Warning);
}

void NoteRecovery::Forget()
{
    if (m_writer)
        m_writer->Remove();
}

bool NoteRecovery::KeepNow(NoteSnapshot snapshot)
{
    if (!m_writer)
        return false;
    m_writer->Submit(std::move(snapshot));
    return m_writer->Flush();
}
