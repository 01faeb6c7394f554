#include "app/Application.h"

#include "app/PageExport.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTextStream>

namespace {

QStringList ArgumentsAfterProgram(int argc, char** argv)
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}

// The export renders off-screen and needs no display.
int RunPageExport(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Tessary"));
    return PageExport::Run(ArgumentsAfterProgram(argc, argv));
}

}

int RunApplication(int argc, char** argv)
{
    if (PageExport::IsRequested(ArgumentsAfterProgram(argc, argv)))
        return RunPageExport(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QTextStream(stdout) << "Tessary: the editor window is not built yet.\n";
    return 0;
}
