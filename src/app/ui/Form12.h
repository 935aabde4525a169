#pragma once

#include <QDialog>
#include <optional>

#include "core/DialogRequests.h"
#include "listops/EntryContext.h"

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
    // "Saving Files:" options. example: the entry the mask's result is shown for as it
    // is typed (an example link when it has none).
    explicit Form12(
        const Preferences& current, const ListEntry& example = {}, QWidget* parent = nullptr);

    // The preferences as the user left them when "Save" was pressed; nullopt after
    // "Cancel" or closing the window. When no "Saving Files:" option is selected, the
    // earlier owaction is kept. An aria2 address that would carry the secret to another
    // machine in clear text is refused with the dialog still open.
    const std::optional<Preferences>& preferences() const { return m_result; }

private:
    void Command1_Click(); // Save
    void Command3_Click(); // Help
    // Shows under the mask the path it gives the example entry, or why it gives none.
    void showMaskExample();

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
    QLabel* m_lblmaskexample;
    QCheckBox* m_chkportable;
    QCheckBox* m_chkstopfail;
    ListEntry m_example;
    QSpinBox* m_txtatonce;
    QSpinBox* m_txtperhost;
    QSpinBox* m_txtratelimit; // KiB a second, 0 none
    std::optional<Preferences> m_result;
};
