#include <gtest/gtest.h>

#include "builders/NavigationErrors.h"
#include "builders/SplitPath.h"
#include "support/QtPrinters.h"

namespace
{

struct SplitCase {
    const char* path;
    const char* drive;
    const char* folder;
    const char* name;
    const char* extension;
};

const SplitCase kSplitCases[] = {
    { "C:\\dir\\sub\\file.txt", "C:", "\\dir\\sub\\", "file", ".txt" },
    { "C:file.tar.gz", "C:", "", "file.tar", ".gz" },
    { "\\dir\\", "", "\\", "dir\\", "" }, // a trailing backslash is no separator
    { "name.", "", "", "name", "" }, // a dot with nothing after it
    { "..\\a", "", "..\\", "a", "" },
    { "http://host.com/page", "", "", "http://host", ".com/page" },
    { "http://h/a.zip?x=1", "", "", "http://h/a", ".zip?x=1" },
    { "ftp://h/dir\\f.Zip", "", "ftp://h/dir\\", "f", ".Zip" },
    { "", "", "", "", "" },
    { "a:", "a:", "", "", "" },
};

} // namespace

TEST(SplitPathTest, SplitsEveryPart)
{
    for (const SplitCase& c : kSplitCases) {
        const QString path = QString::fromUtf8(c.path);
        SCOPED_TRACE(c.path);
        EXPECT_EQ(SplitPath(path, PathPart::Drive), QString::fromUtf8(c.drive));
        EXPECT_EQ(SplitPath(path, PathPart::Folder), QString::fromUtf8(c.folder));
        EXPECT_EQ(SplitPath(path, PathPart::Name), QString::fromUtf8(c.name));
        EXPECT_EQ(SplitPath(path, PathPart::Extension), QString::fromUtf8(c.extension));
    }
}

TEST(NavigationErrorsTest, MapsCodesToMessages)
{
    using namespace NavigationStatus;
    const std::pair<qint32, const char*> rows[] = {
        { 404, "Object not found. " },
        { 400, "Invalid syntax. " },
        { 505, "HTTP version not supported. " },
        { 449, "Retry after doing the appropriate action. " },
        { INET_E_INVALID_URL, "URL string is not valid." },
        { INET_E_CANNOT_CONNECT, "Unable to connect to server." },
        { INET_E_RESOURCE_NOT_FOUND, "Requested resource is not found." },
        { INET_E_CANNOT_LOAD_DATA, "Unable to load data from the server. " },
        { INET_E_CANNOT_REPLACE_SFP_FILE,
            "Cannot replace a protected System File Protection (SFP) file." },
        { static_cast<qint32>(0x800C0011u), "-2146697199" },
        { static_cast<qint32>(0x800C0013u), "-2146697197" },
        { 200, "200" },
        { 0, "0" },
        { -105, "-105" },
    };
    for (const auto& [code, message] : rows) {
        SCOPED_TRACE(code);
        EXPECT_EQ(navigationErrorMessage(code), QString::fromUtf8(message));
    }
}
