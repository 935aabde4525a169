#include "viewer/ui/Form7.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "winsupport/ui/DialogFrame.h"

Form7::Form7(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Slideshow Paused"));
    auto* resume = new QPushButton(QStringLiteral("Resume Slideshow"), this);
    resume->setObjectName(QStringLiteral("Command1"));
    resume->setDefault(true);
    auto* stop = new QPushButton(QStringLiteral("Stop Slideshow"), this);
    stop->setObjectName(QStringLiteral("Command2"));
    connect(resume, &QPushButton::clicked, this, &Form7::Command1_Click);
    connect(stop, &QPushButton::clicked, this, &Form7::Command2_Click);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(resume);
    layout->addWidget(stop);
    setMinimumWidth(320); // room for the title
    makeFixedDialog(*this);
}

void Form7::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    raise();
}

void Form7::Command1_Click()
{
    m_resume = true;
    accept();
}

void Form7::Command2_Click()
{
    m_resume = false;
    reject();
}
