#include <QSet>
#include <gtest/gtest.h>

#include "download/DownloadNames.h"
#include "download/FileExistsResolution.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPrompt.h"

namespace
{

struct Folder {
    QSet<QString> names;
    std::function<bool(const QString&)> exists()
    {
        return [this](const QString& name) { return names.contains(name); };
    }
};

std::optional<QString> skip()
{
    return std::nullopt;
}

// The job's round: the question is put to the prompt only when the policy says so.
std::optional<QString> resolve(FileExistsResolution& resolution, IUserPrompt& prompt,
    const QString& name, int* opened = nullptr)
{
    const FileExistsResolution::Decision decision = resolution.decide(name);
    if (!decision.ask)
        return decision.name;
    if (opened)
        ++*opened;
    return resolution.answered(name, prompt.askFileExists(name));
}

} // namespace

TEST(FileExistsResolution, StandingPolicies)
{
    ScriptedPrompt prompt;
    Folder folder { { "photo.jpg", "photo(1).jpg", "photo(2).jpg" } };
    const struct {
        OverwriteAction owaction;
        std::optional<QString> result;
    } rows[] = {
        { OverwriteAction::Overwrite, QString("photo.jpg") },
        { OverwriteAction::Skip, skip() },
        { OverwriteAction::Unique, QString("photo(3).jpg") },
    };
    for (const auto& row : rows) {
        FileExistsResolution resolution(row.owaction, folder.exists());
        EXPECT_EQ(resolve(resolution, prompt, "photo.jpg"), row.result)
            << overwriteActionIndex(row.owaction);
    }
    EXPECT_TRUE(prompt.fileExistsAsked.isEmpty());
}

TEST(FileExistsResolution, UniqueNumbersKeepGrowingAcrossTheJob)
{
    ScriptedPrompt prompt;
    Folder folder { { "a.jpg", "b.gif" } };
    FileExistsResolution resolution(OverwriteAction::Unique, folder.exists());
    EXPECT_EQ(resolve(resolution, prompt, "a.jpg"), QString("a(1).jpg"));
    EXPECT_EQ(resolve(resolution, prompt, "b.gif"), QString("b(2).gif"));
}

TEST(FileExistsResolution, PromptAnswers)
{
    Folder folder { { "a.txt", "b.txt", "c.txt" } };
    const struct {
        const char* name;
        std::optional<FileExistsAnswer> answer;
        std::optional<QString> first;
        int asked; // of the three names a.txt, b.txt, c.txt
        std::optional<QString> third;
    } rows[] = {
        { "overwrite, ask each time",
            FileExistsAnswer { FileExistsAction::Overwrite, "a.txt", false }, QString("a.txt"), 3,
            QString("c.txt") },
        { "skip for all", FileExistsAnswer { FileExistsAction::Skip, "a.txt", true }, skip(), 1,
            skip() },
        { "typed name for all is numbered later",
            FileExistsAnswer { FileExistsAction::SaveWithNewName, "new.txt", true },
            QString("new.txt"), 1, QString("new(2).txt") },
        { "closed without OK skips", std::nullopt, skip(), 3, skip() },
    };
    for (const auto& row : rows) {
        ScriptedPrompt prompt;
        prompt.fileExistsAnswers = { row.answer, row.answer, row.answer };
        int opened = 0;
        FileExistsResolution resolution(OverwriteAction::Prompt, folder.exists());
        EXPECT_EQ(resolve(resolution, prompt, "a.txt", &opened), row.first) << row.name;
        resolve(resolution, prompt, "b.txt", &opened);
        EXPECT_EQ(resolve(resolution, prompt, "c.txt", &opened), row.third) << row.name;
        EXPECT_EQ(prompt.fileExistsAsked.size(), row.asked) << row.name;
        EXPECT_EQ(opened, row.asked) << row.name;
    }
}

TEST(FileExistsResolution, ClosingAfterAnEarlierAnswerStillSkips)
{
    ScriptedPrompt prompt;
    Folder folder { { "a.txt", "b.txt", "c.txt" } };
    prompt.fileExistsAnswers
        = { FileExistsAnswer { FileExistsAction::SaveWithNewName, "x.txt", false }, std::nullopt,
              FileExistsAnswer { FileExistsAction::Overwrite, "c.txt", false } };
    FileExistsResolution resolution(OverwriteAction::Prompt, folder.exists());
    EXPECT_EQ(resolve(resolution, prompt, "a.txt"), QString("x.txt"));
    EXPECT_EQ(resolve(resolution, prompt, "b.txt"), skip());
    EXPECT_EQ(resolve(resolution, prompt, "c.txt"), QString("c.txt"));
}

// Every name given out is one the folder does not have yet, however long the names are.
TEST(FileExistsResolution, LongNamesNeverShareANumberedName)
{
    for (const int length : { 238, 239, 240, 300 }) {
        SCOPED_TRACE(length);
        const QString existing = SafeFileName(QString(length - 4, 'x') + ".txt");
        const QString typed = QString(length - 4, QChar(0x00e9)) + ".txt";
        for (const auto& answer : { std::optional<FileExistsAnswer>(),
                 std::optional(
                     FileExistsAnswer { FileExistsAction::SaveWithNewName, typed, true }) }) {
            ScriptedPrompt prompt;
            prompt.fileExistsAnswers = { answer };
            Folder folder { { existing } };
            FileExistsResolution resolution(
                answer ? OverwriteAction::Prompt : OverwriteAction::Unique, folder.exists());
            for (int i = 0; i < 3; ++i) {
                const std::optional<QString> name = resolve(resolution, prompt, existing);
                ASSERT_TRUE(name.has_value());
                EXPECT_FALSE(folder.names.contains(*name)) << name->toStdString();
                EXPECT_LE(name->toUtf8().size(), 240);
                folder.names.insert(*name);
            }
        }
    }
}
