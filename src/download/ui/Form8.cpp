#include "download/ui/Form8.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWindow>

#include "core/IUserPrompt.h"
#include "download/DownloadNames.h"
#include "winsupport/ui/DialogFrame.h"

Form8::Form8(const QString& filnm, IUserPrompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_filnm(filnm)
    , m_prompt(prompt)
{
    setWindowTitle(QStringLiteral("File Exists"));

    auto* label1
        = new QLabel(QStringLiteral("The file \"%1\" already exists in the destination "
                                    "folder. Select the action you wish to be taken below.")
                         .arg(filnm),
            this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setTextFormat(Qt::PlainText);
    label1->setWordWrap(true);
    label1->setMinimumWidth(360);

    const char* captions[3] = { "Overwrite", "Skip file", "Save with new name:" };
    auto* options = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        m_option1[i] = new QRadioButton(QString::fromLatin1(captions[i]), this);
        m_option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        options->addWidget(m_option1[i], i, 0);
        connect(m_option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    }
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setEnabled(false);
    options->addWidget(m_text1, 2, 1);
    options->setColumnStretch(1, 1);
    // The text box is usable exactly while "Save with new name:" is selected.
    connect(m_option1[2], &QRadioButton::toggled, m_text1, &QLineEdit::setEnabled);
    m_option1[0]->setChecked(true);

    m_check1 = new QCheckBox(
        QStringLiteral("Use this action for all subsequent files during this transfer."), this);
    m_check1->setObjectName(QStringLiteral("Check1"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &Form8::Command1_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addLayout(options);
    layout->addWidget(m_check1);
    layout->addWidget(buttons);
    makeFixedDialog(*this);
}

void Form8::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A window manager gives the focus only to a window it already manages: asking for
    // it before the window is on the screen is ignored, so it is asked again once the
    // window is first exposed.
    m_focusOnExpose = true;
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
    takeFocus();
}

bool Form8::eventFilter(QObject* watched, QEvent* event)
{
    if (m_focusOnExpose && watched == windowHandle() && event->type() == QEvent::Expose
        && windowHandle()->isExposed()) {
        m_focusOnExpose = false;
        takeFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void Form8::takeFocus()
{
    raise();
    activateWindow();
}

void Form8::selectTypedName()
{
    m_text1->setFocus();
    m_text1->selectAll();
}

void Form8::Option1_Click(int index)
{
    if (index == 2) {
        m_text1->setEnabled(true);
        m_text1->setText(m_filnm);
        selectTypedName();
    } else {
        m_text1->clear();
    }
}

void Form8::Command1_Click()
{
    FileExistsAction action = FileExistsAction::Overwrite;
    if (m_option1[1]->isChecked())
        action = FileExistsAction::Skip;
    else if (m_option1[2]->isChecked())
        action = FileExistsAction::SaveWithNewName;
    QString filnm = m_filnm;
    if (action == FileExistsAction::SaveWithNewName) {
        const QString typed = m_text1->text();
        if (typed.isEmpty()) {
            m_prompt.message(PromptIcon::Exclamation, QStringLiteral("No Filename Specified"),
                QStringLiteral("Please specify a valid filename in the space provided or choose "
                               "anothr save option."));
            m_text1->setText(m_filnm);
            takeFocus();
            selectTypedName();
            return;
        }
        const QString problem = TypedNameProblem(typed);
        if (!problem.isEmpty()) {
            m_prompt.message(PromptIcon::Exclamation, QStringLiteral("Invalid Filename"), problem);
            takeFocus();
            selectTypedName();
            return;
        }
        filnm = typed;
    }
    m_answer = FileExistsAnswer { action, filnm, m_check1->isChecked() };
    accept();
}
