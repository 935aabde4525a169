#pragma once

#include <QDialog>

// "Slideshow Paused": resume the show or stop it.
class Form7 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form7(QWidget* parent = nullptr);

    // True after "Resume Slideshow"; "Stop Slideshow" and closing the dialog leave it
    // false.
    bool ss_resume() const { return m_resume; }

    void Command1_Click(); // Resume Slideshow
    void Command2_Click(); // Stop Slideshow

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_resume = false;
};
