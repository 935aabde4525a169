#pragma once

#include <QDialog>
#include <optional>

#include "core/DialogRequests.h"

class IUserPrompt;
class QCheckBox;
class QLineEdit;

// "Add Single Link": one typed URL to add to the list.
class Form11 final : public QDialog
{
    Q_OBJECT
public:
    Form11(bool defappend, IUserPrompt& prompt, QWidget* parent = nullptr);

    // The URL exactly as typed and the append choice; nullopt after "Cancel" or closing
    // the window. A URL the "Add " test refuses is reported through the prompt and the
    // dialog stays open.
    const std::optional<SingleLinkRequest>& request() const { return m_request; }

private:
    void Command1_Click(); // Add

    IUserPrompt& m_prompt;
    QLineEdit* m_text1;
    QCheckBox* m_check1;
    std::optional<SingleLinkRequest> m_request;
};
