#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <memory>

#include "settings/IRegistryStore.h"

// The program's only way to its settings: text values addressed by section and key under
// "Software\<Company>\<AppName>\<Section>". Holds no state besides the two names; every
// call goes to the store, so several objects see each other's writes at once.
// No operation throws: a failure shows as the default, an empty list or false.
class CRegSettings final
{
public:
    explicit CRegSettings(std::shared_ptr<IRegistryStore> store);

    QString Company() const;
    // Trimmed; an empty text restores the built-in default.
    void setCompany(const QString& company);
    QString AppName() const;
    // Trimmed; an empty text restores the product name.
    void setAppName(const QString& appName);

    // The stored text, or Default when the section or value is missing or stored with
    // length 0. Key "*" is the section's unnamed default value.
    QString GetSetting(const QString& Section, const QString& Key, const QString& Default) const;
    // Writes Setting as a text value, creating the section. True when written.
    bool SaveSetting(const QString& Section, const QString& Key, const QString& Setting);
    // (name, text) of the section's text values in creation order; other value kinds are
    // skipped. An empty list is the empty result.
    QList<QPair<QString, QString>> GetAllSettings(const QString& Section) const;
    // Deletes one value, or with Key "" the whole section with its values.
    bool DeleteSetting(const QString& Section, const QString& Key);

    // A settings object addressed to Company "Corvid Lantern", AppName "Quillmarch".
    static CRegSettings forQuillmarch(std::shared_ptr<IRegistryStore> store);

    // Holds the writes made through any settings object on the same store in one
    // transaction until it is destroyed (see IRegistryStore::beginBatch).
    class WriteBatch final
    {
    public:
        explicit WriteBatch(std::shared_ptr<IRegistryStore> store);
        ~WriteBatch();
        WriteBatch(const WriteBatch&) = delete;
        WriteBatch& operator=(const WriteBatch&) = delete;

    private:
        std::shared_ptr<IRegistryStore> m_store;
    };
    WriteBatch batch() const { return WriteBatch(m_store); }

    static const QString kDefaultCompany;
    static const QString kDefaultAppName;

    // "Software\<Company>\<AppName>" plus "\<Section>" when Section is not empty.
    QString keyPath(const QString& Section) const;

private:
    std::shared_ptr<IRegistryStore> m_store;
    QString m_company;
    QString m_appName;
};
