#include "app/RecoveryWriter.h"

#include "document/RecoveryFile.h"

#include <QFile>

#include <system_error>

RecoveryWriter::RecoveryWriter(QString path, std::chrono::milliseconds interval)
    : m_path(std::move(path))
    , m_interval(interval)
{
    try {
        m_worker = std::thread(&RecoveryWriter::Run, this);
    } catch (const std::system_error&) {
        // Without a thread every request waits for Flush or the end.
    }
}

RecoveryWriter::~RecoveryWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    // The worker may never have started.
    Flush();
}

void RecoveryWriter::Submit(NoteSnapshot snapshot)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = Request { std::move(snapshot) };
    }
    m_wake.notify_one();
}

void RecoveryWriter::Remove()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = Request { std::nullopt };
    }
    m_wake.notify_one();
}

bool RecoveryWriter::Flush()
{
    std::unique_lock lock(m_mutex);
    if (!m_pending) {
        // A write the worker is carrying out right now finishes first.
        lock.unlock();
        std::lock_guard file_lock(m_file_mutex);
        return !Failure();
    }
    const Request request = std::move(*m_pending);
    m_pending.reset();
    std::lock_guard file_lock(m_file_mutex);
    if (request.snapshot)
        ++m_writes;
    lock.unlock();
    return CarryOut(request);
}

std::optional<QString> RecoveryWriter::Failure() const
{
    std::lock_guard lock(m_failure_mutex);
    return m_failure;
}

int RecoveryWriter::WriteCount() const
{
    std::lock_guard lock(m_mutex);
    return m_writes;
}

void RecoveryWriter::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_pending) {
            if (m_stopping)
                return;
            m_wake.wait(lock);
            continue;
        }
        const bool is_write = m_pending->snapshot.has_value();
        if (is_write && !m_stopping && std::chrono::steady_clock::now() < m_next_write) {
            m_wake.wait_until(lock, m_next_write);
            continue;
        }
        const Request request = std::move(*m_pending);
        m_pending.reset();
        std::unique_lock file_lock(m_file_mutex);
        if (is_write) {
            ++m_writes;
            m_next_write = std::chrono::steady_clock::now() + m_interval;
        }
        lock.unlock();
        CarryOut(request);
        file_lock.unlock();
        lock.lock();
    }
}

bool RecoveryWriter::CarryOut(const Request& request)
{
    QString reason;
    bool done = true;
    if (request.snapshot)
        done = RecoveryFile::Write(m_path, *request.snapshot, &reason);
    else
        QFile::remove(m_path);
    std::lock_guard lock(m_failure_mutex);
    if (done)
        m_failure.reset();
    else
        m_failure = reason;
    return done;
}
