#include "samples.h"

namespace editor {

QList<TimelineEntry> sampleEntries(int scale)
{
    switch (scale) {
    case 1:
        return {
            {QStringLiteral("1955"), QStringLiteral("Graduated in high school in New Hampshire")},
            {QStringLiteral("1960"), QStringLiteral("Graduated college in Boston")},
            {QStringLiteral("1965"), QStringLiteral("Married in West Virginia")},
            {QStringLiteral("1970"), QStringLiteral("Moved to Atlanta")},
            {QStringLiteral("1975"), QStringLiteral("Relocated to Florida")},
            {QStringLiteral("1980"), QStringLiteral("Moved to Seattle")},
            {QStringLiteral("1985"), QStringLiteral("New job in Los Angeles")},
            {QStringLiteral("1990"), QStringLiteral("Relocated to California")},
        };
    case 2:
        return {
            {QStringLiteral("Apr 2000"), QStringLiteral("Created a new company call Olvantri")},
            {QStringLiteral("Jan 2001"), QStringLiteral("Incorporated as Olvantri Inc.")},
            {QStringLiteral("Jan 2002"), QStringLiteral("Launches the first product")},
            {QStringLiteral("Jul 2002"), QStringLiteral("1 million copies sold")},
            {QStringLiteral("Jan 2003"), QStringLiteral("Released 2.0 with great success")},
            {QStringLiteral("Jul 2003"), QStringLiteral("2.5 million copies sold")},
            {QStringLiteral("Jan 2004"), QStringLiteral("Company moves to new office in Boston")},
            {QStringLiteral("Dec 2004"), QStringLiteral("Olvantri has over 1,000 employees")},
        };
    case 3:
        return {
            {QStringLiteral("5/3/2010"), QStringLiteral("Initial planning begins")},
            {QStringLiteral("5/5/2010"),
             QStringLiteral("Business goals for BizTalk Server solution determined")},
            {QStringLiteral("5/6/2010"), QStringLiteral("Architechture diagram created")},
            {QStringLiteral("5/7/2010"),
             QStringLiteral("High availability & disaster recovery requirements determined")},
            {QStringLiteral("5/10/2010"), QStringLiteral("General sizing guidelines determined")},
            {QStringLiteral("5/11/2010"), QStringLiteral("Summary hardware diagram created")},
            {QStringLiteral("5/12/2010"),
             QStringLiteral("BizTalk Server solution installed and deployed")},
            {QStringLiteral("5/13/2010"), QStringLiteral("BizTalk Server solution tested")},
        };
    default:
        return {};
    }
}

} // namespace editor
