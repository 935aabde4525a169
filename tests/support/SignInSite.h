#pragma once

#include <string>

#include "support/LocalHttpServer.h"

// A site that serves its members only with the cookie its sign-in page sets: /members
// (a page with a link to /report.zip) sends everyone else to /login (a page with a link
// to /help.html), and /members/report.txt answers them 403.
inline void serveSignInSite(LocalHttpServer& site)
{
    site.server().Get("/sign-in", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "member=yes; Path=/; Max-Age=3600");
        res.set_content("<p>signed in</p>", "text/html");
    });
    const auto member = [](const httplib::Request& req) {
        return req.get_header_value("Cookie").find("member=yes") != std::string::npos;
    };
    site.server().Get("/members", [member](const httplib::Request& req, httplib::Response& res) {
        if (!member(req)) {
            res.set_redirect("/login");
            return;
        }
        res.set_content("<a href='/report.zip'>r</a>", "text/html");
    });
    site.server().Get(
        "/members/report.txt", [member](const httplib::Request& req, httplib::Response& res) {
            if (member(req))
                res.set_content("report", "text/plain");
            else
                res.status = 403;
        });
    site.page("/login", "<a href='/help.html'>h</a>");
}
