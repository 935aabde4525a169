#include "app/ui/QtUserPrompt.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

#include "app/ui/FolderPicker.h"
#include "app/ui/Form12.h"
#include "builders/ui/Form10.h"
#include "builders/ui/Form11.h"
#include "builders/ui/Form2.h"
#include "builders/ui/Form5.h"
#include "download/ui/Form8.h"
#include "filters/ui/Form3.h"
#include "listops/ListFile.h"
#include "listops/ui/Form9.h"
#include "viewer/ui/Form6.h"
#include "viewer/ui/Form7.h"
#include "winsupport/ui/FrmAbt.h"

// Takes the owner out of the topmost band for as long as a dialog is open.
class QtUserPrompt::BandScope final
{
public:
    explicit BandScope(QtUserPrompt& prompt)
        : m_prompt(prompt)
    {
        if (m_prompt.m_bandDepth++ == 0 && m_prompt.m_leaveTopmostBand)
            m_prompt.m_leaveTopmostBand();
    }
    ~BandScope()
    {
        if (--m_prompt.m_bandDepth == 0 && m_prompt.m_restoreTopmostBand)
            m_prompt.m_restoreTopmostBand();
    }
    BandScope(const BandScope&) = delete;
    BandScope& operator=(const BandScope&) = delete;

private:
    QtUserPrompt& m_prompt;
};

QtUserPrompt::QtUserPrompt(QWidget* owner, UrlHistory& urlHistory,
    std::function<void()> leaveTopmostBand, std::function<void()> restoreTopmostBand)
    : m_owner(owner)
    , m_urlHistory(urlHistory)
    , m_leaveTopmostBand(std::move(leaveTopmostBand))
    , m_restoreTopmostBand(std::move(restoreTopmostBand))
{
}

QWidget* QtUserPrompt::dialogParent() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_owner.data();
}

PromptAnswer QtUserPrompt::message(
    PromptIcon icon, const QString& title, const QString& text, PromptButtons buttons)
{
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case PromptIcon::None:
        break;
    case PromptIcon::Information:
        boxIcon = QMessageBox::Information;
        break;
    case PromptIcon::Question:
        boxIcon = QMessageBox::Question;
        break;
    case PromptIcon::Exclamation:
        boxIcon = QMessageBox::Warning;
        break;
    case PromptIcon::Critical:
        boxIcon = QMessageBox::Critical;
        break;
    }
    const bool yesNo = buttons != PromptButtons::Ok;
    const bool cancel = buttons == PromptButtons::YesNoCancel;
    QMessageBox::StandardButtons shown = QMessageBox::Ok;
    if (yesNo)
        shown = cancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                       : QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(boxIcon, title, text, shown, dialogParent());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    box.setEscapeButton(cancel ? QMessageBox::Cancel : yesNo ? QMessageBox::No : QMessageBox::Ok);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        return PromptAnswer::Closed;
    switch (box.standardButton(clicked)) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Ok:
        return PromptAnswer::Ok;
    default:
        return PromptAnswer::Closed;
    }
}

std::optional<bool> QtUserPrompt::askDesiredAction(bool defappend)
{
    BandScope band(*this);
    Form10 dialog(defappend, dialogParent());
    dialog.exec();
    return dialog.choice();
}

std::optional<Preferences> QtUserPrompt::editPreferences(const Preferences& current)
{
    BandScope band(*this);
    Form12 dialog(current, m_maskExample ? m_maskExample() : ListEntry {}, dialogParent());
    dialog.exec();
    return dialog.preferences();
}

std::optional<UrlRequest> QtUserPrompt::askUrl(const UrlDialogInput& input)
{
    BandScope band(*this);
    Form5 dialog(input, m_urlHistory, dialogParent());
    dialog.exec();
    return dialog.request();
}

std::optional<SequenceRequest> QtUserPrompt::askSequence(const SequenceDialogInput& input)
{
    BandScope band(*this);
    Form2 dialog(input, *this, m_urlHistory, dialogParent());
    dialog.exec();
    return dialog.request();
}

std::optional<SingleLinkRequest> QtUserPrompt::askSingleLink(bool defappend)
{
    BandScope band(*this);
    Form11 dialog(defappend, *this, dialogParent());
    dialog.exec();
    return dialog.request();
}

