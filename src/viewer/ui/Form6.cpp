#include "viewer/ui/Form6.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "winsupport/ui/DialogFrame.h"
#include "winsupport/ui/Help.h"

Form6::Form6(const SlideshowOptions& stored, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Slide Show Options"));

    auto* include = new QGroupBox(QStringLiteral("Links to Include:"), this);
    m_option1[1] = new QRadioButton(QStringLiteral("Just selected"), include);
    m_option1[1]->setObjectName(QStringLiteral("Option1_1"));
    m_option1[0] = new QRadioButton(QStringLiteral("All in list"), include);
    m_option1[0]->setObjectName(QStringLiteral("Option1_0"));
    auto* includeLayout = new QVBoxLayout(include);
    includeLayout->addWidget(m_option1[1]);
    includeLayout->addWidget(m_option1[0]);

    auto* interval = new QGroupBox(QStringLiteral("Interval:"), this);
    m_combo1 = new QComboBox(interval);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    for (int seconds = 1; seconds <= 120; ++seconds)
        m_combo1->addItem(QString::number(seconds));
    m_combo1->setMaxVisibleItems(12);
    auto* seconds = new QLabel(QStringLiteral("seconds"), interval);
    seconds->setBuddy(m_combo1);
    m_option2[1] = new QRadioButton(QStringLiteral("From load start"), interval);
    m_option2[1]->setObjectName(QStringLiteral("Option2_1"));
    m_option2[0] = new QRadioButton(QStringLiteral("From load comlpete"), interval);
    m_option2[0]->setObjectName(QStringLiteral("Option2_0"));
    auto* comboRow = new QHBoxLayout;
    comboRow->addWidget(m_combo1);
    comboRow->addWidget(seconds);
    comboRow->addStretch(1);
    auto* intervalLayout = new QVBoxLayout(interval);
    intervalLayout->addLayout(comboRow);
    intervalLayout->addWidget(m_option2[1]);
    intervalLayout->addWidget(m_option2[0]);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* start = buttons->addButton(QStringLiteral("Start"), QDialogButtonBox::AcceptRole);
    start->setObjectName(QStringLiteral("Command3"));
    start->setDefault(true);
    QPushButton* help = buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("Command2"));
    QPushButton* cancel
        = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Command1"));
    connect(start, &QPushButton::clicked, this, &Form6::Command3_Click);
    connect(help, &QPushButton::clicked, this, &Form6::Command2_Click);
    connect(cancel, &QPushButton::clicked, this, &Form6::Command1_Click);

    auto* groups = new QHBoxLayout;
    groups->addWidget(include, 1);
    groups->addWidget(interval, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(buttons);
    makeFixedDialog(*this);

    m_option1[1]->setChecked(stored.justSelected);
    m_option1[0]->setChecked(!stored.justSelected);
    m_combo1->setCurrentIndex(std::clamp(stored.interval, 1, 120) - 1);
    m_option2[0]->setChecked(stored.fromLoadComplete);
    m_option2[1]->setChecked(!stored.fromLoadComplete);
}

void Form6::Command3_Click()
{
    SlideshowOptions chosen;
    chosen.justSelected = m_option1[1]->isChecked();
    chosen.fromLoadComplete = m_option2[0]->isChecked();
    chosen.interval = m_combo1->currentText().toInt();
    m_options = chosen;
    accept();
}

void Form6::Command2_Click()
{
    showHelp(this, 19);
}

void Form6::Command1_Click()
{
    m_options.reset();
    reject();
}
