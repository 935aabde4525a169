#pragma once

#include <QString>

// File names for downloaded link targets.

// The last part of the link's path: the text after its last "/" (the whole link when it
// has none), without the query ("?...") or fragment ("#..."), percent-decoded as
// DecodedPathPart does. When that is empty or has no ".": with the content type the
// server named, when it is not a web page and has a usual extension, the name ("index"
// when empty) with that extension (".../image?id=5" as image/jpeg gives "image.jpg");
// else "index.html".
QString FileNameFromUrl(const QString& link, const QString& contentType = QString());

// The usual extension of a media type ("jpg" for image/jpeg), empty for a web page, an
// unknown type or one without an extension.
QString TypeExtension(const QString& contentType);

// part as other systems accept it in a path: the characters they refuse in a name
// (: * ? " < > | \) become "_" and trailing dots and spaces go; "_" when nothing is left.
QString PortableName(const QString& part);
// A relative path ("/"-separated) with each of its parts made portable.
QString PortablePath(const QString& path);

// part with its percent-encoded bytes decoded where they form valid UTF-8 and are
// neither "/" nor NUL, so "a%20b" and "a b" give the same name; other escapes stay as
// they are written. The result is not yet safe as a file name (see SafeFileName).
QString DecodedPathPart(const QString& part);

// name with "(n)" inserted before its first ".": photo.jpg, 1 gives photo(1).jpg and
// archive.tar.gz, 2 gives archive(2).tar.gz. A name without a dot gets it at the end.
// A name that would grow past the length SafeFileName allows is shortened first (between
// characters, keeping its last extension and the "(n)"), so SafeFileName leaves the
// result as it is and the name checked for existence is the name written.
QString NumberedName(const QString& name, int n);

// A name that is safe to create inside the destination folder: control characters
// and "/" become "_", "", "." and ".." become "index.html", a name longer than the
// file system allows is shortened keeping its extension, and a name of the form the job
// gives its partial files and their records (".X.part", ".X~2.part", ".X.part.rec")
// gets "_" for its leading ".", so no link's file lands on another's partial file.
QString SafeFileName(const QString& name);

// The name a server gives (Content-Disposition) as a file name in the link's folder:
// its last part only (after any "/" or "\\"), without leading dots (no hidden file, as
// browsers do), made safe; empty when nothing is left.
QString ServerFileName(const QString& given);

// Why a name typed in "Save with new name:" cannot be used, or an empty text when it
// can. An empty name is refused by the dialog with its own message.
QString TypedNameProblem(const QString& name);

// Whether the link's address names a file that is not text: the last segment of its
// path has an extension whose known type is no text of any kind (an archive, picture,
// sound, video, PDF, program and the like). A web page (text/html) in answer to such a
// link is not the file. A name of unknown type, or of a text type (web pages, scripts,
// style sheets, XML, JSON, saved pages, anything based on plain text), may well be
// served as a web page.
bool LinkNamesFile(const QString& link);
