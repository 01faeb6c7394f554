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
    for (const QString& orphan : m_store.TakeOrphans()) {
        auto snapshot = RecoveryFile::Read(orphan);
        if (!snapshot)
            continue;
        const bool restore = Prompt().AskYesNo(
            QStringLiteral("前回保存されなかったノートがあります。復元しますか?"), kPromptCaption.toString());
        // A copy taken moves into this editor's own file before the old one goes.
        if (restore)
            KeepNow(*snapshot);
        m_store.Discard(orphan);
        if (restore)
            return snapshot;
    }
    return std::nullopt;
}

void NoteRecovery::Keep(NoteSnapshot snapshot)
{
    if (m_writer)
        m_writer->Submit(std::move(snapshot));
}

void NoteRecovery::Forget()
{
    if (m_writer)
        m_writer->Remove();
}

void NoteRecovery::KeepNow(NoteSnapshot snapshot)
{
    if (!m_writer)
        return;
    m_writer->Submit(std::move(snapshot));
    m_writer->Flush();
}
