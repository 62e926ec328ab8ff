// The customer groups a report can be run for, as the group selection dialog lists them: one
// item per group, its number padded to two places, " - " and its name ("  7 - Retail" is group 7).
#pragma once

#include <QString>
#include <QStringList>

namespace reports {

// Every group of the open GROUPS table in group-number order, records marked deleted left out.
QStringList GroupItems();

// The group number an item starts with.
int GroupNumberOfItem(const QString& item);

}  // namespace reports
