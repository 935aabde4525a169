#include "listops/ListPattern.h"

#include "listops/LinkList.h"

namespace
{

// "*" and "?" become their regular-expression forms; every other character stands for
// itself, so a "." or "[" in an address needs no escaping.
QString wildcardExpression(const QString& wildcard)
{
    QString expression = QStringLiteral("\\A(?:");
    for (const QChar c : wildcard) {
        if (c == u'*')
            expression += QStringLiteral(".*");
        else if (c == u'?')
            expression += u'.';
        else
            expression += QRegularExpression::escape(QString(c));
    }
    return expression + QStringLiteral(")\\z");
}

} // namespace

ListPattern::ListPattern(QString text, QRegularExpression expression)
    : m_text(std::move(text))
    , m_expression(std::move(expression))
{
}

Result<ListPattern> ListPattern::parse(const QString& text)
{
    if (text.isEmpty())
        return Result<ListPattern>::failed(QStringLiteral("Type a pattern first: a wildcard "
                                                          "such as *.jpg, or /regex/."));
    const bool regex = text.size() >= 2 && text.startsWith(u'/') && text.endsWith(u'/');
    const QRegularExpression::PatternOptions options = QRegularExpression::CaseInsensitiveOption
        | QRegularExpression::DotMatchesEverythingOption;
    QRegularExpression expression(
        regex ? text.mid(1, text.size() - 2) : wildcardExpression(text), options);
    if (!expression.isValid())
        return Result<ListPattern>::failed(
            QStringLiteral("%1 is not a valid regular expression: %2.")
                .arg(text, expression.errorString()));
    expression.optimize();
    return Result<ListPattern>::ok(ListPattern(text, std::move(expression)));
}

bool ListPattern::matches(QStringView address) const
{
    return m_expression.match(address).hasMatch();
}

QList<int> ListPattern::matchingRows(const LinkList& list) const
{
    QList<int> rows;
    for (int i = 0; i < list.count(); ++i) {
        if (matches(list.at(i)))
            rows.append(i);
    }
    return rows;
}
