#include "listops/ui/Form9.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "winsupport/ui/DialogFrame.h"

Form9::Form9(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Search List"));

    auto* label1 = new QLabel(QStringLiteral("Search text:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMinimumWidth(300);
    label1->setBuddy(m_text1);
    m_check1 = new QCheckBox(QStringLiteral("Match Case"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check2 = new QCheckBox(QStringLiteral("Add to Selection"), this);
    m_check2->setObjectName(QStringLiteral("Check2"));
    m_check2->setChecked(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* find = buttons->addButton(QStringLiteral("Find"), QDialogButtonBox::AcceptRole);
    find->setObjectName(QStringLiteral("Command1"));
    find->setDefault(true);
    QPushButton* findNext
        = buttons->addButton(QStringLiteral("Find Next"), QDialogButtonBox::ActionRole);
    findNext->setObjectName(QStringLiteral("Command2"));
    QPushButton* cancel
        = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Command3"));
    connect(find, &QPushButton::clicked, this, [this] { finish(false); });
    connect(findNext, &QPushButton::clicked, this, [this] { finish(true); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* options = new QHBoxLayout;
    options->addWidget(m_check1);
    options->addSpacing(12);
    options->addWidget(m_check2);
    options->addStretch(1);
    auto* grid = new QGridLayout;
    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_text1, 0, 1);
    grid->addLayout(options, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    makeFixedDialog(*this);
    m_text1->setFocus();
}

void Form9::finish(bool findNext)
{
    m_request
        = SearchRequest { m_text1->text(), m_check1->isChecked(), m_check2->isChecked(), findNext };
    accept();
}
