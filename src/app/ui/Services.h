#pragma once

#include <functional>
#include <memory>

#include "builders/UrlListBuilder.h"

class IAria2Rpc;
class IRedirectResolver;
class IContentTypeFetcher;
class IRegistryStore;
class IShellWindows;
class ITransferService;
class LinkReceiver;
class UrlHistory;

// What the main window works with besides its own widgets: built once where the program
// starts (Application) and handed to Form1 whole. Tests build the same set over a
// temporary settings store and may replace single members.
struct Services final {
    std::shared_ptr<IRegistryStore> store; // the settings
    std::unique_ptr<UrlHistory> urlHistory; // typed URLs the URL boxes complete from
    std::unique_ptr<IContentTypeFetcher> fetcher; // content-type check before a harvest
    std::unique_ptr<IShellWindows> shellWindows; // the program's open browser windows
    UrlListBuilder::BrowserFactory browserFactory; // hidden harvest browsers
    std::unique_ptr<LinkReceiver> linkReceiver; // links sent by `quillmarch --send-link`
    std::unique_ptr<ITransferService> transfers; // downloads of link targets
    // A client for the aria2 daemon at an address (null when it cannot be made).
    std::function<std::unique_ptr<IAria2Rpc>(const QString& url)> aria2Rpc;
    // Follows links' redirects before an aria2 hand-off (null when it cannot be made).
    std::function<std::unique_ptr<IRedirectResolver>()> redirectResolver;

    Services();
    ~Services();
    Services(Services&&) noexcept;
    Services& operator=(Services&&) noexcept;

    // The program's own services over the settings store: the content-type check and
    // the transfer service for downloads from the transfer module (loaded with the first
    // transfer), browsers from the engine module (loaded with the first page), the typed
    // URLs kept in the store and a link receiver on the user's socket (not listening yet).
    static Services standard(std::shared_ptr<IRegistryStore> store);
};
