#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// What OpenWithShell answers: the address was handed to the user's handler, or no
// handler could open it.
inline constexpr int kShellOpened = 42;
inline constexpr int kShellNoHandler = 31;

// Opens a web or e-mail address with the user's default handler (never through a shell
// command line). Returns kShellOpened (42) or kShellNoHandler (31).
int OpenWithShell(QWidget* owner, const QString& target);

// Gives the edit a completer offering the URLs the user typed before and file-system
// paths. The completer belongs to the edit.
void AttachAutoComplete(QLineEdit* edit);

// Records a URL the user built a list from, most recent first, for the completers.
void RememberTypedUrl(const QString& url);
