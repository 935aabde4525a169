#pragma once

#include <optional>

// The "Overwrite Action" preference: what a download does with a link whose file name
// already exists in the destination folder. Stored as "0".."3" in this order, shown
// as the four radio buttons of "Program Preferences" in this order and named by the
// command line's --exists words in this order.
enum class OverwriteAction {
    Prompt, // ask with "File Exists"
    Overwrite,
    Skip,
    Unique, // a numbered name that does not exist yet
};

// The position of an action among the stored values, radio buttons and words.
constexpr int overwriteActionIndex(OverwriteAction action)
{
    return static_cast<int>(action);
}

// The action at that position, or nullopt outside 0 to 3.
constexpr std::optional<OverwriteAction> overwriteActionAt(int index)
{
    if (index < 0 || index > 3)
        return std::nullopt;
    return static_cast<OverwriteAction>(index);
}

// A stored value read as an action: the first action (ask) when out of range.
constexpr OverwriteAction storedOverwriteAction(int index)
{
    return overwriteActionAt(index).value_or(OverwriteAction::Prompt);
}
