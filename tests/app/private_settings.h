#pragma once
// Points this process's configuration directory at a fresh temporary one, so
// that test programs running side by side never share a settings file and
// none of them touches the user's own.

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

class PrivateSettings {
public:
    PrivateSettings() : previous_(qgetenv("XDG_CONFIG_HOME")), hadPrevious_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    }
    ~PrivateSettings()
    {
        if (hadPrevious_)
            qputenv("XDG_CONFIG_HOME", previous_);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    PrivateSettings(const PrivateSettings &) = delete;
    PrivateSettings &operator=(const PrivateSettings &) = delete;

    QString File() const { return dir_.filePath(QStringLiteral("Tarvenix/software.ini")); }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};
