// audit: the audit trail of a data folder as JSON, filtered, or the check of its chain.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/CliPrint.h"
#include "model/UAuditTrail.h"
#include "model/UDateTime.h"
#include "model/UFileStore.h"

namespace tervanix::cli {
namespace {

struct TAuditRequest {
    std::vector<std::string> Positionals;
    TAuditFilter Filter;
    bool Verify = false;
};

TAuditRequest ParseAudit(const TArgs& args) {
    TAuditRequest request;
    TArgCursor cursor(args);
    while (!cursor.Done()) {
        const std::string& arg = cursor.Next();
        if (arg == "--verify")
            request.Verify = true;
        else if (!IsOption(arg))
            request.Positionals.push_back(arg);
        else if (!TakeAuditFilterOption(arg, cursor, request.Filter))
            throw EUsage("Unknown option: " + arg);
    }
    ExpectPositionals(request.Positionals, 1);
    if (request.Verify &&
        !(request.Filter.Analyte.empty() && request.Filter.FromDate.empty() && request.Filter.ToDate.empty()))
        throw EUsage("--verify checks the whole file: it takes no --analyte, --from or --to");
    return request;
}

// A missing file is no trail to show: said as a file that cannot be read.
void RequireReadable(const std::string& path) {
    if (FileExists(path) && std::ifstream(path, std::ios::binary)) return; // not read whole: it may be large
    throw EFailure("Cannot read " + path + ": " + WhyUnreadable(path));
}

int Verify(const std::string& path) {
    std::string why;
    const std::optional<TAuditCheck> check = VerifyAuditFile(path, &why);
    if (!check) throw EFailure("Cannot read " + path + ": " + why);
    std::cout << "{\"entries\": " << check->Entries
              << ", \"intact\": " << (check->Intact() ? "true" : "false");
    if (!check->Intact()) std::cout << ", \"first_broken\": " << check->FirstBroken;
    std::cout << "}\n";
    return check->Intact() ? 0 : 1;
}

} // namespace

bool TakeAuditFilterOption(const std::string& option, TArgCursor& cursor, TAuditFilter& filter) {
    if (option == "--analyte")
        filter.Analyte = cursor.ValueOf(option);
    else if (option == "--from")
        filter.FromDate = IsoDay(ParseDay(cursor.ValueOf(option), option));
    else if (option == "--to")
        filter.ToDate = IsoDay(ParseDay(cursor.ValueOf(option), option));
    else
        return false;
    return true;
}

std::string IsoDay(TDateTime day) {
    const TDateParts d = DecodeDate(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
    return text;
}

std::vector<TAuditEntry> ReadAuditForOutput(const std::string& path, TAuditFilter filter) {
    RequireReadable(path);
    if (!filter.FromDate.empty() && !filter.ToDate.empty() && filter.FromDate > filter.ToDate)
        std::swap(filter.FromDate, filter.ToDate); // either order, as the other date ranges
    try {
        std::vector<TAuditEntry> entries = ReadAuditEntries(path, filter);
        std::reverse(entries.begin(), entries.end()); // oldest first, as in the file
        return entries;
    } catch (const EQCError& e) {
        throw EFailure(e.what());
    }
}

int RunAudit(const TArgs& args) {
    const TAuditRequest request = ParseAudit(args);
    const std::string& path = request.Positionals[0];
    if (request.Verify) {
        RequireReadable(path);
        return Verify(path);
    }
    const std::vector<TAuditEntry> entries = ReadAuditForOutput(path, request.Filter);
    std::string out = "[";
    for (std::size_t i = 0; i < entries.size(); ++i)
        out += (i ? ",\n" : "\n") + EncodeAuditLine(entries[i]);
    out += entries.empty() ? "]\n" : "\n]\n";
    std::cout << out;
    return 0;
}

} // namespace tervanix::cli
