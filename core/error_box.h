#pragma once
// The application's error box: caption "Tarvenix", the exception's message,
// an error icon and OK. The widget side installs the sink that really shows
// it; tests install one that records what would have been shown.

#include <QString>
#include <functional>

// The message as the box shows it: a full stop is appended when the last
// character has a higher character code than the full stop.
QString ErrorBoxText(const QString &message);

using ErrorSink = std::function<void(const QString &text)>;

// Returns the sink that was installed before.
ErrorSink SetErrorSink(ErrorSink sink);

// Shows the message (already given the full-stop rule) through the sink.
void ShowError(const QString &message);
