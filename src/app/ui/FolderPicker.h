#pragma once

#include <QFileDialog>

class IUserPrompt;

// A picker of folders that offers to create a folder typed there which does not exist
// yet (with its parents), where a plain picker only says it was not found.
class FolderPicker final : public QFileDialog
{
    Q_OBJECT
public:
    FolderPicker(IUserPrompt& prompt, QWidget* parent, const QString& title);

    void accept() override;

private:
    IUserPrompt& m_prompt;
};
