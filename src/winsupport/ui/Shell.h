#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class IRegistryStore;
class QLineEdit;
class QUrl;
class QWidget;

// What OpenWithShell answers: the address was handed to the user's handler, or no
// handler could open it.
inline constexpr int kShellOpened = 42;
inline constexpr int kShellNoHandler = 31;

// Opens a web address (http, https, ftp, ftps), an e-mail address (mailto:) or an
// existing local folder with the user's default handler. Nothing is ever passed to a
// shell. Other targets (local files, unknown schemes, blank text) are refused, so a page
// or a list entry cannot make the program launch a file. Returns kShellOpened (42) when
// a handler took the address, kShellNoHandler (31) otherwise. owner is the window the
// request comes from; it is not needed by the Linux handlers.
int OpenWithShell(QWidget* owner, const QString& target);

// The function that hands an address to the desktop; QDesktopServices::openUrl unless
// replaced. Passing an empty function restores the default.
using ShellOpener = std::function<bool(const QUrl&)>;
void setShellOpener(ShellOpener opener);

// Gives the edit a completer offering the URLs the user built lists from (case-insensitive
// prefix match) and, once the text starts with "/", the file-system paths below it. The
// file system is read only when a path is typed, one folder at a time. The completer
// belongs to the edit.
void AttachAutoComplete(QLineEdit* edit);

// Records a URL the user built a list from, most recent first (at most 200 are kept),
// for every completer; the history is kept in the user's settings, section "URL History".
void RememberTypedUrl(const QString& url);

// The remembered URLs, most recent first.
QStringList TypedUrls();

// The settings store that keeps the typed URLs. Without this call the user's own store is
// opened on first use; a null store keeps them in memory only. Replaces the list in
// memory with the one kept in the given store.
void UseUrlHistoryStore(std::shared_ptr<IRegistryStore> store);
