#pragma once

// Sets up Qt Gui's process-wide OpenGL share context, through which the browser engine
// draws and whose absence it reports as a warning when it loads. Qt creates that context
// while the application starts only when Qt::AA_ShareOpenGLContexts is set, which would
// make every start of the program create an OpenGL context before its first paint; the
// program creates it here instead, just before the engine module loads. Qt has no
// public call to install it afterwards, so this function is the program's one use of a
// Qt internal (qt_gl_set_global_share_context); GlobalShareContextTest fails if that
// stops taking effect. True when QOpenGLContext::globalShareContext() is set afterwards;
// without a QGuiApplication nothing is done.
bool ensureGlobalShareContext();
