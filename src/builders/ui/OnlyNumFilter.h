#pragma once

#include <QObject>

// Discards every typed character that SequenceBuilder::OnlyNum refuses (all but digits
// and backspace) before it reaches the watched edit. Keys that type no character
// (arrows, Home, End), Delete, and the dialog keys Enter, Esc and Tab pass unchanged.
class OnlyNumFilter final : public QObject
{
    Q_OBJECT
public:
    explicit OnlyNumFilter(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
