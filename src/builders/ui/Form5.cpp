#include "builders/ui/Form5.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "winsupport/UrlHistory.h"
#include "winsupport/ui/DialogFrame.h"
#include "winsupport/ui/Shell.h"

Form5::Form5(const UrlDialogInput& input, UrlHistory& history, QWidget* parent)
    : QDialog(parent)
    , m_history(history)
{
    setWindowTitle(QStringLiteral("Build List from URL"));

    auto* label1 = new QLabel(QStringLiteral("URL:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_combo1 = new QComboBox(this);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo1->setEditable(true);
    m_combo1->setInsertPolicy(QComboBox::NoInsert);
    auto* collectLabel = new QLabel(QStringLiteral("C&ollect:"), this);
    m_collect = new QComboBox(this);
    m_collect->setObjectName(QStringLiteral("cboCollect"));
    m_collect->addItem(QStringLiteral("Links"), int(HarvestCollect::Links));
    m_collect->addItem(QStringLiteral("Media"), int(HarvestCollect::Media));
    m_collect->addItem(QStringLiteral("Links and media"), int(HarvestCollect::Both));
    m_collect->setCurrentIndex(m_collect->findData(int(input.collect)));
    m_collect->setToolTip(QStringLiteral("What the build takes from the page; the same choice "
                                         "as \"Collect\" in the \"Options\" menu."));
    collectLabel->setBuddy(m_collect);
    m_check2 = new QCheckBox(QStringLiteral("Append to existing list"), this);
    m_check2->setObjectName(QStringLiteral("Check2"));
    m_label2 = new QLabel(this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setText(input.filtersApplied
            ? QStringLiteral("Filters will be applied. (See \"Options\" menu.)")
            : QStringLiteral("Filters will not be applied. (See \"Options\" menu.)"));

    auto* buttons = new QDialogButtonBox(this);
    m_command1 = buttons->addButton(QStringLiteral("Build"), QDialogButtonBox::AcceptRole);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true);
    QPushButton* cancel
        = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Command3"));
    connect(m_command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_text1, 0, 1);
    grid->addWidget(m_combo1, 0, 1);
    grid->addWidget(collectLabel, 1, 0);
    grid->addWidget(m_collect, 1, 1, Qt::AlignLeft);
    grid->addWidget(m_check2, 2, 1);
    grid->addWidget(m_label2, 3, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    m_text1->setMinimumWidth(380);
    m_combo1->setMinimumWidth(380);

    m_check2->setChecked(input.defappend);
    AttachAutoComplete(m_text1, m_history);
    if (input.hasCurrentEntry) {
        m_combo1->addItem(input.currentEntry);
        m_combo1->setCurrentIndex(0);
        m_text1->hide();
        label1->setBuddy(m_combo1);
        m_combo1->setFocus();
    } else {
        m_combo1->hide();
        label1->setBuddy(m_text1);
        m_text1->setFocus();
    }
    makeFixedDialog(*this);

    connect(m_text1, &QLineEdit::textChanged, this, &Form5::updateBuildState);
    connect(m_combo1, &QComboBox::editTextChanged, this, &Form5::updateBuildState);
    updateBuildState();
}

QString Form5::urlText() const
{
    return m_text1->isHidden() ? m_combo1->currentText() : m_text1->text();
}

void Form5::updateBuildState()
{
    m_command1->setEnabled(!urlText().isEmpty());
}

void Form5::Command1_Click()
{
    const QString url = urlText();
    if (url.isEmpty())
        return;
    m_history.remember(url);
    m_request = UrlRequest { url, m_check2->isChecked(),
        static_cast<HarvestCollect>(m_collect->currentData().toInt()) };
    accept();
}
