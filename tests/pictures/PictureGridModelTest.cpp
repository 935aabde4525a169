#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include "listops/LinkList.h"
#include "pictures/PictureGridModel.h"
#include "support/MeasuredPicture.h"

namespace
{

constexpr auto measured = &measuredPicture;

struct Row {
    const char* name;
    PictureCriteria criteria;
    QStringList shown; // names of the entries shown, in order
};

PictureCriteria with(std::function<void(PictureCriteria&)> set)
{
    PictureCriteria c;
    set(c);
    return c;
}

TEST(PictureGridModelTest, FiltersAndOrdersTheListsMedia)
{
    LinkList list;
    list.add("http://h/page.html"); // a link, not media
    list.add("http://h/a.jpg", { EntryKind::Image, {}, {}, {} });
    list.add("http://h/b.png", { EntryKind::Image, {}, {}, {} });
    list.add("http://h/c.gif"); // a picture by its name
    list.add("http://h/d.webp", { EntryKind::Image, {}, {}, {} }); // not measured yet
    list.add("http://h/e.mp4", { EntryKind::Video, {}, {}, {} });
    list.add("http://h/f.png", { EntryKind::Image, {}, {}, {} }); // failed
    PictureGridModel model(&list);
    QAbstractItemModelTester tester(&model);
    model.setPicture("http://h/a.jpg", measured(1920, 1080, 900000, PictureType::Jpeg), {});
    model.setPicture("http://h/b.png", measured(64, 64, 2000, PictureType::Png), {});
    model.setPicture("http://h/c.gif", measured(800, 1200, 50000, PictureType::Gif), {});
    PictureFacts failed;
    failed.state = PictureFacts::State::Failed;
    failed.reason = "404 Not Found";
    model.setPicture("http://h/f.png", failed, {});

    using O = PictureCriteria::Order;
    const QList<Row> rows {
        { "all media in page order", {},
            { "a.jpg", "b.png", "c.gif", "d.webp", "e.mp4", "f.png" } },
        { "min width keeps the unmeasured", with([](auto& c) { c.minWidth = 500; }),
            { "a.jpg", "c.gif", "d.webp", "e.mp4" } },
        { "max height", with([](auto& c) { c.maxHeight = 1080; }),
            { "a.jpg", "b.png", "d.webp", "e.mp4" } },
        { "min height", with([](auto& c) { c.minHeight = 1100; }), { "c.gif", "d.webp", "e.mp4" } },
        { "min file size", with([](auto& c) { c.minFileSize = 10000; }),
            { "a.jpg", "c.gif", "d.webp", "e.mp4" } },
        { "types", with([](auto& c) {
             c.types = { PictureType::Png, PictureType::Video };
         }),
            { "b.png", "e.mp4", "f.png" } },
        { "largest area first, unknown last", with([](auto& c) {
             c.order = O::Area;
             c.descending = true;
         }),
            { "a.jpg", "c.gif", "b.png", "d.webp", "e.mp4", "f.png" } },
        { "smallest file first", with([](auto& c) { c.order = O::FileSize; }),
            { "b.png", "c.gif", "a.jpg", "d.webp", "e.mp4", "f.png" } },
        { "name descending", with([](auto& c) {
             c.order = O::Name;
             c.descending = true;
         }),
            { "f.png", "e.mp4", "d.webp", "c.gif", "b.png", "a.jpg" } },
    };
    for (const Row& row : rows) {
        model.setCriteria(row.criteria);
        QStringList shown;
        for (int i = 0; i < model.rowCount(); ++i)
            shown.append(model.index(i, 0).data().toString());
        EXPECT_EQ(shown, row.shown) << row.name;
    }
    EXPECT_EQ(model.mediaCount(), 6);
    EXPECT_EQ(model.measuredCount(), 4);
}

} // namespace
