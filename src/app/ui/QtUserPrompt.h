#pragma once

#include <QPointer>
#include <functional>

#include "core/IUserPrompt.h"
#include "listops/EntryContext.h"

class QWidget;
class UrlHistory;

// The real "ask the user": Qt message boxes, the program's dialogs and QFileDialog
// pickers, all modal over the owner. Around every dialog and picker the owner leaves
// the topmost band (leaveTopmostBand) and returns to the band of its preference
// afterwards (restoreTopmostBand); nested dialogs call the pair once, around the
// outermost one. Message boxes stay over their owner without the band change.
class QtUserPrompt final : public IUserPrompt
{
public:
    // urlHistory: the typed URLs the URL boxes complete from and remember.
    QtUserPrompt(QWidget* owner, UrlHistory& urlHistory, std::function<void()> leaveTopmostBand,
        std::function<void()> restoreTopmostBand);

    // The entry "Program Preferences" shows the file name mask's result for.
    void setMaskExample(std::function<ListEntry()> example) { m_maskExample = std::move(example); }

    PromptAnswer message(PromptIcon icon, const QString& title, const QString& text,
        PromptButtons buttons = PromptButtons::Ok) override;
    std::optional<bool> askDesiredAction(bool defappend) override;
    std::optional<Preferences> editPreferences(const Preferences& current) override;
    std::optional<UrlRequest> askUrl(const UrlDialogInput& input) override;
    std::optional<SequenceRequest> askSequence(const SequenceDialogInput& input) override;
    std::optional<SingleLinkRequest> askSingleLink(bool defappend) override;
    std::optional<SearchRequest> askSearch() override;
    std::optional<QStringList> manageFilters(const QStringList& entries) override;
    std::optional<FileExistsAnswer> askFileExists(const QString& proposedName) override;
    QString chooseFolder(const QString& title, const QString& initialFolder) override;
    std::optional<SlideshowOptions> askSlideshowOptions(const SlideshowOptions& stored) override;
    bool askSlideshowResume() override;
    void showAbout(const QString& idleStatus) override;
    // filter is description|pattern|...; initialPath is a folder, or a file whose folder
    // the picker opens in. The chosen path is returned as the picker gives it.
    QString openFileName(
        const QString& title, const QString& filter, const QString& initialPath) override;
    QString saveFileName(
        const QString& title, const QString& filter, const QString& initialPath) override;
    std::optional<SaveTarget> exportFileName(
        const QString& title, const QString& filter, const QString& initialPath) override;

private:
    class BandScope;

    // The window a new dialog belongs to: the dialog open now, else the owner.
    QWidget* dialogParent() const;
    // filterIndex, when given, receives the chosen filter entry, whose extension a
    // typed name without one gets.
    QString pickFile(bool save, const QString& title, const QString& filter,
        const QString& initialPath, int* filterIndex = nullptr);

    QPointer<QWidget> m_owner;
    UrlHistory& m_urlHistory;
    std::function<void()> m_leaveTopmostBand;
    std::function<void()> m_restoreTopmostBand;
    int m_bandDepth = 0; // dialogs open now
    std::function<ListEntry()> m_maskExample;
};
