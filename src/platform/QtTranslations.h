#pragma once

class QCoreApplication;
class QTranslator;

// Qt's own texts (the buttons of message boxes, the file dialog, the colour picker) in
// Japanese, as the rest of the program speaks, whatever the user's locale. Installs Qt's
// Japanese translations into the application and answers the translator, which the
// application owns; null when they are not installed, in which case those texts stay English.
QTranslator* InstallJapaneseQtTranslations(QCoreApplication& application);
