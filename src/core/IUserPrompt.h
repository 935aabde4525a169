#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "core/DialogRequests.h"

enum class PromptIcon { None, Information, Question, Exclamation, Critical };
// With YesNoCancel, "Cancel" and closing the box answer Closed.
enum class PromptButtons { Ok, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Yes, No, Closed };

// The one way the program asks the user anything: every message box and every modal
// dialog goes through here, so the logic can be driven by tests that answer them.
// The real implementation shows Qt dialogs and takes the main window out of the
// topmost band while each one is open.
class IUserPrompt
{
public:
    virtual ~IUserPrompt() = default;

    virtual PromptAnswer message(PromptIcon icon, const QString& title, const QString& text,
        PromptButtons buttons = PromptButtons::Ok)
        = 0;

    // "Select Desired Action": true = append, false = new list, nullopt = closed
    // without "OK" (the caller keeps its earlier choice).
    virtual std::optional<bool> askDesiredAction(bool defappend) = 0;

    virtual std::optional<Preferences> editPreferences(const Preferences& current) = 0;
    virtual std::optional<UrlRequest> askUrl(const UrlDialogInput& input) = 0;
    virtual std::optional<SequenceRequest> askSequence(const SequenceDialogInput& input) = 0;
    virtual std::optional<SingleLinkRequest> askSingleLink(bool defappend) = 0;
    virtual std::optional<SearchRequest> askSearch() = 0;
    // "Slide Show Options": the choices on "Start", nullopt on "Cancel" or when the
    // dialog was closed.
    virtual std::optional<SlideshowOptions> askSlideshowOptions(const SlideshowOptions& stored) = 0;
    // "Slideshow Paused": true for "Resume Slideshow"; "Stop Slideshow" or closing the
    // dialog answer false.
    virtual bool askSlideshowResume() = 0;
    // "About...", with the idle status text it shows.
    virtual void showAbout(const QString& idleStatus) = 0;
    // Returns the edited filter entries when the user pressed "Save".
    virtual std::optional<QStringList> manageFilters(const QStringList& entries) = 0;

    // "File Exists" for a name about to be saved; nullopt when it was closed without "OK".
    virtual std::optional<FileExistsAnswer> askFileExists(const QString& proposedName) = 0;

    // Folder picker with the initial folder preselected; the chosen folder exactly as
    // the picker gives it, or an empty text when the user cancelled.
    virtual QString chooseFolder(const QString& title, const QString& initialFolder) = 0;

    // File pickers; an empty result means the user cancelled.
    virtual QString openFileName(
        const QString& title, const QString& filter, const QString& initialPath)
        = 0;
    virtual QString saveFileName(
        const QString& title, const QString& filter, const QString& initialPath)
        = 0;
    // The save picker of an export, whose filter's entries are formats: a name typed
    // without an extension gets the chosen entry's. nullopt when the user cancelled; a
    // prompt that cannot show a picker (the terminal's) answers so.
    virtual std::optional<SaveTarget> exportFileName(
        const QString& title, const QString& filter, const QString& initialPath)
    {
        Q_UNUSED(title);
        Q_UNUSED(filter);
        Q_UNUSED(initialPath);
        return std::nullopt;
    }
};
