#include <gtest/gtest.h>

#include "download/Aria2Job.h"

TEST(Aria2RefusalTest, CredentialsLeaveThisMachineOnlyOverHttps)
{
    struct Row {
        const char* url;
        const char* secret;
        const char* cookies;
        QStringList headers;
        bool refused;
    };
    const Row rows[] = {
        { "http://127.0.0.1:6800/jsonrpc", "s", "c=1", {}, false },
        { "http://localhost:6800/jsonrpc", "s", "", {}, false },
        { "http://[::1]:6800/jsonrpc", "s", "", {}, false },
        { "https://nas.example:6800/jsonrpc", "s", "c=1", {}, false },
        { "http://nas.example:6800/jsonrpc", "", "", { "Accept: */*" }, false },
        { "http://nas.example:6800/jsonrpc", "s", "", {}, true },
        { "http://127.0.0.2.example/jsonrpc", "s", "", {}, true },
        { "http://192.168.1.5:6800/jsonrpc", "", "c=1", {}, true },
        { "http://nas.example/jsonrpc", "", "", { "authorization: Basic eA==" }, true },
        { "http://u:pw@nas.example/jsonrpc", "", "", {}, true },
        { "ftp://127.0.0.1/jsonrpc", "", "", {}, true },
        { "127.0.0.1:6800", "", "", {}, true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        Aria2JobOptions options { row.url, row.secret, {}, row.cookies, row.headers };
        EXPECT_EQ(!Aria2Job::refusal(options).isEmpty(), row.refused);
    }
}
