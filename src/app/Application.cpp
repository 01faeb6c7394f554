#include "app/Application.h"

#include "app/ApplicationOptions.h"
#include "app/MainWindow.h"
#include "app/NoteRecovery.h"
#include "app/RecoveryStore.h"
#include "app/Settings.h"
#include "app/TerminationRequest.h"
#include "app/WindowedLayoutDialogs.h"
#include "platform/LeftoverFiles.h"
#include "platform/Paths.h"
#include "platform/QtTranslations.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>

namespace {

QStringList ArgumentsAfterProgram(int argc, char** argv)
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}

// A command reports a failure in one line of its own; notices of Qt about the environment
// (no runtime folder, no display) or about a user's image files would only bury it.
void KeepOnlySeriousMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        QTextStream(stderr) << message << '\n';
}

// The commands never open a window: images are drawn off-screen, so no display is needed.
int RunCommand(const ApplicationOptions::Command& command, int argc, char** argv)
{
    const QStringList arguments = ArgumentsAfterProgram(argc, argv);
    int code = ApplicationOptions::kSucceeded;
    if (command.needs == ApplicationOptions::Needs::Nothing) {
        code = command.run(arguments);
    } else {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(KeepOnlySeriousMessages);
        QGuiApplication app(argc, argv);
        QGuiApplication::setApplicationName(QStringLiteral("Tessary"));
        code = command.run(arguments);
    }
    if (code == ApplicationOptions::kBadArguments)
        QTextStream(stderr) << ApplicationOptions::UsageOf(command);
    return code;
}

// Writes of the program's own files that a crash or a kill cut short leave their hidden
// temporaries beside them.
void RemoveStaleTemporaries()
{
    for (const QString& folder : { RecoveryStore::DefaultFolder(), PastedImageFolder(), Settings::Folder() })
        LeftoverFiles::RemoveStaleTemporariesIn(folder);
}

int RefuseOption(const QString& option)
{
    QTextStream(stderr) << "tessary: unknown option: " << option << '\n' << ApplicationOptions::Usage();
    return ApplicationOptions::kBadArguments;
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
    const QStringList arguments = ArgumentsAfterProgram(argc, argv);
    if (!arguments.isEmpty() && arguments.first().startsWith(u"--")) {
        const ApplicationOptions::Command* command = ApplicationOptions::Find(arguments.first());
        return command ? RunCommand(*command, argc, argv) : RefuseOption(arguments.first());
    }
    // The editor's arguments are notes and images; an option among them is a mistake, which
    // must not open a window.
    for (const QString& argument : arguments)
        if (argument.startsWith(u"--"))
            return RefuseOption(argument);

    const QDir start_folder = QDir::current();
    TerminationRequest::InstallHandlers();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    // Ties the windows to the installed desktop entry (its icon and name on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("tessary"));
    InstallJapaneseQtTranslations(app);
    // The process ends when the editor window closes, with its own exit code.
    QApplication::setQuitOnLastWindowClosed(false);

    RemoveStaleTemporaries();
    // Outlives the window, which keeps its copy up to date.
    NoteRecovery recovery;
    const bool keeps_copies = recovery.Start();
    MainWindow window;
    if (!window.IsValid())
        return kExitWindowFailed;
    WindowedLayoutDialogs::Install(&window);
    window.SetCloseHandler([] { QCoreApplication::exit(kExitWindowClosed); });
    const QStringList files = AbsoluteArguments(arguments, start_folder);
    const auto named = std::find_if(files.begin(), files.end(), [](const QString& file) { return QFileInfo(file).isFile(); });
    const auto restored = keeps_copies ? recovery.OfferLeftCopies(named != files.end() ? *named : QString()) : std::nullopt;
    if (keeps_copies)
        window.SetRecovery(&recovery);
    // The end of the session keeps unsaved changes in the recovery copy and closes without
    // asking. A request that came during the question above is taken up only now, so that
    // it cannot end the question with an answer.
    TerminationRequest termination;
    QObject::connect(&termination, &TerminationRequest::Requested, &window, &MainWindow::EndSession);
    window.show();
    // A note brought back takes the place of what the command line names.
    if (restored)
        window.RestoreNote(*restored);
    else
        window.Import().ProcessCommandLine(files);
    return QApplication::exec();
}
