#pragma once

#include <QString>
#include <QStringList>

#include "core/Result.h"

// A part of the program built as a module and loaded the first time it is needed, so
// starting the program maps none of its libraries. A loaded module stays loaded for the
// rest of the process: objects and threads it made live inside it.
class RuntimeModule final
{
public:
    RuntimeModule() = delete;

    // Where a module is looked for, in order: next to the executable, one folder up (the
    // build tree's test runners), and the installed library folder.
    static QStringList candidates(const QString& appDir, const QString& fileName);

    // The address of symbol in the first module file found; failed with a message naming
    // what (e.g. "The browser engine module") when it is missing or unusable.
    static Result<QFunctionPointer> entryPoint(
        const QString& fileName, const char* symbol, const QString& what);

    // What the module's entry point (a T* (*)() named symbol) returns.
    template <typename T>
    static Result<T*> object(const QString& fileName, const char* symbol, const QString& what)
    {
        const Result<QFunctionPointer> entry = entryPoint(fileName, symbol, what);
        if (!entry)
            return Result<T*>::failed(entry.message());
        return Result<T*>::ok(reinterpret_cast<T* (*)()>(entry.value())());
    }
};
