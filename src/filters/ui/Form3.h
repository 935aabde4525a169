#pragma once

#include <QDialog>
#include <QStringList>
#include <optional>

#include "filters/FilterListEditor.h"

class IUserPrompt;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Manage Filters": edits a working copy of the file-type list.
class Form3 final : public QDialog
{
    Q_OBJECT
public:
    // entries: the stored "description - extension" lines, in stored order.
    Form3(const QStringList& entries, IUserPrompt& prompt, QWidget* parent = nullptr);

    // The edited list when "Save" was pressed; nullopt after "Cancel" or closing the
    // window.
    const std::optional<QStringList>& entries() const { return m_result; }

private:
    void updateButtons();
    void Command1_Click(); // Add
    void Command4_Click(); // Delete
    void Command2_Click(); // Save

    IUserPrompt& m_prompt;
    FilterListEditor m_editor;
    QLineEdit* m_text1;
    QLineEdit* m_text2;
    QListWidget* m_list1;
    QPushButton* m_command1;
    QPushButton* m_command4;
    std::optional<QStringList> m_result;
};
