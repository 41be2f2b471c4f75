#include "wordautomation.h"

#include "app/failure.h"

namespace docgen {

void AutomationFactory::registerClass(const QString& progId, Creator creator)
{
    mCreators[progId] = std::move(creator);
}

void throwObjectNotSet()
{
    throw app::Failure(QStringLiteral("Object variable or With block variable not set"));
}

std::shared_ptr<WordApplication> AutomationFactory::createObject(const QString& progId) const
{
    const auto found = mCreators.find(progId);
    if (found == mCreators.end() || !found->second)
        throw app::Failure(QStringLiteral("ActiveX component can't create object"));
    std::shared_ptr<WordApplication> object = found->second();
    if (!object)
        throw app::Failure(QStringLiteral("ActiveX component can't create object"));
    return object;
}

} // namespace docgen
