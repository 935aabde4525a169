#include <gtest/gtest.h>

#include "cli/CliCommandTable.h"
#include "cli/CliOptionTable.h"
#include "support/HelpBookText.h"

// Every command and option of quillmarch-cli has its mention in the help book.
TEST(HelpBookCliTest, DescribesEveryCommandAndOption)
{
    const QString book = HelpBookText::read(QStringLiteral(QM_SOURCE_DIR "/help"));
    ASSERT_FALSE(book.isEmpty());

    QStringList names;
    for (const CliCommandRow& row : CliCommandTable::rows())
        names << QStringLiteral("quillmarch-cli %1").arg(QString::fromUtf8(row.name));
    for (const CliOptionRow& row : CliOptionTable::rows())
        names << QString::fromUtf8(row.name);

    EXPECT_EQ(HelpBookText::missing(book, names).join(QStringLiteral(" | ")).toStdString(), "");
}
