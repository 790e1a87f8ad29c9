#pragma once

#include <QString>

class QWidget;
struct FileChooser;

enum class MessageIcon
{
    Error,
    Information,
};

// Everything the main window asks of the user goes through here: file
// choosers, message boxes and the About box, each owned by the window.
class IUserPrompts
{
public:
    virtual ~IUserPrompts() = default;

    // The chosen full path, or an empty string when the user cancelled.
    virtual QString ChooseFile(QWidget& owner, const FileChooser& chooser) = 0;
    // A message box with one OK button.
    virtual void ShowMessage(QWidget& owner, const QString& text, const QString& caption,
                             MessageIcon icon) = 0;
    virtual void RunAboutBox(QWidget& owner) = 0;
};
