#pragma once

#include "dialogs.h"

#include <QString>

#include <exception>
#include <utility>

namespace app {

inline constexpr const char* kSupportAddress = "support@loomchartstudio.com";
inline constexpr const char* kErrorBoxTitle = "Application Error";

// description, CR LF, label (with its trailing space), "at line ", number, CR, CR, request.
QString applicationErrorText(const QString& description, const QString& label, int statement);

// The closing handler of the main window shows its box without an icon; every other
// label shows the exclamation icon.
MessageIcon errorBoxIcon(const QString& label);

// Builds the message and shows the "Application Error" box; returns after OK.
void ShowApplicationError(Dialogs& dialogs, const QString& label, int statement,
                          const QString& description);

// The description a caught exception carries.
QString describeCurrentException();

// One run of a trapped procedure. Each numbered statement is a callable; a statement
// that throws is abandoned where it failed, the error box names the label and its
// number, and the procedure goes on with the next statement. A routine without a trap
// of its own simply throws, so the failure lands on the calling statement's number.
class Trap
{
public:
    Trap(Dialogs& dialogs, QString label) : mDialogs(dialogs), mLabel(std::move(label)) {}

    template <typename Statement> void step(int number, Statement&& statement)
    {
        try {
            std::forward<Statement>(statement)();
        } catch (...) {
            report(number);
        }
    }

    // The test at the head of a conditional block or loop. A failing test lets the
    // block run, so it counts as true.
    template <typename Condition> bool test(int number, Condition&& condition)
    {
        try {
            return static_cast<bool>(std::forward<Condition>(condition)());
        } catch (...) {
            report(number);
            return true;
        }
    }

    // A statement that yields a value; after a failure the value is `fallback`.
    template <typename T, typename Statement> T value(int number, T fallback, Statement&& statement)
    {
        try {
            return std::forward<Statement>(statement)();
        } catch (...) {
            report(number);
            return fallback;
        }
    }

    int failures() const { return mFailures; }
    const QString& label() const { return mLabel; }

private:
    void report(int number);

    Dialogs& mDialogs;
    QString mLabel;
    int mFailures = 0;
};

} // namespace app
