// tervanix-cli: headless commands on the program's files, for scripted QC (nightly integrity checks
// of backups, migrations, reports). Errors go to stderr; exit 0 on success, 1 on failure, 2 on a
// command line that cannot be used.
#include <exception>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "cli/CliAdd.h"
#include "cli/CliCommands.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UTypes.h"

namespace {

using namespace tervanix::cli;

constexpr const char* UsageText =
    "Usage:\n"
    "  tervanix-cli dump FILE.qcf [--settings FILE.cfr]\n"
    "  tervanix-cli export FILE.qcf ANALYTE\n"
    "  tervanix-cli import FILE.qcf ANALYTE TEXT.txt [--dry-run] [--settings FILE.cfr]\n"
    "  tervanix-cli check FILE            (.qcf, .cfr, .fif, .dat or .sav)\n"
    "  tervanix-cli demo [--seed N] DIR\n"
    "  tervanix-cli convert IN OUT.qcf [--force]\n"
    "  tervanix-cli queue FILE.fif\n"
    "  tervanix-cli settings FILE.cfr\n"
    "  tervanix-cli westgard FILE.qcf ANALYTE --date-time T --values V1 [V2 [V3]]\n"
    "               [--reject L]... [--multirules on|off] [--settings FILE.cfr]\n"
    "  tervanix-cli archives FILE.qcf ANALYTE\n"
    "  tervanix-cli archive FILE.qca\n"
    "  tervanix-cli audit FILE.adt [--analyte NAME] [--from DATE] [--to DATE]\n"
    "  tervanix-cli audit FILE.adt --verify\n"
    "  tervanix-cli add --analyte NAME [--date-time T] [--level1 X] [--level2 Y] [--level3 Z]\n"
    "               [--operator OP] [--comment TEXT] [--parallelise]\n"
    "  tervanix-cli sigma FILE.qcf [--goals FILE.goals] [--settings FILE.cfr]\n"
    "  tervanix-cli summary FILE.qcf --month YYYY-MM [--goals FILE.goals]\n"
    "  tervanix-cli print data FILE.qcf ANALYTE --from DATE --to DATE [--stats]\n"
    "               [--settings FILE.cfr] --out OUT.pdf\n"
    "  tervanix-cli print charts FILE.qcf ANALYTE --from DATE --to DATE [--levels 1,2,3]\n"
    "               [--stats] [--bw] [--settings FILE.cfr] --out OUT.pdf\n"
    "  tervanix-cli print limits FILE.qcf ANALYTE [--settings FILE.cfr] --out OUT.pdf\n"
    "  tervanix-cli print daily FILE.qcf --day DATE [--settings FILE.cfr] --out OUT.pdf\n"
    "  tervanix-cli print archive FILE.qca --out OUT.pdf\n"
    "  tervanix-cli print audit FILE.adt [--analyte NAME] [--from DATE] [--to DATE] --out OUT.pdf\n"
    "  tervanix-cli print sigma FILE.qcf [--goals FILE.goals] [--settings FILE.cfr] --out OUT.pdf\n"
    "  tervanix-cli print summary FILE.qcf --month YYYY-MM [--goals FILE.goals] --out OUT.pdf\n"
    "    Every print kind takes --paper A4|Letter (default: the paper of the locale).\n"
    "    DATE is YYYY-MM-DD; the range may be given in either order.\n"
    "    Without --goals, the goals file beside the data file (FILE.goals) is used.\n"
    "    T is a day number (days since 1899-12-30) or a local time like 2026-12-08T14:30[:00];\n"
    "    an empty value (\"\") means no value for that level.\n";

using TCommand = int (*)(const TArgs&);

const std::map<std::string, TCommand>& Commands() {
    static const std::map<std::string, TCommand> commands = {
        {"dump", RunDump},       {"export", RunExport}, {"check", RunCheck},       {"demo", RunDemo},
        {"convert", RunConvert}, {"queue", RunQueue},   {"settings", RunSettings}, {"westgard", RunWestgard},
        {"add", RunAdd},         {"archives", RunArchives}, {"archive", RunArchive}, {"print", RunPrint},
        {"import", RunImport},   {"audit", RunAudit},   {"sigma", RunSigma},   {"summary", RunSummary},
    };
    return commands;
}

// The usage lines of one command ("print" gives every kind), with their continuation lines.
std::string CommandUsage(const std::string& name) {
    std::istringstream lines(UsageText);
    std::string line, usage;
    bool inCommand = false;
    const std::string start = "  tervanix-cli " + name + " ";
    while (std::getline(lines, line)) {
        if (line.rfind("  tervanix-cli ", 0) == 0) inCommand = line.rfind(start, 0) == 0;
        else if (line.rfind("    ", 0) == 0 && line.rfind("     ", 0) != 0) inCommand = false;
        if (inCommand) usage += line + '\n';
    }
    return usage;
}

// What a command line that cannot be used gets on stderr, every line marked as the tool's.
void ReportUsageError(const std::string& message, const std::string& command) {
    std::cerr << "tervanix-cli: " << message << '\n';
    std::istringstream usage(CommandUsage(command));
    for (std::string line; std::getline(usage, line);) std::cerr << "tervanix-cli: usage:" << line << '\n';
    std::cerr << "tervanix-cli: 'tervanix-cli --help' lists every command, 'tervanix-cli COMMAND --help' one\n";
}

bool AsksForHelp(const TArgs& args) {
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h") return true;
    return false;
}

std::string commandName;

int Dispatch(int argc, char** argv) {
    if (argc < 2) throw EUsage("Missing command");
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::cout << UsageText;
        return 0;
    }
    if (name == "--version") {
        std::cout << "tervanix-cli " << TERVANIX_VERSION << " (data format " << tervanix::CurrentFormatVersion() << ")\n";
        return 0;
    }
    const auto command = Commands().find(name);
    if (command == Commands().end()) throw EUsage("Unknown command: " + name);
    commandName = name;
    const TArgs args(argv + 2, argv + argc);
    if (AsksForHelp(args)) {
        std::cout << "Usage:\n" << CommandUsage(name);
        return 0;
    }
    return command->second(args);
}

} // namespace

int main(int argc, char** argv) {
    try {
        const int code = Dispatch(argc, argv);
        // A report lost on a full disk or a closed pipe must not pass for a success.
        if (!std::cout.flush()) throw std::runtime_error("Cannot write the output");
        return code;
    } catch (const EUsage& e) {
        ReportUsageError(e.what(), commandName);
        return 2;
    } catch (const tervanix::EFileWriteError& e) {
        std::cerr << e.Described() << '\n';
    } catch (const std::bad_alloc&) {
        std::cerr << "tervanix-cli: out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "tervanix-cli: " << e.what() << '\n';
    }
    return 1;
}
