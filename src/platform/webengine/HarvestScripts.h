#pragma once

#include <QString>

#include "core/HarvestScope.h"

// The scripts the harvest runs in a page, compiled in from js/ as Qt resources. Each is
// read once and kept for the life of the process.
namespace HarvestScripts
{

// Takes every document out of the layout from its creation (see js/no-layout.js).
const QString& noLayout();
// Keeps every audio and video element from loading (see js/idle-media.js).
const QString& idleMedia();
// One scroll step: scrolls to the bottom and evaluates to the height before the scroll.
const QString& scrollStep();
// The entries walk for the scope: evaluates to [docs, items, kinds] (see
// js/collect-entries.js).
QString collectEntries(const HarvestScope& scope);

} // namespace HarvestScripts
