#include "settings/CRegSettings.h"

#include <utility>

const QString CRegSettings::kDefaultCompany = QStringLiteral("Corvid Lantern");
const QString CRegSettings::kDefaultAppName = QStringLiteral("Quillmarch");

namespace
{

// "*" names the section's unnamed default value, which the store keeps under "".
QString valueName(const QString& Key)
{
    return Key == QLatin1String("*") ? QString() : Key;
}

// A stored text without its terminator. The caller has ruled out the zero-length value.
QString storedText(const QByteArray& data)
{
    return QString::fromUtf8(data.left(data.size() - 1));
}

} // namespace

CRegSettings::CRegSettings(std::shared_ptr<IRegistryStore> store)
    : m_store(std::move(store))
    , m_company(kDefaultCompany)
    , m_appName(kDefaultAppName)
{
}

QString CRegSettings::Company() const
{
    return m_company;
}

void CRegSettings::setCompany(const QString& company)
{
    const QString trimmed = company.trimmed();
    m_company = trimmed.isEmpty() ? kDefaultCompany : trimmed;
}

QString CRegSettings::AppName() const
{
    return m_appName;
}

void CRegSettings::setAppName(const QString& appName)
{
    const QString trimmed = appName.trimmed();
    m_appName = trimmed.isEmpty() ? kDefaultAppName : trimmed;
}

QString CRegSettings::keyPath(const QString& Section) const
{
    QString path = QStringLiteral("Software\\") + m_company + QLatin1Char('\\') + m_appName;
    if (!Section.isEmpty())
        path += QLatin1Char('\\') + Section;
    return path;
}

QString CRegSettings::GetSetting(
    const QString& Section, const QString& Key, const QString& Default) const
{
    if (!m_store)
        return Default;
    const auto value = m_store->readValue(keyPath(Section), valueName(Key));
    // A value stored with length 0 has no text, not even an empty one.
    if (!value || value->data.isEmpty())
        return Default;
    return storedText(value->data);
}

bool CRegSettings::SaveSetting(const QString& Section, const QString& Key, const QString& Setting)
{
    if (!m_store)
        return false;
    return m_store->writeValue(keyPath(Section), RegValue::text(valueName(Key), Setting));
}

QList<QPair<QString, QString>> CRegSettings::GetAllSettings(const QString& Section) const
{
    QList<QPair<QString, QString>> result;
    if (!m_store)
        return result;
    for (const RegValue& value : m_store->values(keyPath(Section))) {
        if (value.type != RegValueType::Text)
            continue;
        result.append({ value.name, value.data.isEmpty() ? QString() : storedText(value.data) });
    }
    return result;
}

bool CRegSettings::DeleteSetting(const QString& Section, const QString& Key)
{
    if (!m_store)
        return false;
    if (!Key.isEmpty())
        return m_store->deleteValue(keyPath(Section), valueName(Key));
    // An empty Section with an empty Key would name the application key itself, which
    // holds every section: that is never a single setting's deletion, so it is refused.
    if (Section.isEmpty())
        return false;
    return m_store->deleteSection(keyPath(Section));
}

CRegSettings CRegSettings::forQuillmarch(std::shared_ptr<IRegistryStore> store)
{
    CRegSettings settings(std::move(store));
    settings.setCompany(QStringLiteral("Corvid Lantern"));
    settings.setAppName(QStringLiteral("Quillmarch"));
    return settings;
}

CRegSettings::WriteBatch::WriteBatch(std::shared_ptr<IRegistryStore> store)
    : m_store(std::move(store))
{
    if (m_store)
        m_store->beginBatch();
}

CRegSettings::WriteBatch::~WriteBatch()
{
    if (m_store)
        m_store->endBatch();
}
