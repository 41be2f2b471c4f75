#pragma once

#include <QProcessEnvironment>
#include <QtGlobal>

namespace testsupport {

// New pages follow the locale's paper category, LC_ALL first: this gives them Letter, as
// in the United States, whatever the machine's own locale.
inline void pinLetterPaper()
{
    qputenv("LC_ALL", "en_US.UTF-8");
}

// For a program a test starts: the pinned C.UTF-8 locale of every test, which the machine
// has, rather than the one pinLetterPaper() names, which it may not.
inline QProcessEnvironment toolEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return environment;
}

} // namespace testsupport
