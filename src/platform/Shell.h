#pragma once

#include <QString>

// Shows a folder in the desktop's file manager. Answers whether the desktop took the request.
bool OpenFolder(const QString& folder);
// Opens a web page in the default browser.
bool OpenWebPage(const QString& address);
