#pragma once
// The program's runtime errors. Handlers do not catch them (except the two
// clocks); everything else reaches the unhandled-error guard (guard.h).
#include <QString>
#include <stdexcept>

namespace platform {

class RuntimeException : public std::runtime_error {
public:
    explicit RuntimeException(const QString& message = QString())
        : std::runtime_error(message.toStdString()), message_(message) {}
    // The error's kind as the user sees it in the unhandled-error message.
    virtual QString kind() const { return QStringLiteral("RuntimeException"); }
    QString message() const { return message_; }

private:
    QString message_;
};

// An operation was called on an empty reference (a missing picture or sound).
class NilObjectException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
    QString kind() const override { return QStringLiteral("NilObjectException"); }
};

// A row, column or array index outside its bounds.
class OutOfBoundsException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
    QString kind() const override { return QStringLiteral("OutOfBoundsException"); }
};

// A file could not be read or written.
class IOException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
    QString kind() const override { return QStringLiteral("IOException"); }
};

// The cast of the application object failed.
class IllegalCastException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
    QString kind() const override { return QStringLiteral("IllegalCastException"); }
};

} // namespace platform
