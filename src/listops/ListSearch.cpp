#include "listops/ListSearch.h"

void ListSearch::ApplyRequest(MainState&, const std::optional<SearchRequest>&) {}
bool ListSearch::run(MainState&, LinkList&, IUserPrompt&) { return false; }
