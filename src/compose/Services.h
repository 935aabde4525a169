#pragma once

#include <functional>
#include <memory>

#include "builders/UrlListBuilder.h"
#include "core/Result.h"

class IAria2Rpc;
class IRedirectResolver;
class IContentTypeFetcher;
class IRegistryStore;
class IShellWindows;
class ISiteCrawl;
struct FilterState;
struct Preferences;
class ITransferModule;
class ITransferService;
class LinkReceiver;
class UrlHistory;

// What the main window and the command-line tool work with besides their own views:
// built once where each starts, by windowServices() or commandLineServices() over the
// settings store, and handed on whole. Tests build the same set over a temporary
// settings store and may replace single members.
struct Services final {
    // Where the network transfers come from: the module, loaded when first asked, or
    // failed with the reason.
    using TransferModuleSource = std::function<Result<ITransferModule*>()>;

    std::shared_ptr<IRegistryStore> store; // the settings
    std::unique_ptr<UrlHistory> urlHistory; // typed URLs the URL boxes complete from
    std::unique_ptr<IContentTypeFetcher> fetcher; // content-type check before a harvest
    // A content-type check of its own, for pages checked side by side.
    std::function<std::unique_ptr<IContentTypeFetcher>()> newFetcher;
    std::unique_ptr<IShellWindows> shellWindows; // the program's open browser windows
    UrlListBuilder::BrowserFactory browserFactory; // hidden harvest browsers
    std::unique_ptr<LinkReceiver> linkReceiver; // links sent by `quillmarch --send-link`
    std::unique_ptr<ITransferService> transfers; // downloads of link targets
    // A client for the aria2 daemon at an address (null when it cannot be made).
    std::function<std::unique_ptr<IAria2Rpc>(const QString& url)> aria2Rpc;
    // Follows links' redirects before an aria2 hand-off (null when it cannot be made).
    std::function<std::unique_ptr<IRedirectResolver>()> redirectResolver;
    // A harvest that follows a page's links through a site (null when there is none: the
    // window's "Build List from Site" is then unavailable).
    std::function<std::unique_ptr<ISiteCrawl>(const Preferences&, const FilterState&)> siteCrawl;

    Services();
    ~Services();
    Services(Services&&) noexcept;
    Services& operator=(Services&&) noexcept;

    // The pieces both sets share, over the settings store: the content-type checks, the
    // downloads, the aria2 client and the redirect resolution from the transfer module
    // (taken from transfers when first needed), and the browsers and open browser
    // windows from the engine module (loaded with the first page).
    static Services fromModules(
        std::shared_ptr<IRegistryStore> store, TransferModuleSource transfers);
};
