#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// What a page harvest collects: the page's links (anchors and areas), its media (images,
// video, audio, backgrounds, embedded objects) or both.
enum class HarvestCollect {
    Links,
    Media,
    Both,
};

// The stored and displayed name of a choice: "Links", "Media", "Both".
inline QString harvestCollectName(HarvestCollect collect)
{
    switch (collect) {
    case HarvestCollect::Links:
        return QStringLiteral("Links");
    case HarvestCollect::Media:
        return QStringLiteral("Media");
    case HarvestCollect::Both:
        return QStringLiteral("Both");
    }
    return QStringLiteral("Links");
}

// The choice a name stands for, in any letter case; nullopt for any other text.
inline std::optional<HarvestCollect> harvestCollectFromName(QStringView name)
{
    for (HarvestCollect collect :
        { HarvestCollect::Links, HarvestCollect::Media, HarvestCollect::Both }) {
        if (name.compare(harvestCollectName(collect), Qt::CaseInsensitive) == 0)
            return collect;
    }
    return std::nullopt;
}

// What a harvest that gave nothing says, after what it collects: "no links were found",
// "no media were found" or "no links or media were found".
inline QString nothingFoundText(HarvestCollect collect)
{
    switch (collect) {
    case HarvestCollect::Links:
        break;
    case HarvestCollect::Media:
        return QStringLiteral("no media were found");
    case HarvestCollect::Both:
        return QStringLiteral("no links or media were found");
    }
    return QStringLiteral("no links were found");
}

// How every page harvest runs: what it collects and whether the page is first scrolled
// down step by step, so content a page adds while it is scrolled is there too. With
// linkedFullSize, a picture inside a link to a picture (a gallery's thumbnail) is listed
// as the linked picture, the thumbnail kept in the entry's context.
struct HarvestScope {
    HarvestCollect collect = HarvestCollect::Links;
    bool scroll = false;
    bool linkedFullSize = true;
    // Every page loads in the browser engine; otherwise a page that cannot change itself
    // may be read by an HTML parser instead, which gives the same entries faster.
    bool engine = false;

    bool links() const { return collect != HarvestCollect::Media; }
    bool media() const { return collect != HarvestCollect::Links; }
    friend bool operator==(const HarvestScope&, const HarvestScope&) = default;
};
