#include "cli/CliOptions.h"

#include "cli/CliCommandTable.h"
#include "cli/CliOptionTable.h"
#include "core/Version.h"
#include "download/Aria2Job.h"

namespace
{

// The download options the aria2 daemon cannot apply as asked: it writes the files by
// its own rules and runs the links as it is configured to.
constexpr const char* kNotForAria2[] = { "--exists", "--jobs", "--per-host", "--limit-rate",
    "--retries", "--content-disposition", "--timeout", "--output", "--ca-certificate", "--insecure",
    "--timestamping", "--user", "--password-file" };

// The checks that need the whole command line: arguments and required options.
QString checkArguments(CliOptions& options, QStringList positional, const QStringList& given)
{
    using Command = CliOptions::Command;
    if (options.command == Command::Download) {
        options.urls = positional;
        if (options.urls.isEmpty() && options.fromFile.isEmpty())
            return QStringLiteral("download needs a URL or --from LISTFILE.");
        if (options.format == EntryFormat::Csv)
            return QStringLiteral("--format for download needs plain or jsonl.");
        if (!options.output.isEmpty() && (options.urls.size() != 1 || !options.fromFile.isEmpty()))
            return QStringLiteral("--output needs exactly one link.");
        if (options.quiet && options.verbose)
            return QStringLiteral("--quiet and --verbose cannot be combined.");
        if (options.password && options.user.isEmpty())
            return QStringLiteral("--password-file needs --user USER.");
        if (given.contains(QLatin1String("--aria2-secret"))
            && given.contains(QLatin1String("--aria2-secret-file")))
            return QStringLiteral("--aria2-secret and --aria2-secret-file cannot be combined.");
        if (options.aria2Url.isEmpty())
            return options.aria2Secret.isEmpty()
                ? QString()
                : QStringLiteral("--aria2-secret needs --aria2 URL.");
        if (options.aria2Secret.isEmpty())
            options.aria2Secret = qEnvironmentVariable("QUILLMARCH_ARIA2_SECRET");
        for (const char* name : kNotForAria2) {
            if (given.contains(QLatin1StringView(name)))
                return QStringLiteral("%1 does not apply with --aria2: the daemon saves the "
                                      "files by its own settings.")
                    .arg(QLatin1StringView(name));
        }
        const QString refused = Aria2Job::refusal({ options.aria2Url, options.aria2Secret });
        return refused.isEmpty() ? QString() : QStringLiteral("--aria2: ") + refused;
    }
    if (options.command == Command::Harvest) {
        for (const char* name :
            { "--measure", "--min-width", "--min-height", "--min-size", "--type" }) {
            if (given.contains(QLatin1StringView(name)) && !options.harvest.media())
                return QStringLiteral("%1 needs --media or --all.").arg(QLatin1StringView(name));
        }
        options.urls = positional;
        if (options.crawls() && options.manyPages())
            return QStringLiteral("--depth, --next and --continue take one URL and no --from.");
        if (options.urls.isEmpty() && !options.fromFile.isEmpty())
            return QString();
    }
    if (positional.size() > 1 && options.command != Command::Harvest)
        return QStringLiteral("Too many arguments.");
    options.argument = positional.value(0);
    if (options.command == Command::Text && options.argument.isEmpty())
        options.argument = QStringLiteral("-");
    if (options.argument.isEmpty())
        return options.command == Command::File ? QStringLiteral("No FILE given.")
                                                : QStringLiteral("No URL given.");
    if (options.command == Command::Sequence
        && (options.startText.isEmpty() || options.endText.isEmpty() || options.selectStart < 0))
        return QStringLiteral("sequence needs --start N, --end M and --select OFFSET:LENGTH.");
    return QString();
}

// Reads the options into target and sets the other words aside in positional; given
// gets the name of each option read. Returns the first problem met.
QString readArguments(const QStringList& arguments, CliOptionTarget& target,
    QStringList& positional, QStringList& given)
{
    QString firstProblem;
    auto fail = [&](const QString& problem) {
        if (firstProblem.isEmpty())
            firstProblem = problem;
    };
    bool optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (optionsEnded || arg == QLatin1StringView("-") || !arg.startsWith(QLatin1Char('-'))) {
            positional.append(arg);
            continue;
        }
        if (arg == QLatin1StringView("--")) {
            optionsEnded = true;
            continue;
        }
        // --name=value or --name value.
        const qsizetype equals = arg.startsWith(QLatin1StringView("--"))
            ? arg.indexOf(QLatin1Char('='))
            : qsizetype(-1);
        const QString name = equals < 0 ? arg : arg.left(equals);
        const CliOptionRow* option = CliOptionTable::find(name);
        if (!option) {
            fail(QStringLiteral("Unknown option %1.").arg(name));
            continue;
        }
        QString value;
        if (!option->takesValue()) {
            if (equals >= 0) {
                fail(QStringLiteral("%1 takes no value.").arg(name));
                continue;
            }
        } else if (equals >= 0) {
            value = arg.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments.at(++i);
        } else {
            fail(QStringLiteral("%1 needs a value.").arg(name));
            continue;
        }
        given.append(QLatin1StringView(option->name));
        if (const QString problem = option->apply(target, name, value); !problem.isEmpty())
            fail(problem);
    }
    return firstProblem;
}

// The first option given that the command does not take, or nothing. The overview's
// options (-h, -V) go with any command.
QString foreignOption(const QStringList& given, const CliCommandRow& command)
{
    for (const QString& name : given) {
        const unsigned commands = CliOptionTable::commandsOf(name);
        if (!(commands & (command.bit | kCliOverview)))
            return name;
    }
    return QString();
}

} // namespace

