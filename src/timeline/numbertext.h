#pragma once

#include <QString>

namespace editor {

// Whether the text, blanks around it ignored, reads as a finite number in the user's
// number format (or, failing that, in the C format). Decides the Yearly date rule.
bool isNumericText(const QString& text);

// The text as a 16-bit whole number, halves rounded to even, the way the stored "Option"
// was always converted. Throws app::Failure "Type mismatch" for a text that is not a
// number and "Overflow" outside -32768..32767.
int toWholeNumber(const QString& text);

} // namespace editor
