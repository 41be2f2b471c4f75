#pragma once

#include <QString>

#include <exception>

namespace office {

// The engine's one failure: a description a person can read. The engine depends on
// nothing of the application, so the adapter turns this into the application's own type.
class Error : public std::exception
{
public:
    explicit Error(QString description)
        : mDescription(std::move(description)), mUtf8(mDescription.toUtf8())
    {}
    const QString& description() const noexcept { return mDescription; }
    const char* what() const noexcept override { return mUtf8.constData(); }

private:
    QString mDescription;
    QByteArray mUtf8;
};

} // namespace office
