#include "builders/ui/Form11.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "builders/SingleLink.h"
#include "core/IUserPrompt.h"
#include "winsupport/ui/DialogFrame.h"

Form11::Form11(bool defappend, IUserPrompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_prompt(prompt)
{
    setWindowTitle(QStringLiteral("Add Single Link"));

    auto* label1 = new QLabel(QStringLiteral("URL of link to add:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMinimumWidth(400);
    label1->setBuddy(m_text1);
    m_check1 = new QCheckBox(QStringLiteral("Append to existing list"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setChecked(defappend);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* add = buttons->addButton(QStringLiteral("Add "), QDialogButtonBox::AcceptRole);
    add->setObjectName(QStringLiteral("Command1"));
    add->setDefault(true);
    QPushButton* cancel
        = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Command2"));
    connect(add, &QPushButton::clicked, this, &Form11::Command1_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(m_text1);
    layout->addWidget(m_check1);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    makeFixedDialog(*this);
    m_text1->setFocus();
}

void Form11::Command1_Click()
{
    const QString url = m_text1->text();
    if (!SingleLink::isAcceptable(url)) {
        m_prompt.message(
            PromptIcon::Critical, QStringLiteral("Bad Format"), SingleLink::badFormatMessage());
        return;
    }
    m_request = SingleLinkRequest { url, m_check1->isChecked() };
    accept();
}
