#include "app/UnsavedChanges.h"

#include "app/NoteRecovery.h"
#include "document/Pages.h"
#include "platform/Paths.h"
#include "platform/UserPrompt.h"

UnsavedChanges::UnsavedChanges(Pages& pages)
    : m_pages(pages)
{
}

void UnsavedChanges::NoteChanged()
{
    if (!m_recovery)
        return;
    if (m_pages.IsModified())
        m_recovery->Keep(m_pages.Document().Snapshot());
    else
        m_recovery->Forget();
}

bool UnsavedChanges::MayClose()
{
    return MayDiscard();
}

bool UnsavedChanges::MayDiscard()
{
    m_pages.RecordChanges();
    if (!m_pages.IsModified())
        return true;
    switch (Prompt().AskYesNoCancel(QStringLiteral("変更を保存しますか?"), kPromptCaption.toString())) {
    case Answer::Yes:
        return m_pages.SaveNote(QString());
    case Answer::No:
        // The copy kept of the changes goes once the note is replaced or the window closes.
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

void UnsavedChanges::Closed()
{
    if (m_recovery)
        m_recovery->Forget();
}

bool UnsavedChanges::EndSession()
{
    // Edits on the page shown that no step has recorded yet go with it.
    m_pages.RecordChanges();
    if (!m_pages.IsModified())
        return true;
    if (!m_recovery)
        return false;
    return m_recovery->KeepNow(m_pages.Document().Snapshot());
}

QString UnsavedChanges::WindowTitle(const QString& note_path, bool modified)
{
    const QString name = note_path.isEmpty() ? QStringLiteral("無題") : NameOf(note_path);
    return (modified ? QStringLiteral("*") : QString()) + name + QStringLiteral(" - Tessary by Veldran");
}
