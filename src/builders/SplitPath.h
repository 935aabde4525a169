#pragma once

#include <QString>

// Splits a path-like string into drive, folder, name and extension and returns one of
// them: part 0 drive ("C:"), 1 folder (with its trailing backslash), 2 name, 3 extension
// (with its dot). Only the backslash separates folders, so for a web address the
// extension runs from the last dot of the whole address to its end. An absent part is
// empty. Any other part throws std::invalid_argument.
QString SplitPath(const QString& path, int part);
