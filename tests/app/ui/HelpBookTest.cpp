#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <gtest/gtest.h>

#include "app/ui/Form12.h"
#include "app/ui/MainCommandTable.h"
#include "support/HelpBookText.h"

// Every menu command and every preference of the window has its mention in the help book.
TEST(HelpBookTest, DescribesEveryMenuCommandAndPreference)
{
    const QString book = HelpBookText::read(QStringLiteral(QM_SOURCE_DIR "/help"));
    ASSERT_FALSE(book.isEmpty());

    QStringList captions;
    for (const MainCommandTable::Entry& e : MainCommandTable::entries())
        captions << QString::fromUtf8(e.caption);

    const Form12 preferences { Preferences {} };
    for (const auto* box : preferences.findChildren<QGroupBox*>())
        captions << box->title();
    for (const auto* button : preferences.findChildren<QAbstractButton*>())
        if (button->parent() != nullptr && qobject_cast<const QGroupBox*>(button->parent()))
            captions << button->text();
    for (const auto* label : preferences.findChildren<QLabel*>())
        if (label->buddy() != nullptr)
            captions << label->text();

    EXPECT_EQ(HelpBookText::missing(book, captions).join(QStringLiteral(" | ")).toStdString(), "");
}
