#include "app/NoteRecovery.h"

#include "document/RecoveryFile.h"
#include "platform/UserPrompt.h"

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

std::optional<NoteSnapshot> NoteRecovery::OfferLeftCopies()
{
    std::optional<NoteSnapshot> taken;
    for (const QString& orphan : m_store.TakeOrphans()) {
        auto snapshot = RecoveryFile::Read(orphan);
        if (!snapshot)
            continue;
        const Answer answer = Prompt().AskYesNoCancel(
            QStringLiteral("前回保存されなかったノートがあります。復元しますか?"), kPromptCaption.toString());
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
