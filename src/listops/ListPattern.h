#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringView>

#include "core/Result.h"

class LinkList;

// A pattern over a whole address, ignoring case: a wildcard, where "*" stands for any
// run of characters and "?" for one character, or, between slashes ("/\.jpe?g$/"), a
// regular expression that may match anywhere in the address.
class ListPattern final
{
public:
    // The pattern written as text; failed, with a message saying why, when it is empty
    // or its regular expression does not compile.
    static Result<ListPattern> parse(const QString& text);

    bool matches(QStringView address) const;
    // The rows of the list whose address matches, in list order.
    QList<int> matchingRows(const LinkList& list) const;
    const QString& text() const { return m_text; }

private:
    ListPattern(QString text, QRegularExpression expression);

    QString m_text;
    QRegularExpression m_expression;
};
