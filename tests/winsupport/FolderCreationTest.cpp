#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "winsupport/FolderCreation.h"

namespace
{

// A new folder comes with its missing parents; an existing one is fine; a file in the
// way fails with the reason.
TEST(FolderCreationTest, CreatesWithParentsOrSaysWhyNot)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    QFile file(temp.filePath("plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const struct {
        QString path;
        bool created;
        QString reason;
    } rows[] = {
        { temp.filePath("a/b/c"), true, {} },
        { temp.filePath("a"), true, {} },
        { temp.filePath("plain/inside"), false, "Not a directory" },
        { temp.filePath("plain"), false, "Not a directory" },
    };
    for (const auto& row : rows) {
        const Result<> made = FolderCreation::create(row.path);
        EXPECT_EQ(bool(made), row.created) << row.path.toStdString();
        EXPECT_EQ(QFileInfo(row.path).isDir(), row.created);
        if (!row.created) {
            EXPECT_TRUE(made.message().startsWith(row.path));
            EXPECT_TRUE(made.message().contains(row.reason, Qt::CaseInsensitive))
                << made.message().toStdString();
        }
    }
}

} // namespace
