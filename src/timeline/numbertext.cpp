#include "numbertext.h"

#include "app/failure.h"

#include <QLocale>

#include <cmath>
#include <optional>

namespace editor {
namespace {
std::optional<double> readNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}
} // namespace

bool isNumericText(const QString& text)
{
    return readNumber(text).has_value();
}

int toWholeNumber(const QString& text)
{
    const std::optional<double> value = readNumber(text);
    if (!value)
        throw app::Failure(QStringLiteral("Type mismatch"));
    // nearbyint rounds half to even under the default rounding mode.
    const double whole = std::nearbyint(*value);
    if (whole < -32768.0 || whole > 32767.0)
        throw app::Failure(QStringLiteral("Overflow"));
    return static_cast<int>(whole);
}

} // namespace editor
