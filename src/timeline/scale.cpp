#include "scale.h"

#include "numbertext.h"

#include "app/failure.h"

namespace editor {
namespace {
// Indexed by scale number minus one.
constexpr const char* kScaleNames[kScaleCount] = {"Yearly", "Monthly", "Daily"};
} // namespace

QString scaleName(int scale)
{
    return QLatin1String(kScaleNames[scale >= 1 && scale <= kScaleCount ? scale - 1 : 2]);
}

std::optional<int> scaleFromName(QStringView name)
{
    for (int scale = 1; scale <= kScaleCount; ++scale)
        if (name.compare(QLatin1String(kScaleNames[scale - 1]), Qt::CaseInsensitive) == 0)
            return scale;
    return std::nullopt;
}

int scaleOfStoredOption(const QString& stored)
{
    try {
        const int number = toWholeNumber(stored);
        if (number >= 1 && number <= kScaleCount)
            return number;
    } catch (const app::Failure&) {
        // Not a number, or out of range.
    }
    return 1;
}

} // namespace editor
