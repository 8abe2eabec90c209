#pragma once
// Sorting process names into types: the by-type list, moving the highlighted
// name into the chosen type, and setting the type of a name directly.

#include <QVariant>

class Connection;
class Query;
class Table;

// Reruns the by-type list for the type key (null: no names).
void ShowNamesOfType(Query &adoqProcessByType, const QVariant &typeKey);

// Gives the catalogue rows with the process keys the type, all or none of
// them, then refreshes the by-type list; a key that matches no row changes
// nothing.
void SetProcessType(Connection &adocMain, Table &adotProcess, Query &adoqProcessByType, const QVariantList &processKeys,
                    int type);

// The chosen type key read as a type; raises EVariantError while none is chosen.
int ChosenType(const QVariant &typeKey);
