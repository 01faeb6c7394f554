#include "platform/SafeFileWriterBatch.h"

#include "platform/Paths.h"
#include "platform/SafeFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

SafeFileWriterBatch::~SafeFileWriterBatch() = default;

int SafeFileWriterBatch::Add(std::unique_ptr<SafeFileWriter> writer)
{
    const int number = int(m_errors.size());
    m_errors.emplace_back();
    if (!writer->FinishWriting()) {
        m_errors[number] = writer->ErrorText();
        return number;
    }
    writer->StartFlush();
    m_waiting.push_back({ std::move(writer), number });
    if (int(m_waiting.size()) >= kMostWaiting)
        CommitWaiting();
    return number;
}

bool SafeFileWriterBatch::Commit()
{
    CommitWaiting();
    for (const QString& folder : std::as_const(m_folders))
        SafeFileWriter::SyncFolder(folder);
    m_folders.clear();
    return std::all_of(m_errors.cbegin(), m_errors.cend(), [](const QString& error) { return error.isEmpty(); });
}

QString SafeFileWriterBatch::ErrorText(int number) const
{
    // A number the batch never gave out is no success.
    if (number < 0 || number >= int(m_errors.size()))
        return QString::fromLocal8Bit(std::strerror(EINVAL));
    return m_errors[number];
}

// Every new file reaches the disk before any of them replaces its target, so a target is
// only ever replaced by contents that are on disk.
void SafeFileWriterBatch::CommitWaiting()
{
    std::vector<Waiting> flushed;
    for (Waiting& waiting : m_waiting) {
        if (waiting.writer->Flush())
            flushed.push_back(std::move(waiting));
        else
            m_errors[waiting.number] = waiting.writer->ErrorText();
    }
    m_waiting.clear();
    for (const Waiting& waiting : flushed) {
        if (!waiting.writer->Replace()) {
            m_errors[waiting.number] = waiting.writer->ErrorText();
            continue;
        }
        const QString folder = FolderOf(waiting.writer->FinalPath());
        if (!m_folders.contains(folder))
            m_folders << folder;
    }
}
