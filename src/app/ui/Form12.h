#pragma once

#include <QDialog>
#include <optional>

#include "core/DialogRequests.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "Program Preferences": the six user preferences and the aria2 daemon downloads go to.
class Form12 final : public QDialog
{
    Q_OBJECT
public:
    // The controls show `current`. An owaction outside 0 to 3 selects none of the
    // "Saving Files:" options.
    explicit Form12(const Preferences& current, QWidget* parent = nullptr);

    // The preferences as the user left them when "Save" was pressed; nullopt after
    // "Cancel" or closing the window. When no "Saving Files:" option is selected, the
    // earlier owaction is kept. An aria2 address that would carry the secret to another
    // machine in clear text is refused with the dialog still open.
    const std::optional<Preferences>& preferences() const { return m_result; }

private:
    void Command1_Click(); // Save
    void Command3_Click(); // Help

    Preferences m_current;
    QCheckBox* m_chkontop;
    QCheckBox* m_chkexjs;
    QCheckBox* m_chkexmt;
    QCheckBox* m_chkdefapp;
    QRadioButton* m_oplnkopen[2];
    QRadioButton* m_opowaction[4];
    QLineEdit* m_aria2Url;
    QLineEdit* m_aria2Secret;
    QLabel* m_aria2Problem; // why the daemon's address cannot be used with the secret
    QCheckBox* m_chkservernames;
    QLineEdit* m_txtnamemask;
    QLabel* m_lblmaskproblem;
    QSpinBox* m_txtatonce;
    QSpinBox* m_txtperhost;
    QSpinBox* m_txtratelimit; // KiB a second, 0 none
    std::optional<Preferences> m_result;
};
