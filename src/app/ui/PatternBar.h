#pragma once

#include <QList>
#include <QWidget>

class QAction;
class QLineEdit;

// The pattern field above the list ("txtPattern") with buttons for the pattern commands.
// Ctrl+Shift+F anywhere in the window puts the cursor in the field; Enter in the field
// runs the first command (select matching).
class PatternBar final : public QWidget
{
    Q_OBJECT
public:
    PatternBar(QWidget& window, const QList<QAction*>& commands, QWidget* parent);

    QString text() const;
    QLineEdit* field() const { return m_field; }

private:
    QLineEdit* m_field = nullptr;
};
