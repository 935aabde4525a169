#include "listops/ListFile.h"

QString ListFile::Filter() { return {}; }
QString ListFile::QtFilter(const QString&) { return {}; }
bool ListFile::Save(const QString&, const QStringList&, QString*) { return false; }
bool ListFile::Append(const QString&, const QStringList&, QString*) { return false; }
