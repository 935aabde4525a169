#pragma once

#include <QDialog>
#include <optional>

class QPushButton;
class QRadioButton;

// "Select Desired Action": asks whether new links replace the list or are appended to it.
class Form10 final : public QDialog
{
    Q_OBJECT
public:
    // "Append to list" is preselected exactly when defappend is true.
    explicit Form10(bool defappend, QWidget* parent = nullptr);

    // true = append, false = build a new list; nullopt when the dialog was closed
    // without "OK".
    const std::optional<bool>& choice() const { return m_choice; }

    // Selects the option with this index (0 "Build new list", 1 "Append to list").
    void Option1_Click(int index);

private:
    void Command1_Click();

    QRadioButton* m_option1[2];
    QPushButton* m_command1;
    std::optional<bool> m_choice;
};
