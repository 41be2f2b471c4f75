#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace editor {

// A timeline's scale is numbered 1 (Yearly), 2 (Monthly) or 3 (Daily), as the option
// buttons and the stored option number it; 0 stands for none.
inline constexpr int kScaleCount = 3;

// "Yearly", "Monthly" or "Daily", as messages name a scale.
QString scaleName(int scale);
// The scale a name gives, in any case ("yearly", "Monthly"); nothing for another text.
std::optional<int> scaleFromName(QStringView name);
// The scale the studio shows at start for the stored option: the option when it is a
// whole number that names a scale, Yearly otherwise (the layout's own choice).
int scaleOfStoredOption(const QString& stored);

} // namespace editor
