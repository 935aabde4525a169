#pragma once

// What kind of thing went wrong when a link or a page could not be had, so a caller can
// tell a missing host from a refused password without reading the message.
enum class FailureKind {
    Other,
    FileSystem, // the file could not be written
    Network, // host not found, connection refused or broken, no answer in time
    Tls, // the certificate was not trusted, the secure connection failed
    Authentication, // the server wants credentials (HTTP 401, 407)
    Server, // any other error answer of the server (4xx, 5xx)
};
