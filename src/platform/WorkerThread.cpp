#include "platform/WorkerThread.h"

#include "platform/ErrorReport.h"
#include "platform/ThreadPriority.h"
#include "platform/UserPrompt.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <system_error>

namespace {

// The warning is shown on the user-interface thread; the worker does not wait for it.
void QueueReport(const QString& text)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        return;
    }
    QMetaObject::invokeMethod(
        application, [text] { Prompt().ShowMessage(text, QStringLiteral("Exception"), MessageIcon::Warning); },
        Qt::QueuedConnection);
}

}

WorkerThread::~WorkerThread()
{
    StopAndWait();
}

bool WorkerThread::Start(Work work)
{
    if (!work || Running())
        return false;
    // The previous thread has cleared its running state and only returns now.
    if (m_thread.joinable())
        m_thread.join();

    std::lock_guard lock(m_mutex);
    m_work = std::move(work);
    m_stop_requested = false;
    m_failed = false;
    m_running = true;
    try {
        m_thread = std::thread(&WorkerThread::Run, this);
    } catch (const std::system_error&) {
        m_running = false;
        m_failed = true;
        return false;
    }
    return true;
}

bool WorkerThread::Running() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

void WorkerThread::StopAndWait()
{
    RequestStop();
    if (m_thread.joinable())
        m_thread.join();
}

void WorkerThread::Run(WorkerThread* worker)
{
    if (worker->m_priority == Priority::Idle)
        LowerCurrentThreadToIdle();
    try {
        worker->m_work(*worker);
    } catch (...) {
        const int error_number = errno;
        QueueReport(ReportForException(std::current_exception(), ErrorNumberText(error_number)));
    }
    std::lock_guard lock(worker->m_mutex);
    worker->m_running = false;
}
