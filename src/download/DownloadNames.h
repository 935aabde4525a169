#pragma once

#include <QString>

// File names for downloaded link targets.

// The text after the link's last "/" (the whole link when it has none); "index.html"
// when that text is empty or has no ".".
QString FileNameFromUrl(const QString& link);

// name with "(n)" inserted before its first ".": photo.jpg, 1 gives photo(1).jpg and
// archive.tar.gz, 2 gives archive(2).tar.gz. A name without a dot gets it at the end.
// A name that would grow past the length SafeFileName allows is shortened first (between
// characters, keeping its last extension and the "(n)"), so SafeFileName leaves the
// result as it is and the name checked for existence is the name written.
QString NumberedName(const QString& name, int n);

// A name that is safe to create inside the destination folder: control characters
// and "/" become "_", "", "." and ".." become "index.html", and a name longer than the
// file system allows is shortened keeping its extension.
QString SafeFileName(const QString& name);

// Why a name typed in "Save with new name:" cannot be used, or an empty text when it
// can. An empty name is refused by the dialog with its own message.
QString TypedNameProblem(const QString& name);

// Whether the link's address names a file other than a web page: the last segment of
// its path has an extension other than htm, html, shtml, php, asp, aspx, jsp or cgi. A
// web page (text/html) in answer to such a link is not the file.
bool LinkNamesFile(const QString& link);
