#include "appearance.h"

#include "failure.h"
#include "fileutil.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>

namespace app {
namespace {
constexpr const char* kPictureBoxProperty = "loomPictureBox";

bool takesFormColor(const QWidget* widget, bool includePictureBoxes)
{
    if (qobject_cast<const QRadioButton*>(widget) || qobject_cast<const QCheckBox*>(widget) ||
        qobject_cast<const QGroupBox*>(widget) || qobject_cast<const QLabel*>(widget))
        return true;
    return includePictureBoxes && isPictureBox(widget);
}

void colorWindowAndControls(QWidget* window, bool includePictureBoxes)
{
    const QColor face = buttonFaceColor();
    setBackColor(window, face);
    // findChildren walks the children in creation order, which is the window's control order.
    const auto controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (takesFormColor(control, includePictureBoxes))
            setBackColor(control, face);
    }
}
} // namespace

QColor designedWhite()
{
    return QColor(255, 255, 255);
}

QColor buttonFaceColor()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void setBackColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void markAsPictureBox(QWidget* widget)
{
    widget->setProperty(kPictureBoxProperty, true);
}

bool isPictureBox(const QWidget* widget)
{
    return widget->property(kPictureBoxProperty).toBool();
}

bool ApplySkin(QWidget* mainWindow, const QString& folder)
{
    const QFileInfo skin(inFolder(folder, QString::fromLatin1(kSkinFile)));
    if (!skin.exists() || !skin.isFile() || skin.isHidden())
        return false;
    colorWindowAndControls(mainWindow, true);
    QFile file(skin.filePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(QStringLiteral("Cannot read the skin file %1: %2")
                          .arg(QDir::toNativeSeparators(skin.filePath()), file.errorString()));
    mainWindow->setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

void ApplyFormColors(QWidget* window)
{
    colorWindowAndControls(window, false);
}

} // namespace app
