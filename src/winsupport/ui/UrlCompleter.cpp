#include "winsupport/ui/UrlCompleter.h"

#include <QFileSystemModel>
#include <QLineEdit>

UrlCompleter::UrlCompleter(QAbstractItemModel* urls, QLineEdit* edit)
    : QCompleter(urls, edit)
    , m_urls(urls)
{
    setCaseSensitivity(Qt::CaseInsensitive);
    setCompletionMode(QCompleter::PopupCompletion);
    setModelSorting(QCompleter::UnsortedModel);
    connect(edit, &QLineEdit::textEdited, this, &UrlCompleter::followText);
}

void UrlCompleter::followText(const QString& text)
{
    const bool isPath = text.startsWith(QLatin1Char('/'));
    QAbstractItemModel* wanted = m_urls;
    if (isPath) {
        if (!m_files) {
            // Owned by the edit: QCompleter deletes a model it owns when another is set.
            m_files = new QFileSystemModel(parent());
            m_files->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
            m_files->setRootPath(QString());
        }
        wanted = m_files;
    }
    if (model() == wanted)
        return;
    setModel(wanted);
    setCaseSensitivity(isPath ? Qt::CaseSensitive : Qt::CaseInsensitive);
    setCompletionPrefix(text);
    if (!text.isEmpty())
        complete();
}
