#include "app/Application.h"

#include <QApplication>
#include <QTextStream>

int RunApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QTextStream(stdout) << "Tessary: the editor window is not built yet.\n";
    return 0;
}
