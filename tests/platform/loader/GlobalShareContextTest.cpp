#include <QOpenGLContext>
#include <gtest/gtest.h>

#include "platform/GlobalShareContext.h"

// The engine loader installs Qt's share context through a Qt internal, because Qt offers
// no public way to do it after the application started. This fails when a Qt update makes
// that call stop taking effect.
TEST(GlobalShareContext, IsInstalledAfterTheApplicationStarted)
{
    ASSERT_EQ(QOpenGLContext::globalShareContext(), nullptr) << "nothing set it up before";
    EXPECT_TRUE(ensureGlobalShareContext());
    QOpenGLContext* installed = QOpenGLContext::globalShareContext();
    ASSERT_NE(installed, nullptr);
    EXPECT_TRUE(ensureGlobalShareContext());
    EXPECT_EQ(QOpenGLContext::globalShareContext(), installed) << "a second call keeps it";
}
