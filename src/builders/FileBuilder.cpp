#include "builders/FileBuilder.h"

FileBuildResult FileBuilder::run(const QString&, MainState&, LinkList&, IUserPrompt&, IMainView*) { return {}; }
QString FileBuilder::badFormatMessage() { return {}; }
bool FileBuilder::isValidItem(QStringView) { return false; }
