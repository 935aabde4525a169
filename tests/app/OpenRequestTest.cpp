#include <gtest/gtest.h>

#include "app/OpenRequest.h"

namespace
{

TEST(OpenRequestTest, TargetFollowsTheSource)
{
    struct Row {
        OpenRequest::Source source;
        QList<int> selected;
        int current;
        int underPointer;
        int expected;
    };
    const Row rows[] = {
        { OpenRequest::Source::DoubleClick, { 1 }, 1, 4, 4 },
        { OpenRequest::Source::Menu, { 2 }, 5, 4, 2 },
        { OpenRequest::Source::Menu, { 2, 3 }, 5, 4, 5 },
        { OpenRequest::Source::Menu, {}, -1, 4, -1 },
    };
    for (const Row& row : rows) {
        OpenRequest request;
        EXPECT_FALSE(request.pending());
        request.request(row.source);
        EXPECT_TRUE(request.pending());
        EXPECT_EQ(request.target(row.selected, row.current, row.underPointer), row.expected);
        request.done();
        EXPECT_FALSE(request.pending());
    }
}

} // namespace
