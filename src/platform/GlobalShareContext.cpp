#include "platform/GlobalShareContext.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QOpenGLContext>

// Exported by Qt Gui without a public declaration.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

bool ensureGlobalShareContext()
{
    if (QOpenGLContext::globalShareContext())
        return true;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->create(); // may fail without OpenGL; the engine then draws in software
    qt_gl_set_global_share_context(context);
    return QOpenGLContext::globalShareContext() == context;
}
