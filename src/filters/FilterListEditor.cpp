#include "filters/FilterListEditor.h"

#include <utility>

#include "core/FilterState.h"
#include "filters/FilterStore.h"

FilterListEditor::FilterListEditor(QStringList entries)
    : m_entries(std::move(entries))
{
}

std::optional<QString> FilterListEditor::add(const QString& description, const QString& extension)
{
    const QString entry = description + QStringLiteral(" - ") + extension;
    // The new entry's extension follows the same first-separator rule as the stored ones,
    // so a description holding " - " moves the split.
    const QString newExtension = FilterStore::extensionOf(entry);
    for (const QString& existing : std::as_const(m_entries)) {
        if (FilterStore::extensionOf(existing) == newExtension)
            return newExtension;
    }
    m_entries.append(entry);
    return std::nullopt;
}

QString FilterListEditor::duplicateMessage(const QString& extension)
{
    return QStringLiteral("You already have the type \"") + extension
        + QStringLiteral("\" in the list.");
}

void FilterListEditor::remove(int index)
{
    if (index >= 0 && index < m_entries.size())
        m_entries.removeAt(index);
}

bool FilterListEditor::canAdd(const QString& description, const QString& extension) const
{
    return !description.isEmpty() && !extension.isEmpty();
}

void FilterListEditor::save(CRegSettings& settings, FilterState& state) const
{
    state.ftypes = FilterStore::extensions(m_entries);
    FilterStore::saveEntries(settings, m_entries);
}
