#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>
#include <variant>

#include "core/FailureKind.h"

// How an operation that can fail reports its end: a status, a message for the user when
// it failed, and the data when it succeeded. Cancelled is not a failure: the user chose
// to stop, and there is nothing to report.
enum class ResultStatus { Ok, Failed, Cancelled };

template <typename T = std::monostate> class [[nodiscard]] Result final
{
public:
    static Result ok(T value = T {}) { return Result(std::move(value)); }
    static Result failed(QString message, FailureKind kind = FailureKind::Other)
    {
        Result result(ResultStatus::Failed, std::move(message));
        result.m_kind = kind;
        return result;
    }
    static Result cancelled() { return Result(ResultStatus::Cancelled, {}); }

    // Carries a failure or cancellation over from an operation of another data type.
    template <typename U> static Result from(const Result<U>& other)
    {
        Result result(other.status(), other.message());
        result.m_kind = other.failureKind();
        return result;
    }

    ResultStatus status() const { return m_status; }
    bool isOk() const { return m_status == ResultStatus::Ok; }
    bool isFailed() const { return m_status == ResultStatus::Failed; }
    bool isCancelled() const { return m_status == ResultStatus::Cancelled; }
    explicit operator bool() const { return isOk(); }

    const QString& message() const { return m_message; }
    // What kind of failure it was; Other for a result that did not fail.
    FailureKind failureKind() const { return m_kind; }
    // The data. Only an ok result has any: asking a failed or cancelled one is a fault.
    const T& value() const&
    {
        Q_ASSERT(isOk());
        return *m_value;
    }
    T&& value() &&
    {
        Q_ASSERT(isOk());
        return std::move(*m_value);
    }

private:
    // The value is built in place (never moved from an empty optional), which also keeps
    // compilers from warning about the empty optional's contents.
    explicit Result(T value)
        : m_status(ResultStatus::Ok)
        , m_value(std::in_place, std::move(value))
    {
    }
    Result(ResultStatus status, QString message)
        : m_status(status)
        , m_message(std::move(message))
    {
    }

    ResultStatus m_status;
    QString m_message;
    FailureKind m_kind = FailureKind::Other;
    std::optional<T> m_value;
};
