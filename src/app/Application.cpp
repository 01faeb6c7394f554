#include "app/Application.h"

#include "app/MainWindow.h"
#include "app/PageExport.h"
#include "app/PublishCommandLine.h"
#include "app/TerminationRequest.h"
#include "app/WindowedLayoutDialogs.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>

namespace {

QStringList ArgumentsAfterProgram(int argc, char** argv)
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}


// The export reports a failure in one line of its own; notices of Qt about the environment
// (no runtime folder, no display) or about a user's image files would only bury it.
void KeepOnlySeriousMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        QTextStream(stderr) << message << '\n';
}

// The export renders off-screen and needs no display.
int RunPageExport(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(KeepOnlySeriousMessages);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Tessary"));
    return PageExport::Run(ArgumentsAfterProgram(argc, argv));
}

// Publishing copies files and writes text; it needs neither a display nor a window system.
int RunPublish(int argc, char** argv)
{
    qInstallMessageHandler(KeepOnlySeriousMessages);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessary"));
    return PublishCommandLine::Run(ArgumentsAfterProgram(argc, argv));
}

}

QStringList AbsoluteArguments(const QStringList& arguments, const QDir& start_folder)
{
    QStringList absolute;
    for (const QString& argument : arguments)
        absolute << (argument.isEmpty() ? argument : QDir::cleanPath(start_folder.absoluteFilePath(argument)));
    return absolute;
}

int RunApplication(int argc, char** argv)
{
    if (PageExport::IsRequested(ArgumentsAfterProgram(argc, argv)))
        return RunPageExport(argc, argv);
    if (PublishCommandLine::IsRequested(ArgumentsAfterProgram(argc, argv)))
        return RunPublish(argc, argv);

    const QDir start_folder = QDir::current();
    TerminationRequest::InstallHandlers();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    // The process ends when the editor window closes, with its own exit code.
    QApplication::setQuitOnLastWindowClosed(false);

    MainWindow window;
    if (!window.IsValid())
        return kExitWindowFailed;
    WindowedLayoutDialogs::Install(&window);
    window.SetCloseHandler([] { QCoreApplication::exit(kExitWindowClosed); });
    // A termination request from the session closes the window as the user would.
    TerminationRequest termination;
    QObject::connect(&termination, &TerminationRequest::Requested, &window, &QWidget::close);
    window.show();
    window.Import().ProcessCommandLine(AbsoluteArguments(ArgumentsAfterProgram(argc, argv), start_folder));
    return QApplication::exec();
}
