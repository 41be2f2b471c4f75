#include "errortrap.h"

#include "failure.h"
#include "locationlabels.h"

#include <new>

namespace app {

QString applicationErrorText(const QString& description, const QString& label, int statement)
{
    return description + QStringLiteral("\r\n") + label + QStringLiteral("at line ") +
           QString::number(statement) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(kSupportAddress);
}

MessageIcon errorBoxIcon(const QString& label)
{
    return label == QLatin1String(labels::kForm1QueryUnload) ? MessageIcon::None
                                                             : MessageIcon::Exclamation;
}

void ShowApplicationError(Dialogs& dialogs, const QString& label, int statement,
                          const QString& description)
{
    dialogs.messageBox(applicationErrorText(description, label, statement), MessageButtons::Ok,
                       errorBoxIcon(label), QLatin1String(kErrorBoxTitle));
}

QString describeCurrentException()
{
    try {
        throw;
    } catch (const Failure& failure) {
        return failure.description();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("Unexpected error");
    }
}

void Trap::report(int number)
{
    ++mFailures;
    ShowApplicationError(mDialogs, mLabel, number, describeCurrentException());
}

} // namespace app
