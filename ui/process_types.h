#pragma once
// Sorting process names into types: the by-type list, moving the highlighted
// name into the chosen type, and setting the type of a name directly.

#include <QVariant>

class Query;
class Table;

// Reruns the by-type list for the type key (null: no names).
void ShowNamesOfType(Query &adoqProcessByType, const QVariant &typeKey);

// Gives the catalogue row with the process key the type, then refreshes the
// by-type list; a key that matches no row changes nothing.
void SetProcessType(Table &adotProcess, Query &adoqProcessByType, const QVariant &processKey, int type);

// The chosen type key read as a type; raises EVariantError while none is chosen.
int ChosenType(const QVariant &typeKey);
