#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QObject;

// A link whose redirects are to be followed, and how to ask for it.
struct RedirectQuery {
    QString url;
    QStringList cookies; // Netscape cookie lines
    QStringList headers; // "Name: value" lines
    QString userAgent;
    QString referer;
    int maxRedirects = 20;
    int timeoutSeconds = 30;
};

struct RedirectOutcome {
    QString url; // the last address: the one that did not redirect
    QString error; // why it could not be found; url is then empty
};

// Finds where a link ends up after its redirects, before it is handed to a program that
// would follow them itself and carry the link's cookies and credentials along. Each
// address is asked in turn (its body never read) with only the cookies it admits and the
// credential headers only at the link's own origin. Nothing waits for the network: done
// is called later on context's thread, never once context is gone, the resolver is
// destroyed or cancel() has been called.
class IRedirectResolver
{
public:
    using Done = std::function<void(const RedirectOutcome&)>;

    virtual ~IRedirectResolver() = default;
    virtual void resolve(const RedirectQuery& query, QObject* context, Done done) = 0;
    // Ends every resolution in progress; their done is not called.
    virtual void cancel() = 0;
};
