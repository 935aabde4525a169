#include "builders/ui/Form2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "builders/SequenceBuilder.h"
#include "builders/SingleLink.h"
#include "builders/ui/OnlyNumFilter.h"
#include "builders/ui/SelectionKeepingLineEdit.h"
#include "core/IUserPrompt.h"
#include "winsupport/UrlHistory.h"
#include "winsupport/ui/DialogFrame.h"
#include "winsupport/ui/Help.h"
#include "winsupport/ui/Shell.h"

namespace
{

constexpr int kSequenceHelpTopic = 17;

QComboBox* makeNumberBox(const char* name, QObject* filter, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(15);
    box->setMinimumContentsLength(6);
    // Typed numbers are taken as typed, never completed from the list.
    box->setCompleter(nullptr);
    // Keys reach the edit through the combo box (its focus proxy) or directly.
    box->installEventFilter(filter);
    box->lineEdit()->installEventFilter(filter);
    return box;
}

// Empties the list, fills it with 1 to 500 in the given width and shows the first.
void refill(QComboBox* box, int width)
{
    box->clear();
    box->addItems(SequenceBuilder::numberItems(width));
    box->setCurrentIndex(0);
}

} // namespace

Form2::Form2(
    const SequenceDialogInput& input, IUserPrompt& prompt, UrlHistory& history, QWidget* parent)
    : QDialog(parent)
    , m_prompt(prompt)
    , m_history(history)
{
    setWindowTitle(QStringLiteral("Build Sequential List"));

    auto* label4 = new QLabel(
        QStringLiteral("Enter a url below then select the portion you would like to increment."),
        this);
    label4->setObjectName(QStringLiteral("Label4"));
    label4->setWordWrap(true);
    auto* label1 = new QLabel(QStringLiteral("URL:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new SelectionKeepingLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMinimumWidth(420);
    label1->setBuddy(m_text1);

    auto* digitsOnly = new OnlyNumFilter(this);
    auto* label2 = new QLabel(QStringLiteral("Start #:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    m_text3 = makeNumberBox("text3", digitsOnly, this);
    label2->setBuddy(m_text3);
    auto* label3 = new QLabel(QStringLiteral("End #:"), this);
    label3->setObjectName(QStringLiteral("Label3"));
    m_text4 = makeNumberBox("text4", digitsOnly, this);
    label3->setBuddy(m_text4);

    m_check1 = new QCheckBox(QStringLiteral("Append to existing list"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));

    auto* buttons = new QDialogButtonBox(this);
    m_command1 = buttons->addButton(QStringLiteral("Build"), QDialogButtonBox::AcceptRole);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true);
    QPushButton* help = buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("Command2"));
    help->setAutoDefault(false);
    QPushButton* cancel
        = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Command3"));
    connect(m_command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(help, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* numbers = new QHBoxLayout;
    numbers->addWidget(m_text3);
    numbers->addSpacing(12);
    numbers->addWidget(label3);
    numbers->addWidget(m_text4);
    numbers->addStretch(1);

    auto* grid = new QGridLayout;
    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_text1, 0, 1);
    grid->addWidget(label2, 1, 0);
    grid->addLayout(numbers, 1, 1);
    grid->addWidget(m_check1, 2, 1);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label4);
    layout->addSpacing(4);
    layout->addLayout(grid);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    makeFixedDialog(*this);

    m_check1->setChecked(input.defappend);
    AttachAutoComplete(m_text1, m_history);
    const QString& clip = input.clipboardText;
    if (!clip.isEmpty() && SingleLink::isAcceptable(clip))
        m_text1->setText(clip);
    m_text1->setFocus();

    connect(m_text1, &SelectionKeepingLineEdit::focusLost, this, &Form2::Text1_LostFocus);
    // textEdited comes from typing only; picking an item from the list does not refill.
    connect(m_text3->lineEdit(), &QLineEdit::textEdited, this, &Form2::text3_Change);
    connect(m_text1, &QLineEdit::textChanged, this, &Form2::updateBuildState);
    connect(m_text3, &QComboBox::editTextChanged, this, &Form2::updateBuildState);
    connect(m_text4, &QComboBox::editTextChanged, this, &Form2::updateBuildState);
    updateBuildState();
}

void Form2::Text1_LostFocus()
{
    const int width = m_text1->selectedText().size();
    if (width == 0)
        return;
    refill(m_text3, width);
    refill(m_text4, width);
}

void Form2::text3_Change()
{
    refill(m_text4, m_text3->currentText().size());
}

void Form2::updateBuildState()
{
    m_command1->setEnabled(!m_text1->text().isEmpty() && !m_text3->currentText().isEmpty()
        && !m_text4->currentText().isEmpty());
}

void Form2::Command1_Click()
{
    if (m_text1->selectedText().isEmpty()) {
        m_prompt.message(PromptIcon::Exclamation, QStringLiteral("Error"),
            SequenceBuilder::selectionMissingMessage());
        return;
    }
    SequenceRequest r;
    r.url = m_text1->text();
    r.selectionStart = m_text1->selectionStart();
    r.selectionLength = m_text1->selectedText().size();
    r.startText = m_text3->currentText();
    r.endText = m_text4->currentText();
    r.append = m_check1->isChecked();
    // A number out of range is reported here, with the dialog still open.
    if (const Result<> checked = SequenceBuilder::check(r); !checked) {
        m_prompt.message(PromptIcon::Exclamation, QStringLiteral("Error"), checked.message());
        return;
    }
    m_history.remember(r.url);
    m_request = r;
    accept();
}

void Form2::Command2_Click()
{
    showHelp(this, kSequenceHelpTopic);
}
