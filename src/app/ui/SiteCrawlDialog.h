#pragma once

#include <QDialog>
#include <optional>

#include "app/SiteCrawlChoices.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class UrlHistory;

// "Build List from Site": the start address (completing from the URL history), the
// depth, which links are followed (scope, follow pattern, next-page links), the page
// limit and robots.txt. "Build" checks the choices (SiteCrawlChoices::problem): what is
// wrong is shown in the dialog, which stays open; good choices remember the address in
// the history and close it.
class SiteCrawlDialog final : public QDialog
{
    Q_OBJECT
public:
    SiteCrawlDialog(const SiteCrawlChoices& shown, UrlHistory& history, QWidget* parent = nullptr);

    // The choices of "Build"; nullopt after "Cancel" or closing the window.
    const std::optional<SiteCrawlChoices>& choices() const { return m_choices; }

private:
    SiteCrawlChoices current() const;
    void updatePatternState();
    void build();

    QLineEdit* m_start;
    QSpinBox* m_depth;
    QComboBox* m_scope;
    QLineEdit* m_scopePattern;
    QLineEdit* m_follow;
    QCheckBox* m_nextPages;
    QSpinBox* m_maxPages;
    QCheckBox* m_robots;
    QLabel* m_problem;
    UrlHistory& m_history;
    std::optional<SiteCrawlChoices> m_choices;
};
