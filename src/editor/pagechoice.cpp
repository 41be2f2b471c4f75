#include "pagechoice.h"

#include "settingsstore.h"

#include "office/model.h"

namespace editor {

PageChoice PageChoice::load(SettingsStore& store)
{
    PageChoice choice;
    try {
        choice.classic = store.read(QLatin1String(kLayoutKey), QStringLiteral("Fit"))
                             .compare(QLatin1String("Classic"), Qt::CaseInsensitive) == 0;
        if (const office::Paper* paper =
                office::findPaper(store.read(QLatin1String(kPaperKey), QString())))
            choice.paper = QString::fromLatin1(paper->name);
    } catch (const app::Failure&) {
        // An unreadable choice is no reason to refuse a page: the defaults hold.
    }
    return choice;
}

void PageChoice::save(SettingsStore& store) const
{
    store.write(QLatin1String(kLayoutKey),
                classic ? QStringLiteral("Classic") : QStringLiteral("Fit"));
    if (!paper.isEmpty())
        store.write(QLatin1String(kPaperKey), paper);
}

docgen::PageOptions PageChoice::options() const
{
    docgen::PageOptions options;
    options.layout = classic ? docgen::LayoutStyle::Classic : docgen::LayoutStyle::Fit;
    if (const office::Paper* found = office::findPaper(paper))
        options.paperCode = found->wordCode;
    return options;
}

QString PageChoice::paperShown() const
{
    if (!paper.isEmpty())
        return paper;
    const office::Paper* region = office::paperOf(office::defaultPageSetup());
    return region ? QString::fromLatin1(region->name) : QString();
}

} // namespace editor
