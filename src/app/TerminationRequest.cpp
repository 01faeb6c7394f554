#include "app/TerminationRequest.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Written by the signal handler, read by the event loop.
int g_pipe[2] { -1, -1 };

void OnTerminationSignal(int)
{
    // The interrupted code may be about to read errno: the write must not change it.
    const int saved_errno = errno;
    const char byte = 1;
    // Nothing else is safe in a signal handler; a full pipe already holds a request.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved_errno;
}

}

bool TerminationRequest::InstallHandlers()
{
    if (g_pipe[0] >= 0)
        return true;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal_number : { SIGTERM, SIGINT, SIGHUP })
        sigaction(signal_number, &action, nullptr);
    return true;
}

TerminationRequest::TerminationRequest(QObject* parent)
    : QObject(parent)
{
    if (g_pipe[0] < 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationRequest::OnSignal);
}

void TerminationRequest::OnSignal()
{
    char bytes[16];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    emit Requested();
}
