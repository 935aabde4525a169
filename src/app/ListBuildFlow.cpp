#include "app/ListBuildFlow.h"

#include "app/PreferencesStore.h"
#include "builders/ClipboardBuilder.h"
#include "builders/FileBuilder.h"
#include "builders/SequenceBuilder.h"
#include "core/IMainView.h"
#include "core/IUserPrompt.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "listops/ListFile.h"
#include "listops/ListLimit.h"

ListBuildFlow::ListBuildFlow(
    MainState& state, LinkList& list, IMainView& view, IUserPrompt& prompt, CRegSettings& regset)
    : m_state(state)
    , m_list(list)
    , m_view(view)
    , m_prompt(prompt)
    , m_regset(regset)
{
}

void ListBuildFlow::askAppendIfNotEmpty()
{
    if (m_list.isEmpty())
        return;
    if (const std::optional<bool> answer = m_prompt.askDesiredAction(m_state.prefs.defappend))
        m_state.append = *answer;
}

void ListBuildFlow::buildFromText(const QString& text)
{
    const Result<TextLinks> found = ClipboardBuilder::scan(text, m_state.prefs);
    if (!found) {
        m_prompt.message(PromptIcon::Critical, QStringLiteral("Oops!"), found.message());
    } else {
        askAppendIfNotEmpty();
        const ListAddition added = ClipboardBuilder::apply(found.value(), m_state.append, m_list);
        if (added.notAdded > 0)
            m_prompt.message(
                PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(added.notAdded));
    }
    m_view.SetListExtent();
}

void ListBuildFlow::buildFromFile()
{
    const QString path = m_prompt.openFileName(QStringLiteral("Select file to import..."),
        ListFile::filter(), lastUsedSaveFolder(m_regset));
    if (path.isEmpty())
        return;
    m_view.setWaitPointer(true);
    setLastUsedSaveFolder(m_regset, path);
    const FileItems items = FileBuilder::read(path, m_state.prefs);
    if (items.found && !m_list.isEmpty()) {
        m_view.setWaitPointer(false);
        askAppendIfNotEmpty();
    }
    const FileBuild built = FileBuilder::apply(items, m_state.append, m_list);
    if (built.limitReached)
        m_prompt.message(PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(0));
    else if (!items.stop)
        m_prompt.message(PromptIcon::Critical, items.stopTitle, items.stop.message());
    m_view.SetListExtent();
    m_view.setLinkCount(m_list.count());
    m_view.returnToIdle();
}

void ListBuildFlow::buildSequence(const QString& clipboardText)
{
    const std::optional<SequenceRequest> request
        = m_prompt.askSequence(SequenceDialogInput { m_state.prefs.defappend, clipboardText });
    if (request) {
        const Result<SequenceRun> built = SequenceBuilder::build(*request, m_list);
        if (!built)
            m_prompt.message(PromptIcon::Exclamation, QStringLiteral("Error"), built.message());
        else if (built.value().limitReached)
            m_prompt.message(PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(-1));
    }
    m_view.SetListExtent();
}
