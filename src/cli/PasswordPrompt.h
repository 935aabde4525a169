#pragma once

#include <QString>
#include <optional>

// Asks for a password on the terminal (standard input and standard error), its typing
// not shown; nullopt when standard input is not a terminal or ends first.
std::optional<QString> askPassword(const QString& question);
