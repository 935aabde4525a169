#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <exception>
#include <utility>

// The numbered error that the program's classes raise: a number (32-bit, signed, as
// the object-defined errors 0x8004xxxx read when stored in a Long), the name of the
// property or procedure that raised it, and a text for the user.
struct QmError final : std::exception {
    qint32 number = 0;
    QString source;
    QString description;

    QmError(qint32 errorNumber, QString errorSource, QString errorDescription)
        : number(errorNumber)
        , source(std::move(errorSource))
        , description(std::move(errorDescription))
        , m_what(description.toUtf8())
    {
    }

    const char* what() const noexcept override { return m_what.constData(); }

private:
    QByteArray m_what;
};
