#include <gtest/gtest.h>

#include "settings/TextConversions.h"

namespace
{

TEST(TextConversionsTest, textToBool)
{
    struct Row {
        const char* text;
        bool ok;
        bool value;
    };
    const Row rows[] = {
        { "True", true, true },
        { "tRUE", true, true },
        { "False", true, false },
        { "FALSE", true, false },
        { " true ", true, true },
        { "1", true, true },
        { "0", true, false },
        { "-1", true, true },
        { "0.0", true, false },
        { "2.5", true, true },
        { "yes", false, false },
        { "", false, false },
        { "Truee", false, false },
        { "nan", false, false },
        { "1 0", false, false },
    };
    for (const Row& row : rows) {
        bool ok = !row.ok;
        EXPECT_EQ(textToBool(QString::fromLatin1(row.text), &ok), row.value) << row.text;
        EXPECT_EQ(ok, row.ok) << row.text;
    }
    EXPECT_TRUE(textToBoolOr(QStringLiteral("yes"), true));
    EXPECT_FALSE(textToBoolOr(QStringLiteral("yes"), false));
    EXPECT_FALSE(textToBoolOr(QStringLiteral("False"), true));
}

TEST(TextConversionsTest, textToInt)
{
    struct Row {
        const char* text;
        bool ok;
        int value;
    };
    const Row rows[] = {
        { "0", true, 0 },
        { "3", true, 3 },
        { " 2 ", true, 2 },
        { "-7", true, -7 },
        { "+1", true, 1 },
        { "x", false, 0 },
        { "", false, 0 },
        { "1.5", false, 0 },
        { "0x10", false, 0 },
        { "99999999999", false, 0 },
    };
    for (const Row& row : rows) {
        bool ok = !row.ok;
        EXPECT_EQ(textToInt(QString::fromLatin1(row.text), &ok), row.value) << row.text;
        EXPECT_EQ(ok, row.ok) << row.text;
    }
    EXPECT_EQ(textToIntOr(QStringLiteral("two"), 4), 4);
    EXPECT_EQ(textToIntOr(QStringLiteral("2"), 4), 2);
}

} // namespace
