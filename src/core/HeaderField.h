#pragma once

#include <QString>

// The one check every value passes before it becomes part of a request's header lines:
// a referrer, a user agent, an extra header, a cookie's name or value, a header handed to
// another program. A value with a line break or NUL would end its line early and let the
// rest pass as further header lines, or as a second request.
namespace HeaderField
{

// Why value cannot stand in a header line (it holds CR, LF or NUL), or an empty text.
QString valueProblem(const QString& value);

// Whether name is an HTTP token (RFC 9110): one or more of A-Z a-z 0-9 and
// ! # $ % & ' * + - . ^ _ ` | ~.
bool isToken(const QString& name);

// Why line is not one header line "Name: value" (a token, a colon, a value that passes
// valueProblem), or an empty text.
QString lineProblem(const QString& line);

} // namespace HeaderField
