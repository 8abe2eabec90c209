#pragma once
// Texts of the Windows socket error numbers, as the probe's exceptions show
// them: "10061:Connection refused", or "Unknown Error No. " and the number.

#include <QString>

QString SocketErrorStr(int error);
