#include "builders/FieldReader.h"

#include <QIODevice>

FieldReader::FieldReader(QIODevice& device) : m_device(device) {}
bool FieldReader::atEnd() { return true; }
std::optional<QString> FieldReader::next(QString*) { return std::nullopt; }
