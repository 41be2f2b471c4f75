#include "apptitle.h"

namespace app {
namespace {
QString& titleStorage()
{
    static QString title;
    return title;
}
} // namespace

QString deriveApplicationTitle(const QString& productName)
{
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            break;
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

void SetApplicationTitle()
{
    titleStorage() = deriveApplicationTitle(QString::fromLatin1(kProductName));
}

QString applicationTitle()
{
    return titleStorage();
}

} // namespace app

namespace app {
QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/loomchart-%1.png").arg(size), QSize(size, size));
    return icon;
}
} // namespace app
