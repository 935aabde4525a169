#pragma once

#include <QString>
#include <QStringList>

// Where a link ends up after its redirects, found before the link is handed to a program
// that would follow them itself and carry the link's cookies and credentials along. Each
// address is asked in turn (its body never read) with only the cookies it admits
// (NetscapeCookies) and the credential headers only at the link's own origin.
class CurlRedirectResolver final
{
public:
    struct Request {
        QString url;
        QStringList cookies; // Netscape cookie lines
        QStringList headers; // "Name: value" lines
        QString userAgent;
        QString referer;
        int maxRedirects = 20;
        int timeoutSeconds = 30;
    };
    struct Outcome {
        QString url; // the last address: the one that did not redirect
        QString error; // why it could not be found; url is then empty
    };

    static Outcome resolve(const Request& request);
};
