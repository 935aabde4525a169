#pragma once

#include <QDialog>
#include <optional>

#include "core/DialogRequests.h"

class QComboBox;
class QPushButton;
class QRadioButton;

// "Slide Show Options": which links a slideshow shows, how long each one stays and
// whether that time counts from the start or the end of each page's load.
class Form6 final : public QDialog
{
    Q_OBJECT
public:
    // stored: the choices the dialog opens with.
    explicit Form6(const SlideshowOptions& stored, QWidget* parent = nullptr);

    // The choices after "Start"; nullopt after "Cancel" or when the dialog was closed.
    const std::optional<SlideshowOptions>& options() const { return m_options; }

    void Command3_Click(); // Start
    void Command2_Click(); // Help
    void Command1_Click(); // Cancel

private:
    QRadioButton* m_option1[2]; // 1 "Just selected", 0 "All in list"
    QRadioButton* m_option2[2]; // 1 "From load start", 0 "From load comlpete"
    QComboBox* m_combo1;
    std::optional<SlideshowOptions> m_options;
};
