#include <gtest/gtest.h>

#include "pictures/PictureCriteriaStore.h"

// Stored text that was edited by hand or written by another version reads as far as it
// can be read; the rest keeps the defaults.
TEST(PictureCriteriaStoreTest, UnreadableValuesReadAsDefaults)
{
    PictureCriteria partly;
    partly.minHeight = 50;
    partly.types = { PictureType::Png };
    const struct {
        const char* text;
        PictureCriteria expected;
    } rows[] = {
        { "", PictureCriteria {} },
        { "minWidth=-3;maxWidth=x;order=9;minSize=99999999999999;descending=yes",
            PictureCriteria {} },
        { "minHeight=50;types=png,nope,png;colour=red;=;junk", partly },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(PictureCriteriaStore::decode(QString::fromUtf8(row.text)), row.expected);
    }
}
