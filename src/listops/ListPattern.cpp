#include "listops/ListPattern.h"

#include <re2/re2.h>

#include "listops/LinkList.h"

namespace
{

// "*" and "?" become their regular-expression forms; every other character stands for
// itself, so a "." or "[" in an address needs no escaping.
std::string wildcardExpression(const QString& wildcard)
{
    std::string expression = "\\A(?:";
    for (const QChar c : wildcard) {
        if (c == u'*')
            expression += ".*";
        else if (c == u'?')
            expression += '.';
        else
            expression += RE2::QuoteMeta(QString(c).toStdString());
    }
    return expression + ")\\z";
}

} // namespace

ListPattern::ListPattern(QString text, std::shared_ptr<const re2::RE2> expression)
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
    RE2::Options options;
    options.set_case_sensitive(false);
    options.set_dot_nl(true);
    options.set_log_errors(false);
    auto expression = std::make_shared<const RE2>(
        regex ? text.mid(1, text.size() - 2).toStdString() : wildcardExpression(text), options);
    if (!expression->ok())
        return Result<ListPattern>::failed(
            QStringLiteral("%1 is not a valid regular expression: %2.")
                .arg(text, QString::fromStdString(expression->error())));
    return Result<ListPattern>::ok(ListPattern(text, std::move(expression)));
}

bool ListPattern::matches(QStringView address) const
{
    const QByteArray text = address.toUtf8();
    return RE2::PartialMatch(
        re2::StringPiece(text.constData(), static_cast<size_t>(text.size())), *m_expression);
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
