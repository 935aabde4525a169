#include "filters/HarvestScopeStore.h"

#include "core/SettingsTable.h"
#include "settings/CRegSettings.h"
#include "settings/TypedSettings.h"

HarvestScope HarvestScopeStore::load(const CRegSettings& settings)
{
    HarvestScope scope;
    scope.collect
        = harvestCollectFromName(TypedSettings::readText(settings, SettingsTable::Collect))
              .value_or(HarvestCollect::Links);
    scope.scroll = TypedSettings::readBool(settings, SettingsTable::ScrollPages);
    scope.linkedFullSize = TypedSettings::readBool(settings, SettingsTable::LinkedFullSize);
    scope.engine = TypedSettings::readBool(settings, SettingsTable::EngineOnly);
    return scope;
}

void HarvestScopeStore::storeCollect(CRegSettings& settings, HarvestCollect collect)
{
    TypedSettings::writeText(settings, SettingsTable::Collect, harvestCollectName(collect));
}

void HarvestScopeStore::storeScroll(CRegSettings& settings, bool on)
{
    TypedSettings::writeBool(settings, SettingsTable::ScrollPages, on);
}

void HarvestScopeStore::storeLinkedFullSize(CRegSettings& settings, bool on)
{
    TypedSettings::writeBool(settings, SettingsTable::LinkedFullSize, on);
}

void HarvestScopeStore::storeEngine(CRegSettings& settings, bool on)
{
    TypedSettings::writeBool(settings, SettingsTable::EngineOnly, on);
}
