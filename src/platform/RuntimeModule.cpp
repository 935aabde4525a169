#include "platform/RuntimeModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

QStringList RuntimeModule::candidates(const QString& appDir, const QString& fileName)
{
    const QDir dir(appDir);
    return { dir.filePath(fileName), dir.filePath(QStringLiteral("../") + fileName),
        dir.filePath(QStringLiteral("../lib/quillmarch/") + fileName) };
}

Result<QFunctionPointer> RuntimeModule::entryPoint(
    const QString& fileName, const char* symbol, const QString& what)
{
    QStringList tried;
    for (const QString& candidate : candidates(QCoreApplication::applicationDirPath(), fileName)) {
        const QString path = QFileInfo(candidate).absoluteFilePath();
        tried.append(path);
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        library.setLoadHints(QLibrary::PreventUnloadHint);
        if (const QFunctionPointer entry = library.resolve(symbol))
            return Result<QFunctionPointer>::ok(entry);
        return Result<QFunctionPointer>::failed(
            QStringLiteral("%1 %2 could not be loaded: %3").arg(what, path, library.errorString()));
    }
    return Result<QFunctionPointer>::failed(QStringLiteral("%1 was not found. Looked for: %2")
                                                .arg(what, tried.join(QStringLiteral(", "))));
}
