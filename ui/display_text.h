#pragma once
// How a field's value reads in a grid, a list or a data-bound text.

#include "store/field.h"

#include <QVariant>

QString DisplayText(const QVariant &value, FieldType type);
