#pragma once

#include <QDialog>

class IUserPrompt;
class QLabel;

// "About...": the logo, the version, the maker's web site and support address (both
// open with the user's programs) and the idle status text.
class FrmAbt final : public QDialog
{
    Q_OBJECT
public:
    FrmAbt(IUserPrompt& prompt, const QString& idleStatus, QWidget* parent = nullptr);

    void Label6_Click(); // the web site
    void Label5_Click(); // the support address

private:
    // Opens target; says failure when no program could open it.
    void open(const QString& target, const QString& failure);

    IUserPrompt& m_prompt;
};
