#include "builders/SequenceBuilder.h"

QString SequenceBuilder::FormatWithMask(qint64 n, int) { return QString::number(n); }
int SequenceBuilder::OnlyNum(int k) { return k; }
QStringList SequenceBuilder::NumberItems(int) { return {}; }
SequenceResult SequenceBuilder::Build(const SequenceRequest&, LinkList&) { return {}; }
QString SequenceBuilder::SelectionMissingMessage() { return {}; }
