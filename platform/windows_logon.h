#pragma once
// Whether the program keeps Windows accounts of its own. On Windows it reads
// other computers as the user who is logged on, with whatever Windows
// Credential Manager holds for a computer, so it keeps none; elsewhere the
// user gives it the accounts.

bool KeepsOwnWindowsAccounts();
