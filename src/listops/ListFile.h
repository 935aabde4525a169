#pragma once

#include <QString>
#include <QStringList>

#include "core/Result.h"

// Link list files: one entry per line, CR LF after every entry, UTF-8, written as
// ListFileWriter writes them.
class ListFile final
{
public:
    ListFile() = delete;

    // The pickers' filter, in the form description|pattern|description|pattern.
    static QString filter();
    // Converts a description|pattern|... filter into QFileDialog's "desc (patterns);;..."
    // form, the description kept whole ("All Files (*.*) (*)"): a picker with the
    // HideNameFilterDetails option shows the description as written. "*.*" becomes "*",
    // so files without an extension are listed too.
    static QString qtFilter(const QString& pipeFilter);

    // Replaces the file's content with the entries. The file is written to a
    // temporary name and renamed into place, so a failure leaves the old file intact.
    static Result<> save(const QString& path, const QStringList& entries);
    // Writes the entries after the file's existing content, on a line of their own: a
    // last line without its line end gets one first.
    static Result<> append(const QString& path, const QStringList& entries);
};
