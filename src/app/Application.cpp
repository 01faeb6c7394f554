#include "app/Application.h"

#include "app/MainWindow.h"
#include "app/PageExport.h"
#include "app/TerminationRequest.h"
#include "platform/QtTranslations.h"

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

    const QDir start_folder = QDir::current();
    TerminationRequest::InstallHandlers();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    // Ties the windows to the installed desktop entry (its icon and name on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("tessary"));
    InstallJapaneseQtTranslations(app);
    // The process ends when the editor window closes, with its own exit code.
    QApplication::setQuitOnLastWindowClosed(false);

    MainWindow window;
    if (!window.IsValid())
        return kExitWindowFailed;
    window.SetCloseHandler([] { QCoreApplication::exit(kExitWindowClosed); });
    // A termination request from the session closes the window as the user would.
    TerminationRequest termination;
    QObject::connect(&termination, &TerminationRequest::Requested, &window, &QWidget::close);
    window.show();
    window.Import().ProcessCommandLine(AbsoluteArguments(ArgumentsAfterProgram(argc, argv), start_folder));
    return QApplication::exec();
}
