#pragma once

#include <QSaveFile>
#include <QString>
#include <QStringList>

#include "core/Result.h"

// Writes a link list file in one go or page by page: one entry per line, CR LF after
// every entry, UTF-8. An entry the list reader would split or alter (a comma, a line end,
// a leading space or quote) is written in double quotes, so a saved list reads back to the
// same entries. The entries go to a temporary file beside the target, which replaces the
// target only when every write succeeded (commit); otherwise the old file stays as it was
// and the temporary file is removed.
class ListFileWriter final
{
public:
    explicit ListFileWriter(const QString& path);
    ~ListFileWriter();

    Result<> open();
    Result<> write(const QStringList& entries);
    // Writes bytes as they are: records of another format encoded by the caller.
    Result<> writeBytes(const QByteArray& bytes);
    Result<> commit();
    // Drops what was written; the target is left untouched.
    void cancel();

    // One entry as it is written in a list file, without its line end.
    static QByteArray encode(const QString& entry);

private:
    Result<> cannotWrite();

    QString m_path;
    QSaveFile m_file;
    bool m_failed = false;
};
