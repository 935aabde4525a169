#include "platform/webengine/HarvestScripts.h"

#include <QFile>

namespace
{

// A script from the resources. A missing resource is a build fault, not a page's: it
// stops a debug build at once and gives an empty script (no entries) otherwise.
QString load(const QString& path)
{
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    Q_ASSERT_X(opened, "HarvestScripts", qPrintable(path));
    return opened ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

} // namespace

namespace HarvestScripts
{

const QString& noLayout()
{
    static const QString script = load(QStringLiteral(":/webengine/js/no-layout.js"));
    return script;
}

const QString& idleMedia()
{
    static const QString script = load(QStringLiteral(":/webengine/js/idle-media.js"));
    return script;
}

const QString& scrollStep()
{
    static const QString script = load(QStringLiteral(":/webengine/js/scroll-step.js"));
    return script;
}

QString collectEntries(const HarvestScope& scope)
{
    static const QString walk = load(QStringLiteral(":/webengine/js/collect-entries.js"));
    // The walk is a function of the mode: 1 links, 2 media, 3 both, 4 linked full-size
    // pictures in place of their thumbnails.
    const int mode
        = (scope.links() ? 1 : 0) | (scope.media() ? 2 : 0) | (scope.linkedFullSize ? 4 : 0);
    return walk + QStringLiteral("(%1)").arg(mode);
}

} // namespace HarvestScripts
