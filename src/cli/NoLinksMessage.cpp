#include "cli/NoLinksMessage.h"

#include <QStringList>

#include "core/HarvestScope.h"

QString noLinksMessage(
    const FilterState& filters, const Preferences& prefs, const CliOptions& options)
{
    QStringList inEffect;
    if (filters.filterActive())
        inEffect.append(QStringLiteral("the file types %1 (%2)")
                            .arg(filters.ftypes.join(QStringLiteral(", ")),
                                options.filters.isEmpty()
                                    ? QStringLiteral("stored filters; --no-filters turns them off")
                                    : QStringLiteral("--filter")));
    if (prefs.exjs)
        inEffect.append(QStringLiteral("leaving out javascript: links (%1)")
                            .arg(options.excludeJs ? QStringLiteral("--exclude-js")
                                                   : QStringLiteral("stored preference")));
    if (prefs.exmt)
        inEffect.append(QStringLiteral("leaving out mailto links (%1)")
                            .arg(options.excludeMailto ? QStringLiteral("--exclude-mailto")
                                                       : QStringLiteral("stored preference")));
    if (!options.matchPatterns.isEmpty())
        inEffect.append(
            QStringLiteral("--match ") + options.matchPatterns.join(QStringLiteral(", ")));
    if (!options.rejectPatterns.isEmpty())
        inEffect.append(
            QStringLiteral("--reject ") + options.rejectPatterns.join(QStringLiteral(", ")));
    const QString nothing
        = nothingFoundText(options.command == CliOptions::Command::Harvest ? options.harvest.collect
                                                                           : HarvestCollect::Links);
    if (inEffect.isEmpty())
        return QStringLiteral("Error: %1.").arg(nothing);
    return QStringLiteral("Error: %1, or none passed these: %2.")
        .arg(nothing, inEffect.join(QStringLiteral("; ")));
}
