#pragma once

#include <QDialog>
#include <optional>

#include "core/DialogRequests.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UrlHistory;

// "Build List from URL": asks for the page address, the append choice and what the
// harvest collects (links, media or both).
class Form5 final : public QDialog
{
    Q_OBJECT
public:
    // With input.hasCurrentEntry the URL is offered in a combo box holding that entry;
    // otherwise in a text box completing from the history. "Build" remembers the URL there.
    Form5(const UrlDialogInput& input, UrlHistory& history, QWidget* parent = nullptr);

    // The URL and append choice of "Build"; nullopt after "Cancel" or closing the window.
    const std::optional<UrlRequest>& request() const { return m_request; }

private:
    QString urlText() const;
    void updateBuildState();
    void Command1_Click(); // Build

    QLineEdit* m_text1;
    QComboBox* m_combo1;
    QComboBox* m_collect;
    QCheckBox* m_check2;
    QLabel* m_label2;
    QPushButton* m_command1;
    UrlHistory& m_history;
    std::optional<UrlRequest> m_request;
};
