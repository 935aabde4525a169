#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QLineEdit;
class QUrl;
class QWidget;
class UrlHistory;

// What OpenWithShell answers: the address was handed to the user's handler, or no
// handler could open it.
inline constexpr int kShellOpened = 42;
inline constexpr int kShellNoHandler = 31;

// Opens a web address (http, https, ftp, ftps), an e-mail address (mailto:) or an
// existing local folder with the user's default handler. Nothing is ever passed to a
// shell. Other targets (local files, unknown schemes, blank text) are refused, so a page
// or a list entry cannot make the program launch a file. Returns kShellOpened (42) when
// the address was handed to xdg-open, kShellNoHandler (31) when it was refused or
// xdg-open is missing. xdg-open is not waited for; when it reports later that nothing
// could open the address (no tool or no program for it), noHandlerLater is called, unless
// owner is gone by then.
int OpenWithShell(QWidget* owner, const QString& target, std::function<void()> noHandlerLater = {});

// The function that hands an address to the desktop; xdg-open unless replaced (a
// replacement answers at once and noHandlerLater is never called). Passing an empty
// function restores the default.
using ShellOpener = std::function<bool(const QUrl&)>;
void setShellOpener(ShellOpener opener);

// Gives the edit a completer offering the URLs of the history (case-insensitive prefix
// match, following the history as it changes) and, once the text starts with "/", the
// file-system paths below it. The file system is read only when a path is typed, one
// folder at a time. The completer belongs to the edit; the history must outlive it.
void AttachAutoComplete(QLineEdit* edit, UrlHistory& history);
