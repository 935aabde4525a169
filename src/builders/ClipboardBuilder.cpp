#include "builders/ClipboardBuilder.h"

ClipboardOutcome ClipboardBuilder::run(MainState&, LinkList&, IUserPrompt&, const QString&) { return ClipboardOutcome::NoText; }
QString ClipboardBuilder::noTextMessage() { return {}; }
QString ClipboardBuilder::noLinksMessage() { return {}; }
bool ClipboardBuilder::isLink(QStringView) { return false; }
