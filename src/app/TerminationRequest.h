#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the termination signals of the session (SIGTERM, SIGINT, SIGHUP) into a request to
// close the editor window the way the user does, so the process ends through its normal
// close path. Signals that arrive before the event loop runs are kept until it does.
class TerminationRequest : public QObject {
    Q_OBJECT
public:
    // Installs the signal handlers; call once, early.
    static bool InstallHandlers();

    explicit TerminationRequest(QObject* parent = nullptr);

signals:
    void Requested();

private:
    void OnSignal();

    QSocketNotifier* m_notifier { nullptr };
};
