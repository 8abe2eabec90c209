#include "platform/windows_logon.h"

bool KeepsOwnWindowsAccounts() { return true; }
