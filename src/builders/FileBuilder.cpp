#include "builders/FileBuilder.h"

#include <QFile>
#include <QFileInfo>

#include "builders/FieldReader.h"
#include "builders/LinkRules.h"
#include "core/IMainView.h"
#include "core/IUserPrompt.h"
#include "core/Preferences.h"
#include "listops/LinkList.h"
#include "listops/ListLimit.h"

namespace
{

// Added entries are handed to the list in batches of this many.
constexpr int BatchSize = 1024;
// Size of the block checked for binary content before the list is touched.
constexpr qint64 SniffSize = 64 * 1024;

QString sniffProblem(QFile& file)
{
    const QByteArray head = file.peek(SniffSize);
    if (head.contains('\0'))
        return QStringLiteral("The file contains binary data (a NUL byte); it is not a text file.");
    return {};
}

} // namespace

QString FileBuilder::badFormatMessage()
{
    return QStringLiteral(
        "This file appears to contain items that are not valid urls. Please see the "
        "program's help file for details on formatting url list files for "
        "importing. Operation aborted.");
}

bool FileBuilder::isValidItem(QStringView item)
{
    return LinkRules::isLink(item, LinkRules::LinkTest::ListFileItem);
}

Result<FileBuild> FileBuilder::run(const QString& path, bool& append, const Preferences& prefs,
    LinkList& list, IUserPrompt& prompt, IMainView* view)
{
    auto fail = [&](const QString& title, const QString& text) {
        prompt.message(PromptIcon::Critical, title, text);
        return Result<FileBuild>::failed(text);
    };
    const QString error = QStringLiteral("Error");

    const QFileInfo info(path);
    if (info.isDir())
        return fail(error, QStringLiteral("\"%1\" is a folder, not a link list file.").arg(path));
    if (info.exists() && !info.isFile())
        return fail(error, QStringLiteral("\"%1\" is not a regular file.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error,
            QStringLiteral("Cannot open \"%1\" for reading: %2.").arg(path, file.errorString()));
    if (const QString problem = sniffProblem(file); !problem.isEmpty())
        return fail(error, QStringLiteral("Cannot read \"%1\": %2").arg(path, problem));

    FieldReader reader(file);
    FileBuild built;
    QStringList pending;
    auto flush = [&] {
        built.added += list.addMany(pending);
        pending.clear();
    };

    bool started = false;
    while (!reader.atEnd()) {
        const std::optional<Result<QString>> field = reader.next();
        if (!field)
            break;
        if (!*field) {
            flush();
            return fail(
                error, QStringLiteral("Cannot read \"%1\": %2").arg(path, field->message()));
        }
        const QString& item = field->value();
        // An item the list never holds (a NUL byte, over-long) is left out silently.
        if (!LinkList::admits(item))
            continue;
        if (!isValidItem(item)) {
            flush();
            return fail(QStringLiteral("Bad Format"), badFormatMessage());
        }
        if (!started) {
            if (!list.isEmpty()) {
                if (view)
                    view->setWaitPointer(false);
                if (const std::optional<bool> answer = prompt.askDesiredAction(prefs.defappend))
                    append = *answer;
            }
            if (!append)
                list.clear();
            started = true;
        }
        if (!LinkRules::passesExclusion(item, prefs.exjs, prefs.exmt))
            continue;
        if (list.count() + pending.size() >= LinkList::MaxEntries) {
            flush();
            built.limitReached = true;
            prompt.message(PromptIcon::Exclamation, ListLimit::title(), ListLimit::message(0));
            break;
        }
        pending.append(item);
        if (pending.size() >= BatchSize)
            flush();
    }
    flush();
    return Result<FileBuild>::ok(built);
}
