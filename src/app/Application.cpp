#include "app/Application.h"

#include "app/QtNativeEdit.h"

#include <QApplication>
#include <QTextStream>

int RunApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QtNativeEdit::Install();
    QTextStream(stdout) << "Tessary: the editor window is not built yet.\n";
    return 0;
}
