#pragma once

#include "docgen/pagelayout.h"

#include <QList>
#include <QString>

// A list with every mark an entry can carry: nine yearly entries in three categories, two
// of them spans (joined by an en dash and by " to ") and one a milestone.
inline QList<docgen::TimelineEntry> markedEntries()
{
    const QString building = QStringLiteral("Building");
    const QString people = QStringLiteral("People");
    const QString services = QStringLiteral("Services");
    return {{"1990", "Founded the workshop in a barn", building},
            {QStringLiteral("1993\u20131997"), "Built the first hall", building},
            {"1995", "Hired the first apprentices", people},
            {"1998", "Opened the repair service", services, true},
            {"2000 to 2004", "Ran the county's school workshops", services},
            {"2002", "Second hall finished", building},
            {"2005", "Fifty people on the payroll", people},
            {"2008", "Started the delivery round", services},
            {"2012", "Moved to the new site", building}};
}
