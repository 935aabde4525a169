#include "app/ui/FolderPicker.h"

#include <QDir>
#include <QFileInfo>

#include "core/IUserPrompt.h"
#include "winsupport/FolderCreation.h"

FolderPicker::FolderPicker(IUserPrompt& prompt, QWidget* parent, const QString& title)
    : QFileDialog(parent, title)
    , m_prompt(prompt)
{
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, true);
}

void FolderPicker::accept()
{
    const QString path = selectedFiles().value(0);
    if (!path.isEmpty() && !QFileInfo::exists(path)) {
        const PromptAnswer create = m_prompt.message(PromptIcon::Question, windowTitle(),
            QStringLiteral("%1\nThis folder does not exist.\nDo you want to create it?")
                .arg(QDir::toNativeSeparators(path)),
            PromptButtons::YesNo);
        if (create != PromptAnswer::Yes)
            return;
        if (const Result<> made = FolderCreation::create(path); !made) {
            m_prompt.message(PromptIcon::Critical, windowTitle(), made.message());
            return;
        }
    }
    QFileDialog::accept();
}