std::optional<SearchRequest> QtUserPrompt::askSearch()
{
    BandScope band(*this);
    Form9 dialog(dialogParent());
    dialog.exec();
    return dialog.request();
}

std::optional<QStringList> QtUserPrompt::manageFilters(const QStringList& entries)
{
    BandScope band(*this);
    Form3 dialog(entries, *this, dialogParent());
    dialog.exec();
    return dialog.entries();
}

std::optional<FileExistsAnswer> QtUserPrompt::askFileExists(const QString& proposedName)
{
    BandScope band(*this);
    Form8 dialog(proposedName, *this, dialogParent());
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    dialog.exec();
    return dialog.answer();
}

QString QtUserPrompt::chooseFolder(const QString& title, const QString& initialFolder)
{
    BandScope band(*this);
    FolderPicker dialog(*this, dialogParent(), title);
    // The remembered path may name a list file rather than a folder: the picker then
    // starts in the file's folder instead of nowhere.
    if (!initialFolder.isEmpty()) {
        const QFileInfo initial(initialFolder);
        dialog.setDirectory(initial.isDir() ? initial.absoluteFilePath() : initial.absolutePath());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

std::optional<SlideshowOptions> QtUserPrompt::askSlideshowOptions(const SlideshowOptions& stored)
{
    BandScope band(*this);
    Form6 dialog(stored, dialogParent());
    dialog.exec();
    return dialog.options();
}

bool QtUserPrompt::askSlideshowResume()
{
    BandScope band(*this);
    Form7 dialog(dialogParent());
    dialog.exec();
    return dialog.ss_resume();
}

void QtUserPrompt::showAbout(const QString& idleStatus)
{
    BandScope band(*this);
    FrmAbt dialog(*this, idleStatus, dialogParent());
    dialog.exec();
}

QString QtUserPrompt::openFileName(
    const QString& title, const QString& filter, const QString& initialPath)
{
    return pickFile(false, title, filter, initialPath);
}

QString QtUserPrompt::saveFileName(
    const QString& title, const QString& filter, const QString& initialPath)
{
    return pickFile(true, title, filter, initialPath);
}

std::optional<SaveTarget> QtUserPrompt::exportFileName(
    const QString& title, const QString& filter, const QString& initialPath)
{
    SaveTarget target;
    target.path = pickFile(true, title, filter, initialPath, &target.filterIndex);
    if (target.path.isEmpty())
        return std::nullopt;
    return target;
}

QString QtUserPrompt::pickFile(bool save, const QString& title, const QString& filter,
    const QString& initialPath, int* filterIndex)
{
    BandScope band(*this);
    QFileDialog dialog(dialogParent(), title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // The open picker takes only a file that exists; the save picker asks before it
    // replaces one, and a list file's picker also before it creates one (an export is
    // always a new file of its own, so it is not asked).
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilter(ListFile::qtFilter(filter));
    if (!initialPath.isEmpty()) {
        const QFileInfo info(initialPath);
        dialog.setDirectory(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
    }
    if (filterIndex) {
        // The dialog adds the default suffix before it asks about replacing a file, so
        // the question names the file that is written. The chosen entry is followed as
        // it changes: with its details hidden, the dialog names it by its shown text.
        *filterIndex = 0;
        auto followFilter = [&dialog, filterIndex](const QString& chosen) {
            const QStringList filters = dialog.nameFilters();
            for (int i = 0; i < filters.size(); ++i) {
                if (filters.at(i).startsWith(chosen)) {
                    *filterIndex = i;
                    break;
                }
            }
            static const QRegularExpression extension(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
            dialog.setDefaultSuffix(extension.match(filters.value(*filterIndex)).captured(1));
        };
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
        followFilter(dialog.nameFilters().value(0));
    }
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return {};
        const QString path = dialog.selectedFiles().value(0);
        if (!save || filterIndex || path.isEmpty() || QFileInfo::exists(path))
            return path;
        const PromptAnswer create = message(PromptIcon::Exclamation, title,
            QStringLiteral("%1\nThis file does not exist.\nDo you want to create it?")
                .arg(QDir::toNativeSeparators(path)),
            PromptButtons::YesNo);
        if (create == PromptAnswer::Yes)
            return path;
    }
}
