#pragma once
// Creation of a new, empty monitoring store: the five tables, the four process
// types and the indexes. The program itself never creates tables.

#include <QString>
#include <QStringList>

// Creates the store file at path and appends the given computers in order.
// Refuses a path that already exists and leaves it untouched; when creation
// fails, nothing is left at path. Throws Exception or EDatabaseError.
void CreateStore(const QString &path, const QStringList &computers = {});
