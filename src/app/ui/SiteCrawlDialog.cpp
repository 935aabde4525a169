#include "app/ui/SiteCrawlDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/SettingsTable.h"
#include "winsupport/UrlHistory.h"
#include "winsupport/ui/DialogFrame.h"
#include "winsupport/ui/Shell.h"

namespace
{

// Lines kept free under the choices for what "Build" finds wrong, so the fixed-size
// dialog need not grow to show it.
constexpr int kProblemLines = 3;

QSpinBox* rangeBox(const StoredSetting& setting, int value, const char* name, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1StringView(name));
    box->setRange(setting.minimum, setting.maximum);
    box->setValue(value);
    box->setGroupSeparatorShown(true);
    return box;
}

QLineEdit* patternEdit(const QString& text, const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1StringView(name));
    edit->setPlaceholderText(QStringLiteral("a wildcard such as */gallery/*, or /regex/"));
    return edit;
}

} // namespace

SiteCrawlDialog::SiteCrawlDialog(
    const SiteCrawlChoices& shown, UrlHistory& history, QWidget* parent)
    : QDialog(parent)
    , m_history(history)
{
    setWindowTitle(QStringLiteral("Build List from Site"));
    const CrawlOptions& options = shown.options;

    m_start = new QLineEdit(shown.start, this);
    m_start->setObjectName(QStringLiteral("txtStart"));
    m_start->setPlaceholderText(QStringLiteral("https://"));
    m_start->setMinimumWidth(420);
    AttachAutoComplete(m_start, m_history);

    m_depth = rangeBox(SettingsTable::SiteDepth, options.depth, "spnDepth", this);
    m_depth->setToolTip(QStringLiteral("How many links away from the start page pages are "
                                       "visited: 0 visits the start page only."));

    m_scope = new QComboBox(this);
    m_scope->setObjectName(QStringLiteral("cboScope"));
    m_scope->addItem(QStringLiteral("Below the start folder"), int(CrawlScopeKind::Path));
    m_scope->addItem(QStringLiteral("The whole host"), int(CrawlScopeKind::Host));
    m_scope->addItem(QStringLiteral("The host and its subdomains"), int(CrawlScopeKind::Domain));
    m_scope->addItem(QStringLiteral("Addresses matching a pattern"), int(CrawlScopeKind::Pattern));
    m_scope->setCurrentIndex(m_scope->findData(int(options.scope)));
    m_scope->setToolTip(QStringLiteral("Which pages may be visited. Links leaving the scope "
                                       "are still listed; their pages are not visited."));
    m_scopePattern = patternEdit(options.scopePattern, "txtScopePattern", this);
    m_follow = patternEdit(options.follow, "txtFollow", this);
    m_follow->setPlaceholderText(QStringLiteral("empty: every link in scope"));
    m_follow->setToolTip(QStringLiteral("Only links matching this pattern are followed; empty "
                                        "follows every link in scope."));

    m_nextPages = new QCheckBox(QStringLiteral("Follow &next-page links whatever the depth"), this);
    m_nextPages->setObjectName(QStringLiteral("chkNextPages"));
    m_nextPages->setChecked(options.nextPages);
    m_nextPages->setToolTip(QStringLiteral("Links marked rel=\"next\" or reading \"Next\", "
                                           "\"›\", \"»\" or the following page number."));
    m_maxPages = rangeBox(SettingsTable::SiteMaxPages, options.maxPages, "spnMaxPages", this);
    m_robots = new QCheckBox(QStringLiteral("Honour &robots.txt"), this);
    m_robots->setObjectName(QStringLiteral("chkRobots"));
    m_robots->setChecked(options.robots);
    m_robots->setToolTip(QStringLiteral("Leave out the pages the site's robots.txt keeps from "
                                        "programs, and wait between pages as long as it asks."));

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("lblProblem"));
    m_problem->setWordWrap(true);
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_problem->setMinimumHeight(kProblemLines * m_problem->fontMetrics().lineSpacing());
    m_problem->setStyleSheet(QStringLiteral("color: #b00020;"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Start &address:"), m_start);
    form->addRow(QStringLiteral("&Depth:"), m_depth);
    form->addRow(QStringLiteral("&Scope:"), m_scope);
    form->addRow(QStringLiteral("Scope &pattern:"), m_scopePattern);
    form->addRow(QStringLiteral("&Follow only:"), m_follow);
    form->addRow(QString(), m_nextPages);
    form->addRow(QStringLiteral("Page &limit:"), m_maxPages);
    form->addRow(QString(), m_robots);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* buildButton
        = buttons->addButton(QStringLiteral("Build"), QDialogButtonBox::AcceptRole);
    buildButton->setObjectName(QStringLiteral("cmdBuild"));
    buildButton->setDefault(true);
    QPushButton* cancel
        = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(buildButton, &QPushButton::clicked, this, &SiteCrawlDialog::build);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);

    connect(m_scope, &QComboBox::currentIndexChanged, this, &SiteCrawlDialog::updatePatternState);
    updatePatternState();
    m_start->setFocus();
    makeFixedDialog(*this);
}

SiteCrawlChoices SiteCrawlDialog::current() const
{
    SiteCrawlChoices choices;
    choices.start = m_start->text().trimmed();
    CrawlOptions& options = choices.options;
    options.depth = m_depth->value();
    options.scope = static_cast<CrawlScopeKind>(m_scope->currentData().toInt());
    options.scopePattern = m_scopePattern->text().trimmed();
    options.follow = m_follow->text().trimmed();
    options.nextPages = m_nextPages->isChecked();
    options.maxPages = m_maxPages->value();
    options.robots = m_robots->isChecked();
    return choices;
}

void SiteCrawlDialog::updatePatternState()
{
    m_scopePattern->setEnabled(m_scope->currentData().toInt() == int(CrawlScopeKind::Pattern));
}

void SiteCrawlDialog::build()
{
    const SiteCrawlChoices choices = current();
    const QString problem = choices.problem();
    m_problem->setText(problem);
    if (!problem.isEmpty())
        return;
    m_history.remember(choices.start);
    m_choices = choices;
    accept();
}
