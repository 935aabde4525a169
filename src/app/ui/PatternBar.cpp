#include "app/ui/PatternBar.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

PatternBar::PatternBar(QWidget& window, const QList<QAction*>& commands, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("patternBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 0);
    auto* label = new QLabel(QStringLiteral("&Pattern:"), this);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("txtPattern"));
    m_field->setPlaceholderText(QStringLiteral("*.jpg, *example.org/*, or /\\.jpe?g$/"));
    m_field->setToolTip(QStringLiteral(
        "A wildcard over the whole address (* any characters, ? one character), or a regular "
        "expression between slashes. Case is ignored."));
    m_field->setClearButtonEnabled(true);
    label->setBuddy(m_field);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    for (QAction* command : commands) {
        auto* button = new QToolButton(this);
        button->setDefaultAction(command);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        layout->addWidget(button);
    }
    if (!commands.isEmpty())
        connect(m_field, &QLineEdit::returnPressed, commands.first(), &QAction::trigger);

    auto* focus = new QAction(this);
    focus->setObjectName(QStringLiteral("focusPattern"));
    focus->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    focus->setShortcutContext(Qt::WindowShortcut);
    window.addAction(focus);
    connect(focus, &QAction::triggered, this, [this] {
        m_field->setFocus(Qt::ShortcutFocusReason);
        m_field->selectAll();
    });
}

QString PatternBar::text() const
{
    return m_field->text().trimmed();
}
