#pragma once

#include <QWebEnginePage>

// A page that never shows a script dialog or a console message: alerts are dropped,
// confirmations and prompts answered "no", so no dialog ever waits for someone to close
// it. What a request for a new window does is left to each kind of page.
class QuietPage : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptAlert(const QUrl&, const QString&) override { }
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override
    {
        return false;
    }
    void javaScriptConsoleMessage(
        JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override
    {
    }
};
