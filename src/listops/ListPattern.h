#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <memory>

#include "core/Result.h"

class LinkList;
namespace re2
{
class RE2;
}

// A pattern over a whole address, ignoring case: a wildcard, where "*" stands for any
// run of characters and "?" for one character, or, between slashes ("/\.jpe?g$/"), a
// regular expression that may match anywhere in the address. Matching takes time linear
// in the address whatever the expression, so a pattern decides every address: there is
// no backtracking limit at which an address would silently count as not matching. The
// price is the syntax of a linear-time engine: no back-references and no look-around.
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
    ListPattern(QString text, std::shared_ptr<const re2::RE2> expression);

    QString m_text;
    std::shared_ptr<const re2::RE2> m_expression; // shared: copies match alike
};
