#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class CRegSettings;
struct FilterState;

// The working copy of the filter list that the "Manage Filters" dialog edits. Entries are
// "description - extension"; no two entries may share an extension (compared with case).
class FilterListEditor final
{
public:
    explicit FilterListEditor(QStringList entries);

    const QStringList& entries() const { return m_entries; }

    // Appends "description - extension". Refused when an entry already has this
    // extension: the result is then that extension (for duplicateMessage); nullopt when
    // the entry was added.
    std::optional<QString> add(const QString& description, const QString& extension);
    // The message shown when an add is refused.
    static QString duplicateMessage(const QString& extension);
    // Removes the entry at index; an index outside the list changes nothing.
    void remove(int index);
    // Whether "Add" is available: both the description and the extension are non-empty.
    bool canAdd(const QString& description, const QString& extension) const;
    // The Save step: ftypes becomes the extensions of the entries and the stored file-type
    // list is rewritten from them.
    void save(CRegSettings& settings, FilterState& state) const;

private:
    QStringList m_entries;
};
