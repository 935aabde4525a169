#pragma once

#include <QString>
#include <QStringList>

// The folder text with "/" appended unless its last character already is "/"; an empty
// text becomes "/".
QString withTrailingSlash(const QString& folder);

// The folders where the help book may be, in the order they are tried, for a program
// installed in appDir: "<appDir>/help" (beside the executable), then
// "<appDir>/../share/quillmarch/help" (an installed tree), then "<appDir>/../help" (a
// build tree, where tools and test runners sit one folder below the book).
QStringList helpBookCandidates(const QString& appDir);

// The first of helpBookCandidates(appDir) that holds index.html, as a clean absolute
// path ending in "/"; empty when none does.
QString helpBookFolder(const QString& appDir);

// helpBookFolder for the running program's own folder.
QString helpBookFolder();
