#include "app/ui/ListCommands.h"

#include <QFileInfo>
#include <QItemSelection>

#include "app/PreferencesStore.h"
#include "builders/SingleLink.h"
#include "core/IMainView.h"
#include "core/IUserPrompt.h"
#include "core/MainState.h"
#include "listops/EntryWriter.h"
#include "listops/LinkList.h"
#include "listops/ListFile.h"
#include "listops/ListHistory.h"
#include "listops/ListLimit.h"
#include "listops/ListPattern.h"
#include "listops/ListSearch.h"
#include "settings/CRegSettings.h"

ListCommands::ListCommands(MainState& state, LinkList& list, ListHistory& history, IMainView& view,
    IUserPrompt& prompt, CRegSettings& regset, std::function<QString()> clipboardText)
    : m_state(state)
    , m_list(list)
    , m_history(history)
    , m_view(view)
    , m_prompt(prompt)
    , m_regset(regset)
    , m_clipboardText(std::move(clipboardText))
    , m_builds(state, list, view, prompt, regset)
{
}

void ListCommands::buildFromClipboard()
{
    m_builds.buildFromText(m_clipboardText());
}

void ListCommands::buildFromText(const QString& text)
{
    m_builds.buildFromText(text);
}

void ListCommands::buildFromFile()
{
    m_builds.buildFromFile();
}

void ListCommands::buildSequence()
{
    m_builds.buildSequence(m_clipboardText());
}

void ListCommands::addSingleLink()
{
    const std::optional<SingleLinkRequest> request
        = m_prompt.askSingleLink(m_state.prefs.defappend);
    if (!request)
        return;
    if (const Result<> added = SingleLink::apply(*request, m_list); !added)
        m_prompt.message(PromptIcon::Exclamation, ListLimit::title(), added.message());
    // A long link must be reachable with the scroll bar like any other entry.
    m_view.SetListExtent();
}

void ListCommands::search()
{
    ListSearch::applyRequest(m_state.search, m_prompt.askSearch());
    ListSearch::run(m_state.search, m_list, m_prompt);
}

void ListCommands::selectAll()
{
    m_list.setRangeSelected(0, m_list.count() - 1, true);
}

void ListCommands::clear()
{
    m_list.clear();
}

void ListCommands::removeCurrent()
{
    m_list.removeAt(m_list.currentIndex());
}

void ListCommands::removeSelected()
{
    m_list.removeRows(m_list.selectedIndexes());
}

void ListCommands::undo()
{
    historyMoved(m_history.undo());
}

void ListCommands::redo()
{
    historyMoved(m_history.redo());
}

void ListCommands::historyMoved(bool moved)
{
    if (moved)
        m_view.SetListExtent();
}

bool ListCommands::applyPattern(PatternAction action, const QString& patternText)
{
    const Result<ListPattern> pattern = ListPattern::parse(patternText);
    if (!pattern) {
        m_prompt.message(PromptIcon::Exclamation, QStringLiteral("Pattern"), pattern.message());
        return false;
    }
    const QList<int> matching = pattern.value().matchingRows(m_list);
    m_view.setStatus(StatusKind::Other,
        QStringLiteral("%1 of %2 entries match").arg(matching.size()).arg(m_list.count()));
    switch (action) {
    case PatternAction::Select: {
        QItemSelection selection;
        for (int row : matching)
            selection.select(m_list.index(row), m_list.index(row));
        m_list.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        if (!matching.isEmpty()) {
            m_list.setCurrentIndex(matching.first());
            m_list.setTopIndex(matching.first());
        }
        break;
    }
    case PatternAction::Remove:
        m_list.removeRows(matching);
        break;
    case PatternAction::Keep: {
        QList<int> others;
        qsizetype next = 0;
        for (int row = 0; row < m_list.count(); ++row) {
            if (next < matching.size() && matching.at(next) == row)
                ++next;
            else
                others.append(row);
        }
        m_list.removeRows(others);
        break;
    }
    }
    return true;
}

// Save replaces the chosen file (the picker confirms that); append needs an existing
// file and adds after its content. The chosen path is remembered before the file is
// touched; a failure is reported and leaves the old content as it was.
void ListCommands::writeListFile(FileMode mode)
{
    const QString filter = ListFile::filter();
    const QString initial = lastUsedSaveFolder(m_regset);
    const QString path = mode == FileMode::Replace
        ? m_prompt.saveFileName(QStringLiteral("Save file as..."), filter, initial)
        : m_prompt.openFileName(QStringLiteral("Append to..."), filter, initial);
    if (path.isEmpty())
        return;
    setLastUsedSaveFolder(m_regset, path);
    const Result<> written = mode == FileMode::Replace ? ListFile::save(path, m_list.entries())
                                                       : ListFile::append(path, m_list.entries());
    if (!written)
        m_prompt.message(PromptIcon::Critical, QStringLiteral("Error"), written.message());
}

void ListCommands::exportList()
{
    const std::optional<SaveTarget> target = m_prompt.exportFileName(
        QStringLiteral("Export list"), EntryWriter::exportFilter(), lastExportFolder(m_regset));
    if (!target || target->path.isEmpty())
        return;
    const Result<> written
        = EntryWriter::save(target->path, EntryWriter::exportFormatAt(target->filterIndex), m_list);
    if (!written) {
        m_prompt.message(PromptIcon::Critical, QStringLiteral("Error"), written.message());
        return;
    }
    setLastExportFolder(m_regset, QFileInfo(target->path).absolutePath());
}
