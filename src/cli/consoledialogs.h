#pragma once

#include "app/dialogs.h"

#include <QString>

#include <cstdio>

namespace cli {

// The dialogs of a run without a window: every message goes to the error stream, and a
// question cannot be answered, so it takes the answer that changes nothing (Cancel, No).
// It counts the messages it wrote.
class ConsoleDialogs : public app::Dialogs
{
public:
    explicit ConsoleDialogs(std::FILE* stream = stderr) : mStream(stream) {}

    int messageCount() const { return mMessageCount; }

protected:
    QString doInputBox(const QString& prompt, const QString& caption,
                       const QString& defaultText) override;
    app::MessageAnswer doMessageBox(const QString& text, app::MessageButtons buttons,
                                    app::MessageIcon icon, const QString& caption,
                                    const QString& detail) override;
    QString doSaveFileName(const QString& title, const QString& startPath,
                           const QStringList& filters, int& filter) override;
    bool doPrintDialog(QPrinter& printer) override;

private:
    void print(const QString& text);

    std::FILE* mStream;
    int mMessageCount = 0;
};

} // namespace cli
