#include "platform/ShellWindowRegistry.h"

#include <QWebEnginePage>

ShellWindowRegistry::ShellWindowRegistry(QObject* parent) : QObject(parent) {}
ShellWindowRegistry::~ShellWindowRegistry() = default;
ShellWindowRegistry& ShellWindowRegistry::instance()
{
    static ShellWindowRegistry registry;
    return registry;
}
void ShellWindowRegistry::registerPage(QWebEnginePage*) {}
void ShellWindowRegistry::unregisterPage(QWebEnginePage*) {}
QList<std::shared_ptr<IShellWindow>> ShellWindowRegistry::windows() const { return {}; }
void ShellWindowRegistry::refreshContentType(QWebEnginePage*) {}
