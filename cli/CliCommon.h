// What the subcommands of tervanix-cli share: their failures, the argument cursor, and the readers
// of the program's files with the tool's messages.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/UAnalyte.h"
#include "model/ULists.h"

class QLockFile;

namespace tervanix::cli {

// A command line that cannot be used: exit code 2 and the usage text.
class EUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The command could not do its work: exit code 1 and the message.
class EFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TArgs = std::vector<std::string>;

// Walks the arguments of one subcommand.
class TArgCursor {
public:
    explicit TArgCursor(const TArgs& args) : args_(args) {}
    bool Done() const { return pos_ >= args_.size(); }
    const std::string& Peek() const { return args_[pos_]; }
    const std::string& Next() { return args_[pos_++]; }
    // The value that follows an option; a usage error when it is missing.
    const std::string& ValueOf(const std::string& option);

private:
    const TArgs& args_;
    std::size_t pos_ = 0;
};

bool IsOption(const std::string& arg); // "--name"
void ExpectPositionals(const std::vector<std::string>& positionals, std::size_t count);

// The extension of a path in lower case, with its dot (".qcf"); empty when there is none.
std::string LowerExtension(const std::string& path);

// The file's bytes; EFailure(prefix + ": cannot open PATH") when it cannot be read.
std::string ReadInput(const std::string& path, const std::string& failurePrefix);

// The global Settings from a settings file (its risks drive the limits), else the defaults.
void UseSettings(const std::optional<std::string>& path);
// The settings the program would use with the data file: the given file, else the one beside the
// data file, else the defaults, which a note on stderr then names, so that a report never shows
// other limits than the program's without saying so.
void UseSettingsFor(const std::string& dataPath, const std::optional<std::string>& path);

// A data file read whole, its limits recomputed; EFailure("Cannot read data: ...") otherwise.
struct TDataSet {
    TListSerum Materials;
    TListAnalytes Analytes;
    std::string Version;
    int PointCount() const;
};
void ReadDataSet(const std::string& path, TDataSet& data);
void DecodeDataSet(const std::string& path, std::string_view bytes, TDataSet& data);

TAnalyte& FindAnalyte(const TDataSet& data, const std::string& name, const std::string& path);

// The program holds "<data file without extension>.lck" while it works on a data folder and
// writes its data file at exit: a file written behind its back would be overwritten then. The
// lock of that data file; EFailure when the program holds it ("... close it, then <command>
// again") or when the folder cannot be written (the system's reason).
std::unique_ptr<QLockFile> LockDataFile(const std::string& dataPath, const std::string& command);

// Whether two paths name the same file, also through links or another spelling.
bool SameFile(const std::string& a, const std::string& b);

} // namespace tervanix::cli
