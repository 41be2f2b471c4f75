// Writes the title and the Yearly list over and over until it is killed. Starts after
// the highest sequence number already stored, so every run continues the last one.
#include "storecrashvalue.h"

#include "timeline/settingsstore.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: storecrashwriter <store folder>\n");
        return 2;
    }
    editor::QSettingsStore store(arguments.at(1));
    const QStringList keys = {QStringLiteral("Text1"), QStringLiteral("Timeline1")};
    qint64 sequence = 0;
    for (const QString& key : keys) {
        const QString value = store.read(key, QString());
        if (value.isEmpty())
            continue;
        const auto stored = storecrash::checkValue(key, value);
        if (!stored) {
            std::fprintf(stderr, "damaged value under %s\n", qPrintable(key));
            return 3;
        }
        sequence = std::max(sequence, *stored);
    }
    std::printf("%lld\n", static_cast<long long>(sequence));
    std::fflush(stdout);
    for (;;) {
        ++sequence;
        for (const QString& key : keys)
            store.write(key, storecrash::valueFor(key, sequence));
    }
}
