#pragma once

#include <QString>

#include "listops/EntryContext.h"

// Whether a link of a page leads to the page after it in a chain of numbered pages: the
// page marks it rel="next", or its text is "Next" (or "Next page"), "›" or "»" (alone or
// after "Next"), or the number of the following page.
class NextPageLink final
{
public:
    NextPageLink() = delete;

    static bool isNext(const ListEntry& link, const QString& page);

private:
    // The number the link's text is, or -1.
    static int numberText(const QString& text);
    // The page's own number, read where the link's address differs from the page's in a
    // number; 1 when the page's address has no number there (the first page).
    static int pageNumber(const QString& link, const QString& page);
};
