#pragma once
// The program's one exception hierarchy. Every handler run by the event loop
// catches Exception where it returns (see handler_guard.h) and shows it in the
// application's error box; EAbort is the silent kind and shows nothing.

#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString &message() const noexcept { return message_; }
    const char *what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Ends the running handler without a message.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

// The store refused a statement, a post, or an operation on a closed data set.
class EDatabaseError : public Exception {
    using Exception::Exception;
};

// A value that is missing (null) or of the wrong kind was read as another type.
class EVariantError : public Exception {
public:
    EVariantError() : Exception(QStringLiteral("Invalid variant type conversion")) {}
};

// A text that should hold a number does not.
class EConvertError : public Exception {
    using Exception::Exception;
};

class ERangeError : public Exception {
public:
    ERangeError() : Exception(QStringLiteral("Range check error")) {}
};

// Failures of the reachability probe.
class ESockError : public Exception {
    using Exception::Exception;
};
