#include "builders/SingleLink.h"

bool SingleLink::IsAcceptable(const QString&) { return false; }
QString SingleLink::BadFormatMessage() { return {}; }
bool SingleLink::Apply(const SingleLinkRequest&, LinkList&) { return false; }
