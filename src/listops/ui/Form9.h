#pragma once

#include <QDialog>
#include <optional>

#include "core/DialogRequests.h"

class QCheckBox;
class QLineEdit;

// "Search List": the search text and its two options.
class Form9 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form9(QWidget* parent = nullptr);

    // What "Find" or "Find Next" (findNext set) asked for; nullopt after "Cancel" or
    // closing the window. The search itself is the caller's.
    const std::optional<SearchRequest>& request() const { return m_request; }

private:
    void finish(bool findNext);

    QLineEdit* m_text1;
    QCheckBox* m_check1;
    QCheckBox* m_check2;
    std::optional<SearchRequest> m_request;
};
