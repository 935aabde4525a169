#pragma once

#include <QDialog>
#include <optional>

#include "core/DialogRequests.h"

class IUserPrompt;
class QCheckBox;
class QLineEdit;
class QRadioButton;

// "File Exists": what to do with a file name that already exists in the destination
// folder of a download.
class Form8 final : public QDialog
{
    Q_OBJECT
public:
    Form8(const QString& filnm, IUserPrompt& prompt, QWidget* parent = nullptr);

    // The answer of "OK"; nullopt when the dialog was closed any other way.
    const std::optional<FileExistsAnswer>& answer() const { return m_answer; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Brings the dialog to the front with the keyboard focus (after its messages too, so
    // Return answers it and not the window behind).
    void takeFocus();
    void Option1_Click(int index);
    void Command1_Click(); // OK
    void selectTypedName();

    QString m_filnm;
    IUserPrompt& m_prompt;
    QRadioButton* m_option1[3];
    QLineEdit* m_text1;
    QCheckBox* m_check1;
    std::optional<FileExistsAnswer> m_answer;
    bool m_focusOnExpose = false;
};
