#include "winsupport/FolderCreation.h"

#include <filesystem>
#include <system_error>

Result<> FolderCreation::create(const QString& path)
{
    if (path.isEmpty())
        return Result<>::failed(QStringLiteral("No folder name was given."));
    const std::filesystem::path target(path.toStdU16String());
    std::error_code error;
    std::filesystem::create_directories(target, error);
    if (!error && !std::filesystem::is_directory(target, error))
        error = std::make_error_code(std::errc::not_a_directory);
    if (error)
        return Result<>::failed(QStringLiteral("%1\nThe folder could not be created: %2.")
                                    .arg(path, QString::fromLocal8Bit(error.message())));
    return Result<>::ok();
}
