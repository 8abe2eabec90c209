#pragma once
// The service's command line.

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QStringList>
#include <chrono>

struct PerfdOptions {
    QList<QHostAddress> listen; // empty: every IPv4 address
    quint16 port = 445;
    QList<QPair<QHostAddress, int>> allow; // empty: 127.0.0.0/8
    QString procDir = QStringLiteral("/proc");
    std::chrono::milliseconds idle{30000}; // a silent connection is closed after this
    int maxConnections = 0;                // 0: as many as the descriptor limit leaves room for
};

// Raises Exception with a usage text on a bad option.
PerfdOptions ParsePerfdOptions(const QStringList &arguments);
