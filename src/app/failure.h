#pragma once

#include <QString>

#include <stdexcept>

namespace app {

// The one exception our library code throws. It carries the description text that
// the "Application Error" box shows; engine failures and our own checks both use it.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString& description)
        : std::runtime_error(description.toStdString()), mDescription(description)
    {}
    const QString& description() const noexcept { return mDescription; }

private:
    QString mDescription;
};

} // namespace app
