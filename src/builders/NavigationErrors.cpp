#include "builders/NavigationErrors.h"

#include <QHash>

namespace
{

const QHash<qint32, QString>& messages()
{
    using namespace NavigationStatus;
    static const QHash<qint32, QString> table {
        { INET_E_INVALID_URL, QStringLiteral("URL string is not valid.") },
        { INET_E_NO_SESSION, QStringLiteral("No session found.") },
        { INET_E_CANNOT_CONNECT, QStringLiteral("Unable to connect to server.") },
        { INET_E_RESOURCE_NOT_FOUND, QStringLiteral("Requested resource is not found.") },
        { INET_E_OBJECT_NOT_FOUND, QStringLiteral("Requested object is not found.") },
        { INET_E_DATA_NOT_AVAILABLE, QStringLiteral("Requested data is not available.") },
        { INET_E_DOWNLOAD_FAILURE, QStringLiteral("Failure occurred during download.") },
        { INET_E_AUTHENTICATION_REQUIRED,
            QStringLiteral("Requested navigation requires authentication.") },
        { INET_E_NO_VALID_MEDIA, QStringLiteral("Required media not available or valid.") },
        { INET_E_CONNECTION_TIMEOUT, QStringLiteral("Connection timed out.") },
        { INET_E_INVALID_REQUEST, QStringLiteral("Request is invalid.") },
        { INET_E_UNKNOWN_PROTOCOL, QStringLiteral("Protocol is not recognized.") },
        { INET_E_SECURITY_PROBLEM,
            QStringLiteral("Navigation request has encountered a security issue.") },
        { INET_E_CANNOT_LOAD_DATA, QStringLiteral("Unable to load data from the server. ") },
        { INET_E_CANNOT_INSTANTIATE_OBJECT,
            QStringLiteral("Unable to create an instance of the object.") },
        { INET_E_REDIRECT_FAILED, QStringLiteral("Attempt to redirect the navigation failed.") },
        { INET_E_REDIRECT_TO_DIR, QStringLiteral("Navigation redirected to a directory.") },
        { INET_E_CANNOT_LOCK_REQUEST, QStringLiteral("Unable to lock request with the server.") },
        { INET_E_USE_EXTEND_BINDING, QStringLiteral("Reissue request with extended binding.") },
        { INET_E_TERMINATED_BIND, QStringLiteral("Binding is terminated.") },
        { INET_E_CODE_DOWNLOAD_DECLINED, QStringLiteral("Permission to download is declined.") },
        { INET_E_RESULT_DISPATCHED, QStringLiteral("Result is dispatched.") },
        { INET_E_CANNOT_REPLACE_SFP_FILE,
            QStringLiteral("Cannot replace a protected System File Protection (SFP) file.") },
        { 400, QStringLiteral("Invalid syntax. ") },
        { 401, QStringLiteral("Access denied. ") },
        { 402, QStringLiteral("Payment required. ") },
        { 403, QStringLiteral("Request forbidden. ") },
        { 404, QStringLiteral("Object not found. ") },
        { 405, QStringLiteral("Method is not allowed. ") },
        { 406, QStringLiteral("No response acceptable to client found. ") },
        { 407, QStringLiteral("Proxy authentication required. ") },
        { 408, QStringLiteral("Server timed out waiting for request. ") },
        { 409, QStringLiteral("User should resubmit with more info. ") },
        { 410, QStringLiteral("Resource is no longer available. ") },
        { 411, QStringLiteral("Server refused to accept request without a length. ") },
        { 412, QStringLiteral("Precondition given in request failed. ") },
        { 413, QStringLiteral("Request entity was too large. ") },
        { 414, QStringLiteral("Request Uniform Resource Identifier (URI) too long. ") },
        { 415, QStringLiteral("Unsupported media type. ") },
        { 449, QStringLiteral("Retry after doing the appropriate action. ") },
        { 500, QStringLiteral("Internal server error. ") },
        { 501,
            QStringLiteral("Server does not support the functionality required to fulfill "
                           "the request. ") },
        { 502, QStringLiteral("Error response received from gateway. ") },
        { 503, QStringLiteral("Temporarily overloaded. ") },
        { 504, QStringLiteral("Timed out waiting for gateway. ") },
        { 505, QStringLiteral("HTTP version not supported. ") },
    };
    return table;
}

} // namespace

QString navigationErrorMessage(qint32 statusCode)
{
    const auto& table = messages();
    const auto it = table.constFind(statusCode);
    return it != table.constEnd() ? it.value() : QString::number(statusCode);
}

NavigationCause navigationCause(qint32 statusCode)
{
    using namespace NavigationStatus;
    if (statusCode >= 400 && statusCode < 600) {
        // The reason phrases of the statuses a page load meets most; others by number.
        static const QHash<qint32, QString> reasons {
            { 400, QStringLiteral("Bad Request") },
            { 401, QStringLiteral("Unauthorized") },
            { 402, QStringLiteral("Payment Required") },
            { 403, QStringLiteral("Forbidden") },
            { 404, QStringLiteral("Not Found") },
            { 405, QStringLiteral("Method Not Allowed") },
            { 407, QStringLiteral("Proxy Authentication Required") },
            { 408, QStringLiteral("Request Timeout") },
            { 410, QStringLiteral("Gone") },
            { 429, QStringLiteral("Too Many Requests") },
            { 500, QStringLiteral("Internal Server Error") },
            { 501, QStringLiteral("Not Implemented") },
            { 502, QStringLiteral("Bad Gateway") },
            { 503, QStringLiteral("Service Unavailable") },
            { 504, QStringLiteral("Gateway Timeout") },
        };
        const FailureKind kind = statusCode == 401 || statusCode == 407
            ? FailureKind::Authentication
            : FailureKind::Server;
        return { kind,
            QStringLiteral("the server answered %1 %2")
                .arg(QString::number(statusCode), reasons.value(statusCode))
                .trimmed() };
    }
    switch (statusCode) {
    case INET_E_RESOURCE_NOT_FOUND:
        return { FailureKind::Network, QStringLiteral("host not found") };
    case INET_E_CANNOT_CONNECT:
        return { FailureKind::Network, QStringLiteral("connection refused") };
    case INET_E_CONNECTION_TIMEOUT:
        return { FailureKind::Network, QStringLiteral("no answer in time") };
    case INET_E_DOWNLOAD_FAILURE:
        return { FailureKind::Network, QStringLiteral("the connection was broken") };
    case INET_E_SECURITY_PROBLEM:
        return { FailureKind::Tls,
            QStringLiteral("certificate not trusted (or the secure connection failed)") };
    case INET_E_AUTHENTICATION_REQUIRED:
        return { FailureKind::Authentication, QStringLiteral("authentication required") };
    default:
        return { FailureKind::Other, navigationErrorMessage(statusCode).trimmed() };
    }
}
