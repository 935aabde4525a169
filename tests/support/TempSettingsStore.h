#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "platform/SqliteRegistryStore.h"
#include "settings/CRegSettings.h"

// A real settings store in a temporary folder of its own, removed with the object.
class TempSettingsStore final
{
public:
    TempSettingsStore()
        : m_store(std::make_shared<SqliteRegistryStore>(databasePath()))
    {
    }

    // The folder was made and the database opened.
    bool isValid() const { return m_dir.isValid() && m_store->isOpen(); }
    QString databasePath() const { return m_dir.filePath(QStringLiteral("registry.sqlite3")); }
    // Another file in the same temporary folder.
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    const std::shared_ptr<SqliteRegistryStore>& store() const { return m_store; }
    // A settings object addressed to the program's own section of the store.
    CRegSettings settings() const { return CRegSettings::forQuillmarch(m_store); }

private:
    QTemporaryDir m_dir;
    std::shared_ptr<SqliteRegistryStore> m_store;
};
