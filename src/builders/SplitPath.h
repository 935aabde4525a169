#pragma once

#include <QString>

// The parts SplitPath returns, numbered as its callers know them. Being an enumeration,
// no caller can ask for a part that does not exist.
enum class PathPart { Drive = 0, Folder = 1, Name = 2, Extension = 3 };

// Splits a path-like string into drive, folder, name and extension and returns one of
// them: the drive ("C:"), the folder (with its trailing backslash), the name, or the
// extension (with its dot). Only the backslash separates folders, so for a web address
// the extension runs from the last dot of the whole address to its end. An absent part
// is empty.
QString SplitPath(const QString& path, PathPart part);
