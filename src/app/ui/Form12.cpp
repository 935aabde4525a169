#include "app/ui/Form12.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "download/Aria2Job.h"
#include "download/LinkNaming.h"
#include "download/NameMask.h"
#include "winsupport/ui/DialogFrame.h"
#include "winsupport/ui/Help.h"

namespace
{

constexpr int kPreferencesHelpTopic = 6;

QCheckBox* makeCheck(const QString& caption, const char* name, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QRadioButton* makeOption(const QString& caption, const QString& name, QWidget* parent)
{
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(name);
    return option;
}

QSpinBox* makeNumber(int minimum, int maximum, const char* name, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// Each placeholder of a mask, explained where the mask is typed.
const QString kMaskHelp = QStringLiteral(
    "<p>The file name mask names each saved file; \"/\" makes folders.</p><table>"
    "<tr><td><b>*name*</b></td><td>the link's file name without its extension</td></tr>"
    "<tr><td><b>*ext*</b></td><td>the link's extension</td></tr>"
    "<tr><td><b>*num*</b></td><td>the link's number in the job: 001, 002...</td></tr>"
    "<tr><td><b>*host*</b></td><td>the link's server</td></tr>"
    "<tr><td><b>*subdirs*</b></td><td>the folders of the link's path</td></tr>"
    "<tr><td><b>*text*</b></td><td>the link's text on its page</td></tr>"
    "<tr><td><b>*title*</b></td><td>the title of the page it was found on</td></tr>"
    "<tr><td><b>*date*</b></td><td>today, as 2024-05-31</td></tr>"
    "</table><p>The default is *name*.*ext*.</p>");

QLabel* makeNote(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

Form12::Form12(const Preferences& current, const ListEntry& example, QWidget* parent)
    : QDialog(parent)
    , m_current(current)
    , m_example(example)
{
    if (m_example.url.isEmpty()) {
        m_example.url = QStringLiteral("https://www.example.com/photos/2024/beach.jpg");
        m_example.context.text = QStringLiteral("At the beach");
        m_example.context.title = QStringLiteral("Summer: our photos");
    }
    setWindowTitle(QStringLiteral("Program Preferences"));

    auto* window = new QGroupBox(QStringLiteral("Window Behavior:"), this);
    m_chkontop = makeCheck(
        QStringLiteral("Keep program window on top of all other windows."), "chkontop", window);
    auto* windowLayout = new QVBoxLayout(window);
    windowLayout->addWidget(m_chkontop);

    auto* building = new QGroupBox(QStringLiteral("Building Lists:"), this);
    m_chkexjs = makeCheck(QStringLiteral("Exclude \"javascript:\" links."), "chkexjs", building);
    m_chkexmt = makeCheck(QStringLiteral("Exclude \"mailto:\" links."), "chkexmt", building);
    m_chkdefapp = makeCheck(
        QStringLiteral("\"Append to existing list\" checked by default."), "chkdefapp", building);
    auto* buildingLayout = new QVBoxLayout(building);
    buildingLayout->addWidget(m_chkexjs);
    buildingLayout->addWidget(m_chkexmt);
    buildingLayout->addWidget(m_chkdefapp);

    auto* opening = new QGroupBox(QStringLiteral("Opening Links:"), this);
    m_oplnkopen[0] = makeOption(
        QStringLiteral("Open links in new window."), QStringLiteral("oplnkopen_0"), opening);
    m_oplnkopen[1] = makeOption(QStringLiteral("Open links in existing window (if any)."),
        QStringLiteral("oplnkopen_1"), opening);
    auto* openingGroup = new QButtonGroup(this);
    auto* openingLayout = new QVBoxLayout(opening);
    openingLayout->addWidget(
        makeNote(QStringLiteral("Default action to take when opening links from list:"), opening));
    for (int i = 0; i < 2; ++i) {
        openingGroup->addButton(m_oplnkopen[i], i);
        openingLayout->addWidget(m_oplnkopen[i]);
    }

    auto* saving = new QGroupBox(QStringLiteral("Saving Files:"), this);
    const QString owCaptions[4] = {
        QStringLiteral("Prompt."),
        QStringLiteral("Overwrite."),
        QStringLiteral("Skip file."),
        QStringLiteral("Save with new auto generated unique name."),
    };
    auto* savingGroup = new QButtonGroup(this);
    auto* savingLayout = new QVBoxLayout(saving);
    savingLayout->addWidget(makeNote(QStringLiteral("Default action to take if file being saved "
                                                    "already exists in destination folder:"),
        saving));
    for (int i = 0; i < 4; ++i) {
        m_opowaction[i] = makeOption(owCaptions[i], QStringLiteral("opowaction_%1").arg(i), saving);
        savingGroup->addButton(m_opowaction[i], i);
        savingLayout->addWidget(m_opowaction[i]);
    }
    m_chkservernames
        = makeCheck(QStringLiteral("Use the name the server gives."), "chkservernames", saving);
    savingLayout->addWidget(m_chkservernames);
    m_txtnamemask = new QLineEdit(saving);
    m_txtnamemask->setObjectName(QStringLiteral("txtnamemask"));
    m_txtnamemask->setToolTip(kMaskHelp);
    m_lblmaskproblem = makeNote(QString(), saving);
    m_lblmaskproblem->setObjectName(QStringLiteral("lblmaskproblem"));
    m_lblmaskproblem->hide();
    m_lblmaskexample = new QLabel(saving);
    m_lblmaskexample->setObjectName(QStringLiteral("lblmaskexample"));
    m_lblmaskexample->setToolTip(kMaskHelp);
    m_lblmaskexample->setTextFormat(Qt::PlainText);
    m_chkportable
        = makeCheck(QStringLiteral("Portable names (for memory sticks and shared folders)."),
            "chkportable", saving);
    m_chkstopfail
        = makeCheck(QStringLiteral("Stop at each failed download (one download at a time)."),
            "chkstopfail", saving);

    auto* aria2 = new QGroupBox(QStringLiteral("Send downloads to an aria2 daemon"), this);
    m_aria2Url = new QLineEdit(aria2);
    m_aria2Url->setObjectName(QStringLiteral("txtaria2url"));
    m_aria2Url->setPlaceholderText(QStringLiteral("http://127.0.0.1:6800/jsonrpc"));
    m_aria2Secret = new QLineEdit(aria2);
    m_aria2Secret->setObjectName(QStringLiteral("txtaria2secret"));
    m_aria2Secret->setEchoMode(QLineEdit::Password);
    m_aria2Problem = makeNote(QString(), aria2);
    m_aria2Problem->setObjectName(QStringLiteral("lblaria2problem"));
    m_aria2Problem->hide();
    auto* aria2Layout = new QFormLayout(aria2);
    aria2Layout->addRow(
        makeNote(QStringLiteral("Leave the URL empty to save files on this computer."), aria2));
    aria2Layout->addRow(QStringLiteral("Aria2 URL:"), m_aria2Url);
    aria2Layout->addRow(QStringLiteral("Aria2 Secret:"), m_aria2Secret);
    aria2Layout->addRow(m_aria2Problem);
    m_txtatonce = makeNumber(SettingsTable::DownloadsAtOnce.minimum,
        SettingsTable::DownloadsAtOnce.maximum, "txtatonce", saving);
    m_txtperhost = makeNumber(
        SettingsTable::PerHost.minimum, SettingsTable::PerHost.maximum, "txtperhost", saving);
    m_txtratelimit = makeNumber(0, SettingsTable::RateLimit.maximum / 1024, "txtratelimit", saving);
    m_txtratelimit->setSuffix(QStringLiteral(" KiB/s"));
    m_txtratelimit->setSpecialValueText(QStringLiteral("None"));
    // The mask and the numbers share one column of fields.
    auto* numbers = new QFormLayout;
    numbers->addRow(QStringLiteral("File name mask:"), m_txtnamemask);
    numbers->addRow(m_lblmaskproblem);
    numbers->addRow(QString(), m_lblmaskexample);
    numbers->addRow(m_chkportable);
    numbers->addRow(QStringLiteral("Downloads at once:"), m_txtatonce);
    numbers->addRow(QStringLiteral("Per host:"), m_txtperhost);
    numbers->addRow(QStringLiteral("Rate limit:"), m_txtratelimit);
    numbers->addRow(m_chkstopfail);
    savingLayout->addLayout(numbers);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("Command1"));
    save->setDefault(true);
    QPushButton* cancel
        = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Command2"));
    QPushButton* help = buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("Command3"));
    help->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &Form12::Command1_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &Form12::Command3_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(window);
    layout->addWidget(building);
    layout->addWidget(opening);
    layout->addWidget(saving);
    layout->addWidget(aria2);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    setMinimumWidth(520);
    makeFixedDialog(*this);

    m_chkontop->setChecked(current.ontop);
    m_chkexjs->setChecked(current.exjs);
    m_chkexmt->setChecked(current.exmt);
    m_chkdefapp->setChecked(current.defappend);
    m_oplnkopen[current.newwin ? 0 : 1]->setChecked(true);
    m_txtatonce->setValue(current.atOnce);
    m_txtperhost->setValue(current.perHost);
    m_txtratelimit->setValue((current.rateLimit + 1023) / 1024);
    // An exclusive group starts with no button checked, which is what an out-of-range
    // owaction shows.
    m_chkservernames->setChecked(current.serverNames);
    m_txtnamemask->setText(current.nameMask);
    m_chkportable->setChecked(current.portableNames);
    m_chkstopfail->setChecked(current.stopAtFailure);
    showMaskExample();
    connect(m_txtnamemask, &QLineEdit::textChanged, this, &Form12::showMaskExample);
    connect(m_chkportable, &QCheckBox::toggled, this, &Form12::showMaskExample);
    const int shown = overwriteActionIndex(current.owaction);
    if (overwriteActionAt(shown))
        m_opowaction[shown]->setChecked(true);
    m_aria2Url->setText(current.aria2Url);
    m_aria2Secret->setText(current.aria2Secret);
}

void Form12::Command1_Click()
{
    // A mask that cannot name a file keeps the dialog open, saying why.
    QString problem;
    const QString mask = m_txtnamemask->text().trimmed();
    if (!mask.isEmpty() && !NameMask::parse(mask, &problem)) {
        m_lblmaskproblem->setText(QStringLiteral("File name mask: ") + problem);
        m_lblmaskproblem->show();
        m_txtnamemask->setFocus();
        return;
    }
    Preferences p;
    p.aria2Url = m_aria2Url->text().trimmed();
    p.aria2Secret = m_aria2Secret->text();
    if (!p.aria2Url.isEmpty()) {
        const QString problem = Aria2Job::refusal({ p.aria2Url, p.aria2Secret });
        m_aria2Problem->setText(problem);
        m_aria2Problem->setVisible(!problem.isEmpty());
        if (!problem.isEmpty())
            return;
    }
    p.serverNames = m_chkservernames->isChecked();
    p.nameMask = mask.isEmpty() ? NameMask::kDefault : mask;
    p.portableNames = m_chkportable->isChecked();
    p.stopAtFailure = m_chkstopfail->isChecked();
    p.ontop = m_chkontop->isChecked();
    p.newwin = m_oplnkopen[0]->isChecked();
    p.exjs = m_chkexjs->isChecked();
    p.exmt = m_chkexmt->isChecked();
    p.defappend = m_chkdefapp->isChecked();
    p.owaction = m_current.owaction;
    p.atOnce = m_txtatonce->value();
    p.perHost = m_txtperhost->value();
    // Kept as stored when not changed, so a limit that is no whole KiB stays exact.
    p.rateLimit = m_txtratelimit->value() == (m_current.rateLimit + 1023) / 1024
        ? m_current.rateLimit
        : m_txtratelimit->value() * 1024;
    for (int i = 0; i < 4; ++i) {
        if (m_opowaction[i]->isChecked()) {
            p.owaction = *overwriteActionAt(i);
            break;
        }
    }
    m_result = p;
    accept();
}

void Form12::showMaskExample()
{
    QString problem;
    const QString path = LinkNaming::example(
        m_txtnamemask->text().trimmed(), m_example, m_chkportable->isChecked(), &problem);
    m_lblmaskexample->setText(path.isEmpty() ? problem : QStringLiteral("Gives: ") + path);
}

void Form12::Command3_Click()
{
    showHelp(this, kPreferencesHelpTopic);
}
