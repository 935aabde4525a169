#pragma once

#include <QCompleter>

class QAbstractItemModel;
class QFileSystemModel;
class QLineEdit;

// Completion for a URL box: the shared model of typed URLs while the text looks like an
// address, and a file-system model while it is an absolute path. The file-system model
// is created on the first path typed.
class UrlCompleter final : public QCompleter
{
    Q_OBJECT
public:
    UrlCompleter(QAbstractItemModel* urls, QLineEdit* edit);

private:
    void followText(const QString& text);

    QAbstractItemModel* m_urls;
    QFileSystemModel* m_files = nullptr;
};
