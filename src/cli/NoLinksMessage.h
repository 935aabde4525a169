#pragma once

#include <QString>

#include "cli/CliOptions.h"
#include "core/FilterState.h"
#include "core/Preferences.h"

// The message of a list that came out empty. It names the filters and exclusions in
// effect, each with where it comes from, so that a stored preference a script did not
// know about is seen: "Error: no links were found, or none passed these: the file types
// zip, pdf (stored filters; --no-filters turns them off), ...".
QString noLinksMessage(
    const FilterState& filters, const Preferences& prefs, const CliOptions& options);
