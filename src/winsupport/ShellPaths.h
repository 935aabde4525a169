#pragma once

#include <QString>

// The folder text with exactly one "/" at its end; an empty text becomes "/".
QString WithTrailingSlash(const QString& folder);

// The installed help book's folder: "<appdir>/help", else
// "<appdir>/../share/quillmarch/help", the first one holding index.html.
// Empty when neither does.
QString HelpBookFolder();
