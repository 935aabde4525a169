#include "winsupport/ui/FrmAbt.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/IUserPrompt.h"
#include "core/ProductInfo.h"
#include "core/Version.h"
#include "winsupport/ui/DialogFrame.h"
#include "winsupport/ui/Shell.h"

namespace
{

QLabel* linkLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

} // namespace

FrmAbt::FrmAbt(IUserPrompt& prompt, const QString& idleStatus, QWidget* parent)
    : QDialog(parent)
    , m_prompt(prompt)
{
    setObjectName(QStringLiteral("FrmAbt"));
    setWindowTitle(QStringLiteral("About..."));

    auto* picture1 = new QLabel(this);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setPixmap(QIcon(QStringLiteral(":/quillmarch-logo.svg")).pixmap(64, 64));
    picture1->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(QStringLiteral("<b>Quillmarch</b>"), this);
    auto* label7
        = new QLabel(QStringLiteral("Version %1").arg(QLatin1String(kQuillmarchVersion)), this);
    label7->setObjectName(QStringLiteral("Label7"));
    auto* label1 = new QLabel(QString(), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label3
        = new QLabel(QStringLiteral("Find more great software from Corvid Lantern at:"), this);
    label3->setObjectName(QStringLiteral("Label3"));
    QLabel* label6
        = linkLabel(QStringLiteral("Label6"), QLatin1String(ProductInfo::kMakerSite), this);
    QLabel* label5
        = linkLabel(QStringLiteral("Label5"), QLatin1String(ProductInfo::kSupportEmail), this);
    connect(label6, &QLabel::linkActivated, this, &FrmAbt::Label6_Click);
    connect(label5, &QLabel::linkActivated, this, &FrmAbt::Label5_Click);

    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    auto* label2 = new QLabel(idleStatus, this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setTextFormat(Qt::PlainText);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("Command3"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(label7);
    text->addWidget(label1);
    text->addWidget(label3);
    text->addWidget(label6);
    text->addWidget(label5);
    auto* frame1 = new QGridLayout;
    frame1->addWidget(picture1, 0, 0);
    frame1->addLayout(text, 0, 1);
    frame1->setColumnStretch(1, 1);
    frame1->setHorizontalSpacing(16);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frame1);
    layout->addWidget(line1);
    layout->addWidget(label2);
    layout->addWidget(buttons);
    setMinimumWidth(340);
    makeFixedDialog(*this);
}

void FrmAbt::open(const QString& target, const QString& failure)
{
    // Only a missing program is reported; other failures pass silently.
    auto oops = [this, failure] {
        m_prompt.message(PromptIcon::Exclamation, QStringLiteral("Oops!"), failure);
    };
    if (OpenWithShell(this, target, oops) == kShellNoHandler)
        oops();
}

void FrmAbt::Label6_Click()
{
    open(QLatin1String(ProductInfo::kMakerSite),
        QStringLiteral("Could not start your web browser."));
}

void FrmAbt::Label5_Click()
{
    open(QStringLiteral("mailto:") + QLatin1String(ProductInfo::kSupportEmail),
        QStringLiteral("Could not start your email program."));
}
