#include "filters/ui/Form3.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/IUserPrompt.h"
#include "winsupport/ui/DialogFrame.h"

Form3::Form3(const QStringList& entries, IUserPrompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_prompt(prompt)
    , m_editor(entries)
{
    setWindowTitle(QStringLiteral("Manage Filters"));

    auto* label3 = new QLabel(
        QStringLiteral("Define the file types below whose links you'd like displayed in the "
                       "list when building a list from a url. Enter a description and an "
                       "extension then click \"Add\". Don't include the dot. "),
        this);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setWordWrap(true);

    auto* label1 = new QLabel(QStringLiteral("Description:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    label1->setBuddy(m_text1);
    auto* label2 = new QLabel(QStringLiteral("Extension:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    m_text2 = new QLineEdit(this);
    m_text2->setObjectName(QStringLiteral("Text2"));
    label2->setBuddy(m_text2);
    m_command1 = new QPushButton(QStringLiteral("Add"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));

    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list1->setMinimumHeight(160);
    m_list1->addItems(m_editor.entries());
    m_command4 = new QPushButton(QStringLiteral("Delete"), this);
    m_command4->setObjectName(QStringLiteral("Command4"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("Command2"));
    QPushButton* cancel
        = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Command3"));

    // Enter in the text boxes adds the typed entry; "Save" is pressed deliberately.
    for (QPushButton* b : { m_command1, m_command4, save, cancel })
        b->setAutoDefault(false);
    m_command1->setDefault(true);

    connect(m_command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(m_command4, &QPushButton::clicked, this, &Form3::Command4_Click);
    connect(save, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_text1, &QLineEdit::textChanged, this, &Form3::updateButtons);
    connect(m_text2, &QLineEdit::textChanged, this, &Form3::updateButtons);
    connect(m_list1, &QListWidget::itemSelectionChanged, this, &Form3::updateButtons);

    auto* entry = new QGridLayout;
    entry->addWidget(label1, 0, 0);
    entry->addWidget(m_text1, 0, 1);
    entry->addWidget(label2, 1, 0);
    entry->addWidget(m_text2, 1, 1);
    entry->addWidget(m_command1, 1, 2);
    entry->setColumnStretch(1, 1);

    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(m_command4);
    listButtons->addStretch(1);
    auto* list = new QHBoxLayout;
    list->addWidget(m_list1, 1);
    list->addLayout(listButtons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label3);
    layout->addSpacing(4);
    layout->addLayout(entry);
    layout->addLayout(list);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    setMinimumWidth(460);
    makeFixedDialog(*this);

    updateButtons();
    m_text1->setFocus();
}

void Form3::updateButtons()
{
    m_command1->setEnabled(m_editor.canAdd(m_text1->text(), m_text2->text()));
    m_command4->setEnabled(!m_list1->selectedItems().isEmpty());
}

void Form3::Command1_Click()
{
    if (!m_editor.canAdd(m_text1->text(), m_text2->text()))
        return;
    if (const std::optional<QString> duplicate = m_editor.add(m_text1->text(), m_text2->text())) {
        m_prompt.message(PromptIcon::Information, QStringLiteral("Duplicate Type"),
            FilterListEditor::duplicateMessage(*duplicate));
        return;
    }
    m_list1->addItem(m_editor.entries().constLast());
    m_text1->clear();
    m_text2->clear();
    m_text1->setFocus();
}

void Form3::Command4_Click()
{
    const QList<QListWidgetItem*> selected = m_list1->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = m_list1->row(selected.constFirst());
    m_editor.remove(row);
    delete m_list1->takeItem(row);
    // Like the list after a removal: nothing is selected until the user picks again.
    m_list1->clearSelection();
    m_list1->setCurrentRow(-1);
    updateButtons();
}

void Form3::Command2_Click()
{
    m_result = m_editor.entries();
    accept();
}
