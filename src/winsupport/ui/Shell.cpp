#include "winsupport/ui/Shell.h"

#include <QDesktopServices>
#include <QUrl>

int OpenWithShell(QWidget*, const QString& target)
{
    return QDesktopServices::openUrl(QUrl(target)) ? kShellOpened : kShellNoHandler;
}

void AttachAutoComplete(QLineEdit*) {}

void RememberTypedUrl(const QString&) {}
