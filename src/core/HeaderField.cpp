#include "core/HeaderField.h"

namespace HeaderField
{

QString valueProblem(const QString& value)
{
    for (const QChar c : value) {
        if (c == u'\r' || c == u'\n')
            return QStringLiteral("it holds a line break");
        if (c == u'\0')
            return QStringLiteral("it holds a NUL character");
    }
    return {};
}

bool isToken(const QString& name)
{
    static const QString kMarks = QStringLiteral("!#$%&'*+-.^_`|~");
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool alnum
            = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
        if (!alnum && !kMarks.contains(c))
            return false;
    }
    return true;
}

QString lineProblem(const QString& line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon <= 0 || !isToken(line.left(colon)))
        return QStringLiteral("it is not \"Name: value\" with a name of letters, digits and "
                              "!#$%&'*+-.^_`|~");
    return valueProblem(line.mid(colon + 1));
}

} // namespace HeaderField
