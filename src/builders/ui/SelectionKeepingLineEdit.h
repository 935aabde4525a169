#pragma once

#include <QLineEdit>

// A line edit that keeps its selection, and keeps showing it, while another control has
// the focus (a plain QLineEdit drops the selection when it loses the focus). It reports
// losing the focus to another control of its window with focusLost(), after the
// selection has been restored.
class SelectionKeepingLineEdit final : public QLineEdit
{
    Q_OBJECT
public:
    explicit SelectionKeepingLineEdit(QWidget* parent = nullptr);

signals:
    void focusLost();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};
