#pragma once

#include <QDialog>
#include <optional>

#include "core/DialogRequests.h"

class IUserPrompt;
class QCheckBox;
class QComboBox;
class QPushButton;
class SelectionKeepingLineEdit;
class UrlHistory;

// "Build Sequential List": a pattern URL whose selected part counts from Start # to End #.
class Form2 final : public QDialog
{
    Q_OBJECT
public:
    // Clipboard text that begins with "http" or "ftp" (any case) prefills the URL box.
    // The URL box completes from the history; "Build" remembers the URL there.
    Form2(const SequenceDialogInput& input, IUserPrompt& prompt, UrlHistory& history,
        QWidget* parent = nullptr);

    // The pattern, its selected part and the two numbers as they were when "Build" was
    // pressed; nullopt after "Cancel" or closing the window.
    const std::optional<SequenceRequest>& request() const { return m_request; }

private:
    void Text1_LostFocus();
    void text3_Change();
    void updateBuildState();
    void Command1_Click(); // Build
    void Command2_Click(); // Help

    IUserPrompt& m_prompt;
    UrlHistory& m_history;
    SelectionKeepingLineEdit* m_text1;
    QComboBox* m_text3;
    QComboBox* m_text4;
    QCheckBox* m_check1;
    QPushButton* m_command1;
    std::optional<SequenceRequest> m_request;
};
