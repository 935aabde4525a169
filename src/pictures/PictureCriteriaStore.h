#pragma once

#include "pictures/PictureCriteria.h"

class CRegSettings;

// The picture view's filters and order as stored between runs
// (SettingsTable::PictureChoices), as one line of "name=value" pairs joined by ";".
// Unknown names and unreadable values read as the defaults.
class PictureCriteriaStore final
{
public:
    static PictureCriteria load(const CRegSettings& settings);
    static void store(CRegSettings& settings, const PictureCriteria& criteria);

    static QString encode(const PictureCriteria& criteria);
    static PictureCriteria decode(const QString& text);
};
