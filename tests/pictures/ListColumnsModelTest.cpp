#include <QAbstractItemModelTester>
#include <QTest>
#include <gtest/gtest.h>

#include "listops/LinkList.h"
#include "pictures/ListColumnsModel.h"
#include "pictures/ListColumnsSorter.h"
#include "support/MeasuredPicture.h"

namespace
{

using Column = ListColumnsModel::Column;

constexpr auto measured = &measuredPicture;

class ListColumnsModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_list.add("http://h/page.html");
        m_list.add("http://h/a.jpg", { EntryKind::Image, {}, {}, {} });
        m_list.add("http://h/b.png", { EntryKind::Image, {}, {}, {} });
        m_list.add("http://h/c.gif", { EntryKind::Background, {}, {}, {} });
        m_list.add("http://h/d.webp", { EntryKind::Image, {}, {}, {} }); // not measured yet
        m_list.add("http://h/e.png", { EntryKind::Image, {}, {}, {} }); // as large as b
        for (Column c : ListColumnsModel::kOptional)
            m_table.setShown(c, true);
        m_table.setPicture("http://h/a.jpg", measured(1920, 1080, 900000, PictureType::Jpeg));
        m_table.setPicture("http://h/b.png", measured(64, 64, 2000, PictureType::Png));
        m_table.setPicture("http://h/c.gif", measured(800, 1200, 51200, PictureType::Gif));
        m_table.setPicture("http://h/e.png", measured(64, 64, 2000, PictureType::Png));
    }

    QString cell(int row, Column column) const
    {
        return m_table.index(row, m_table.sectionOf(column)).data().toString();
    }

    // The last part of each address in the sorter's order.
    QStringList sortedNames(Column column, Qt::SortOrder order)
    {
        m_sorter.sort(column == Column::Address ? -1 : m_table.sectionOf(column), order);
        QStringList names;
        const int address = m_table.sectionOf(Column::Address);
        for (int row = 0; row < m_sorter.rowCount(); ++row)
            names.append(m_sorter.index(row, address).data().toString().section('/', -1));
        return names;
    }

    LinkList m_list;
    ListColumnsModel m_table { &m_list };
    ListColumnsSorter m_sorter { &m_table };
    QAbstractItemModelTester m_tester { &m_sorter };
};

TEST_F(ListColumnsModelTest, CellsShowWhatIsKnown)
{
    const struct {
        int row;
        Column column;
        QString text;
    } rows[] = {
        { 0, Column::Kind, "link" },
        { 0, Column::Pixels, "" },
        { 0, Column::Type, "" },
        { 1, Column::Pixels, "1920 × 1080" },
        { 1, Column::FileSize, "878.9 KiB" },
        { 1, Column::Type, "jpeg" },
        { 3, Column::Kind, "background" },
        { 4, Column::FileSize, "" },
        { 4, Column::Type, "webp" }, // by its name until measured
        { 4, Column::Address, "http://h/d.webp" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ListColumnsModel::title(row.column).toStdString());
        EXPECT_EQ(cell(row.row, row.column), row.text) << row.row;
    }
    EXPECT_EQ(m_table.columnCount(), 5);
    m_table.setShown(Column::Kind, false);
    EXPECT_EQ(m_table.columnAt(0), Column::Pixels);
    EXPECT_EQ(m_table.sectionOf(Column::Kind), -1);
}

TEST_F(ListColumnsModelTest, SortsByValueWithTheUnknownLastAndTheListUntouched)
{
    const struct {
        Column column;
        Qt::SortOrder order;
        QStringList names;
    } rows[] = {
        { Column::Pixels, Qt::AscendingOrder,
            { "b.png", "e.png", "c.gif", "a.jpg", "page.html", "d.webp" } },
        { Column::Pixels, Qt::DescendingOrder,
            { "a.jpg", "c.gif", "b.png", "e.png", "page.html", "d.webp" } },
        { Column::FileSize, Qt::DescendingOrder,
            { "a.jpg", "c.gif", "b.png", "e.png", "page.html", "d.webp" } },
        { Column::Type, Qt::AscendingOrder,
            { "c.gif", "a.jpg", "b.png", "e.png", "d.webp", "page.html" } },
        { Column::Kind, Qt::AscendingOrder,
            { "c.gif", "a.jpg", "b.png", "d.webp", "e.png", "page.html" } },
        { Column::Address, Qt::AscendingOrder,
            { "page.html", "a.jpg", "b.png", "c.gif", "d.webp", "e.png" } },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ListColumnsModel::title(row.column).toStdString());
        EXPECT_EQ(sortedNames(row.column, row.order), row.names);
    }
    EXPECT_EQ(m_list.at(1), "http://h/a.jpg");

    // An entry added while sorted takes its place in the order.
    sortedNames(Column::Pixels, Qt::DescendingOrder);
    m_list.add("http://h/f.png", { EntryKind::Image, {}, {}, {} });
    m_table.setPicture("http://h/f.png", measured(4000, 3000, 1, PictureType::Png));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return m_sorter.index(0, m_table.sectionOf(Column::Address)).data().toString()
            == "http://h/f.png";
    }));
}

TEST(ListColumnsModelStoreTest, StoredColumnsReadBackAndUnknownNamesAreIgnored)
{
    EXPECT_EQ(ListColumnsModel::decode(ListColumnsModel::encode({ Column::Type, Column::Kind })),
        (QList<Column> { Column::Kind, Column::Type }));
    EXPECT_EQ(ListColumnsModel::decode("size, bogus,,pixels,size"),
        (QList<Column> { Column::FileSize, Column::Pixels }));
}

} // namespace