CliOptions CliOptions::parse(const QStringList& arguments)
{
    CliOptions options;
    CliOptionTarget target { options };
    QStringList positional;
    QStringList given; // the options given, checked against the command at the end
    options.error = readArguments(arguments, target, positional, given);
    options.given = given;
    if (qEnvironmentVariable("QUILLMARCH_NO_CONFIG") == QLatin1String("1"))
        options.noConfig = true;

    // "help COMMAND" asks for that command's help, as "COMMAND --help" does.
    if (!positional.isEmpty() && positional.first() == QLatin1StringView("help")) {
        target.helpAsked = true;
        positional.removeFirst();
    }
    const CliCommandRow* command
        = positional.isEmpty() ? nullptr : CliCommandTable::find(positional.first());
    if (command)
        options.commandName = QString::fromLatin1(command->name);
    if (target.helpAsked && (command || positional.isEmpty())) {
        options.command = Command::Help;
        options.error.clear();
        return options;
    }
    if (target.versionAsked && positional.isEmpty() && options.error.isEmpty()) {
        options.command = Command::Version;
        return options;
    }
    if (positional.isEmpty()) {
        if (options.error.isEmpty())
            options.error = QStringLiteral("No command given.");
        return options;
    }
    if (!command) {
        options.error = QStringLiteral("Unknown command %1.").arg(positional.first());
        return options;
    }
    positional.removeFirst();
    options.command = command->command;
    if (!options.error.isEmpty())
        return options;
    if (const QString foreign = foreignOption(given, *command); !foreign.isEmpty()) {
        options.error
            = QStringLiteral("%1 is not an option of %2.").arg(foreign, options.commandName);
        return options;
    }
    options.error = checkArguments(options, positional, given);
    return options;
}

QString CliOptions::usageHint() const
{
    return commandName.isEmpty()
        ? QStringLiteral("Try 'quillmarch-cli --help'.")
        : QStringLiteral("Try 'quillmarch-cli %1 --help'.").arg(commandName);
}

QString CliOptions::versionText()
{
    return QStringLiteral("quillmarch-cli %1\n").arg(QLatin1StringView(kQuillmarchVersion));
}

namespace
{

// One entry of a help list: its head from the third column, its text from the 22nd,
// under the head when the head reaches that far.
QString helpEntry(const QString& head, const char* text)
{
    constexpr qsizetype kTextColumn = 21;
    const QString indent(kTextColumn, QLatin1Char(' '));
    QString entry = QStringLiteral("  ") + head;
    entry += entry.size() <= kTextColumn - 2 ? QString(kTextColumn - entry.size(), QLatin1Char(' '))
                                             : QLatin1Char('\n') + indent;
    return entry + QString::fromUtf8(text).replace(QLatin1Char('\n'), QLatin1Char('\n') + indent)
        + QLatin1Char('\n');
}

// The options whose rows name one of commands, in table order.
QString optionsHelp(unsigned commands)
{
    QString text;
    for (const CliOptionRow& option : CliOptionTable::rows()) {
        if (!(option.commands & commands))
            continue;
        QString head = QLatin1StringView(option.name);
        if (option.alias)
            head.prepend(QLatin1StringView(option.alias) + QStringLiteral(", "));
        if (option.placeholder)
            head += QLatin1Char(' ') + QLatin1StringView(option.placeholder);
        text += helpEntry(head, option.help);
    }
    return text;
}

QString overview()
{
    QString commands;
    for (const CliCommandRow& command : CliCommandTable::rows())
        commands += helpEntry(QLatin1StringView(command.name) + QLatin1Char(' ')
                + QLatin1StringView(command.synopsis),
            command.summary);
    commands += helpEntry(QStringLiteral("help [COMMAND]"), "Show this text, or a command's help.");
    return QStringLiteral(R"(Usage: quillmarch-cli COMMAND [OPTIONS] [ARGUMENTS]

Builds a link list without a window and prints it on standard output, one entry a
line, or downloads the targets of links. The list follows the same rules as the
Quillmarch window, with your stored file-type filters and exclusion preferences
unless options override them.

Commands:
)") + commands
        + QStringLiteral("\nOptions:\n") + optionsHelp(kCliOverview) + QStringLiteral(R"(
Options take their value as "--opt value" or "--opt=value"; "--" ends the
options. 'quillmarch-cli COMMAND --help' lists a command's options.

Messages go to standard error, each line beginning with "quillmarch-cli: ".
Exit status: 0 success, 1 generic failure, 2 wrong usage, 3 file system (or
standard output) error, 4 network failure, 5 TLS failure, 6 authentication
wanted, 8 the server answered with an error, 130 interrupted; when several occur,
the lowest non-zero number. A reader of standard output that goes away (| head)
ends the command quietly by SIGPIPE.
)");
}

} // namespace

QString CliOptions::help(const QString& command)
{
    if (command.isEmpty())
        return overview();
    const CliCommandRow* row = CliCommandTable::find(command);
    if (!row)
        return QString();
    return QStringLiteral("Usage: quillmarch-cli %1 %2\n\n")
               .arg(QLatin1StringView(row->name), QLatin1StringView(row->usage))
        + QString::fromUtf8(row->description) + QStringLiteral("\nOptions:\n")
        + optionsHelp(row->bit) + QLatin1Char('\n') + QString::fromUtf8(row->closing);
}
