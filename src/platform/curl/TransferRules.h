#pragma once

#include <QString>
#include <QtGlobal>
#include <curl/curl.h>
#include <string>

#include "download/ITransferService.h"

// What the transfer service reads from responses and requests: counts, ranges, which
// failures are worth another try, and which header lines carry credentials.
namespace TransferRules
{

// A whole non-negative number, or -1.
qint64 parseCount(const std::string& text);
// The reason phrase of an HTTP error status (HTTP/2 and later send none).
QString reasonFor(long status);
bool transientStatus(long status);
bool transientCode(CURLcode code);
// The kind of an HTTP error status (401 and 407 want credentials) and of a libcurl
// failure (name resolution, connection and timeouts are the network's, certificate and
// handshake failures TLS's).
FailureKind failureKindOfStatus(long status);
FailureKind failureKindOfCode(CURLcode code);
// A libcurl failure in the few words a user knows it by ("host not found", "connection
// refused", "certificate not trusted"); libcurl's own text for the rarer ones.
std::string causeOf(CURLcode code);
// "bytes FIRST-LAST/TOTAL": the first byte and the total (-1 for "*" or no number).
bool parseContentRange(const std::string& value, qint64* first, qint64* total);
// Why the request must not be sent (a value that would smuggle in header lines of its
// own); empty when it may go.
QString requestProblem(const TransferRequest& r);
// Scheme, host and port: credentials written for one origin go to that origin only.
std::string originOf(const std::string& url);
// A header that carries credentials (or cookies).
bool isCredentialHeader(const QString& line);
// A header line as a trace shows it: the values of credential and cookie headers
// (Set-Cookie too) replaced by "***".
std::string maskedHeaderLine(const std::string& line);

} // namespace TransferRules
