#include "perfd/perfd_options.h"

#include "core/exception.h"

#include <QCommandLineParser>

namespace
{

QHostAddress ParseAddress(const QString &text)
{
    QHostAddress address;
    if (!address.setAddress(text) || address.protocol() != QAbstractSocket::IPv4Protocol)
        throw Exception(QStringLiteral("not an IPv4 address: ") + text);
    return address;
}

QPair<QHostAddress, int> ParseNetwork(const QString &text)
{
    const QPair<QHostAddress, int> network = QHostAddress::parseSubnet(text);
    if (network.first.protocol() != QAbstractSocket::IPv4Protocol || !text.contains('/'))
        throw Exception(QStringLiteral("not an IPv4 NETWORK/BITS: ") + text);
    return network;
}

int ParsePositive(const QString &text, int highest, const char *what)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1 || value > highest)
        throw Exception(QStringLiteral("bad %1: %2").arg(QLatin1String(what), text));
    return value;
}

} // namespace

PerfdOptions ParsePerfdOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Listen on ADDRESS (repeatable)."),
                                    QStringLiteral("ADDRESS"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("TCP port (445)."),
                                  QStringLiteral("N"));
    const QCommandLineOption allow(QStringLiteral("allow"),
                                   QStringLiteral("Serve clients of NETWORK/BITS (repeatable)."),
                                   QStringLiteral("NETWORK/BITS"));
    const QCommandLineOption proc(QStringLiteral("proc"),
                                  QStringLiteral("Read DIR instead of /proc."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption idle(QStringLiteral("idle"),
                                  QStringLiteral("Close a connection idle for SECONDS (30)."),
                                  QStringLiteral("SECONDS"));
    const QCommandLineOption maxConnections(
        QStringLiteral("max-connections"),
        QStringLiteral("Hold at most N connections (what the descriptor limit allows)."),
        QStringLiteral("N"));
    parser.addOptions({listen, port, allow, proc, idle, maxConnections});
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty())
        throw Exception(parser.errorText().isEmpty() ? QStringLiteral("unexpected argument")
                                                     : parser.errorText());
    PerfdOptions options;
    for (const QString &text : parser.values(listen))
        options.listen.append(ParseAddress(text));
    for (const QString &text : parser.values(allow))
        options.allow.append(ParseNetwork(text));
    if (parser.isSet(port))
        options.port = quint16(ParsePositive(parser.value(port), 65535, "port"));
    if (parser.isSet(proc)) options.procDir = parser.value(proc);
    if (parser.isSet(idle))
        options.idle = std::chrono::seconds(ParsePositive(parser.value(idle), 86400, "idle"));
    if (parser.isSet(maxConnections))
        options.maxConnections =
            ParsePositive(parser.value(maxConnections), 1 << 20, "max-connections");
    return options;
}
