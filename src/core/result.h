#pragma once

#include <QString>

#include <optional>
#include <utility>

// An operation's outcome: a value, or the text of what went wrong. Logic
// returns these instead of showing boxes; the window shows the error.
template <class T> class Result {
public:
    Result(T value)
        : m_value(std::move(value)) {}
    static Result failure(QString error) {
        Result r;
        r.m_error = std::move(error);
        return r;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const T& operator*() const { return *m_value; }
    const T* operator->() const { return &*m_value; }
    const QString& error() const { return m_error; }

private:
    Result() = default;
    std::optional<T> m_value;
    QString m_error;
};

// For operations without a value.
class Status {
public:
    Status() = default;
    static Status success() { return Status(); }
    static Status failure(QString error) {
        Status s;
        s.m_failed = true;
        s.m_error = std::move(error);
        return s;
    }
    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};
