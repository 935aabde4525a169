#include "builders/ui/Form10.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "winsupport/ui/DialogFrame.h"

Form10::Form10(bool defappend, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Desired Action"));

    m_option1[0] = new QRadioButton(QStringLiteral("Build new list"), this);
    m_option1[0]->setObjectName(QStringLiteral("Option1_0"));
    m_option1[1] = new QRadioButton(QStringLiteral("Append to list"), this);
    m_option1[1]->setObjectName(QStringLiteral("Option1_1"));

    auto* buttons = new QDialogButtonBox(this);
    m_command1 = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true);
    connect(m_command1, &QPushButton::clicked, this, &Form10::Command1_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_option1[0]);
    layout->addWidget(m_option1[1]);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    setMinimumWidth(260);
    makeFixedDialog(*this);

    Option1_Click(defappend ? 1 : 0);
}

void Form10::Option1_Click(int index)
{
    if (index == 0 || index == 1)
        m_option1[index]->setChecked(true);
}

void Form10::Command1_Click()
{
    m_choice = m_option1[1]->isChecked();
    accept();
}
