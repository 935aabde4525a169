#pragma once

#include <QString>
#include <QtGlobal>

#include "core/FailureKind.h"

// The status codes a failed page load reports (URL-moniker codes 0x800C.... and HTTP
// status codes), named as the navigation error table names them.
namespace NavigationStatus
{
inline constexpr qint32 code(quint32 value)
{
    return static_cast<qint32>(value);
}
inline constexpr qint32 INET_E_INVALID_URL = code(0x800C0002u);
inline constexpr qint32 INET_E_NO_SESSION = code(0x800C0003u);
inline constexpr qint32 INET_E_CANNOT_CONNECT = code(0x800C0004u);
inline constexpr qint32 INET_E_RESOURCE_NOT_FOUND = code(0x800C0005u);
inline constexpr qint32 INET_E_OBJECT_NOT_FOUND = code(0x800C0006u);
inline constexpr qint32 INET_E_DATA_NOT_AVAILABLE = code(0x800C0007u);
inline constexpr qint32 INET_E_DOWNLOAD_FAILURE = code(0x800C0008u);
inline constexpr qint32 INET_E_AUTHENTICATION_REQUIRED = code(0x800C0009u);
inline constexpr qint32 INET_E_NO_VALID_MEDIA = code(0x800C000Au);
inline constexpr qint32 INET_E_CONNECTION_TIMEOUT = code(0x800C000Bu);
inline constexpr qint32 INET_E_INVALID_REQUEST = code(0x800C000Cu);
inline constexpr qint32 INET_E_UNKNOWN_PROTOCOL = code(0x800C000Du);
inline constexpr qint32 INET_E_SECURITY_PROBLEM = code(0x800C000Eu);
inline constexpr qint32 INET_E_CANNOT_LOAD_DATA = code(0x800C000Fu);
inline constexpr qint32 INET_E_CANNOT_INSTANTIATE_OBJECT = code(0x800C0010u);
inline constexpr qint32 INET_E_REDIRECT_FAILED = code(0x800C0014u);
inline constexpr qint32 INET_E_REDIRECT_TO_DIR = code(0x800C0015u);
inline constexpr qint32 INET_E_CANNOT_LOCK_REQUEST = code(0x800C0016u);
inline constexpr qint32 INET_E_USE_EXTEND_BINDING = code(0x800C0017u);
inline constexpr qint32 INET_E_TERMINATED_BIND = code(0x800C0018u);
inline constexpr qint32 INET_E_CODE_DOWNLOAD_DECLINED = code(0x800C0100u);
inline constexpr qint32 INET_E_RESULT_DISPATCHED = code(0x800C0200u);
inline constexpr qint32 INET_E_CANNOT_REPLACE_SFP_FILE = code(0x800C0300u);
} // namespace NavigationStatus

// The one-line message for a navigation status code. Several messages end in a space,
// which belongs to the message. A code without a message gives its signed decimal text.
QString navigationErrorMessage(qint32 statusCode);

// A failed page load as the command line tells it: what went wrong in a few words
// ("host not found", "401 Unauthorized") and its kind.
struct NavigationCause {
    FailureKind kind = FailureKind::Other;
    QString text;
};
NavigationCause navigationCause(qint32 statusCode);
