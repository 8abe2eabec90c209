#include "core/error_box.h"

#include <QDebug>

namespace {
ErrorSink &Sink()
{
    static ErrorSink sink = [](const QString &text) { qWarning().noquote() << "Tarvenix:" << text; };
    return sink;
}
} // namespace

QString ErrorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

ErrorSink SetErrorSink(ErrorSink sink)
{
    ErrorSink old = std::move(Sink());
    Sink() = std::move(sink);
    return old;
}

void ShowError(const QString &message) { Sink()(ErrorBoxText(message)); }
