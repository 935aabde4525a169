#pragma once

#include <QString>

#include "core/Result.h"

// Creates a folder the user typed, with every missing parent. A failure names the path
// and says why (no permission, a file in the way, ...).
class FolderCreation final
{
public:
    static Result<> create(const QString& path);
};
