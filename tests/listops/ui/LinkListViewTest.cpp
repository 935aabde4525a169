#include <QFont>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include "listops/ui/LinkListView.h"

namespace
{

int bruteForceWidest(const QFont& font, const QStringList& entries, int from)
{
    const QFontMetrics fm(font);
    int widest = 0;
    for (int i = from; i < entries.size(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(entries.at(i)));
    return widest;
}

// The estimate-then-measure shortcut must find exactly the width that measuring every
// entry finds, also where kerning, non-Latin text or control characters are involved.
TEST(LinkListView, WidestTextWidthEqualsMeasuringEveryEntry)
{
    QStringList entries;
    for (int i = 0; i < 3000; ++i)
        entries.append(
            QStringLiteral("http://host.example/%1/%2").arg(i).arg(QString(i % 97, 'i')));
    entries.append(
        QStringLiteral("http://AVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAVAV.example/"));
    entries.append(QStringLiteral("http://WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW.example/To/Ta"));
    entries.append(QStringLiteral("http://xn--b\u00fccher.example/\u00e9t\u00e9/\u65e5\u672c"));
    entries.append(QStringLiteral("http://tab\there.example/"));

    for (const QString& family : { QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif"),
             QStringLiteral("Monospace") }) {
        QFont font(family, 10);
        EXPECT_EQ(
            LinkListView::widestTextWidth(font, entries, 0), bruteForceWidest(font, entries, 0))
            << family.toStdString();
        EXPECT_EQ(LinkListView::widestTextWidth(font, entries, 2990),
            bruteForceWidest(font, entries, 2990))
            << family.toStdString();
    }
    EXPECT_EQ(LinkListView::widestTextWidth(QFont(), {}, 0), 0);
}

} // namespace
