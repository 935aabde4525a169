#pragma once

#include "core/HarvestScope.h"

class CRegSettings;

// What a page harvest collects and whether it scrolls pages, as stored
// (SettingsTable::Collect, SettingsTable::ScrollPages, SettingsTable::LinkedFullSize and
// SettingsTable::EngineOnly).
class HarvestScopeStore final
{
public:
    // Text other than "Links", "Media" or "Both" reads as "Links".
    static HarvestScope load(const CRegSettings& settings);
    static void storeCollect(CRegSettings& settings, HarvestCollect collect);
    static void storeScroll(CRegSettings& settings, bool on);
    static void storeLinkedFullSize(CRegSettings& settings, bool on);
    static void storeEngine(CRegSettings& settings, bool on);
};
