#include "model/UArchive.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "model/UFileStore.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t NumberDigits = 6;
constexpr std::string_view Prefix = "QC";
constexpr std::string_view Extension = ".qca";
constexpr std::uint64_t MaxArchiveBytes = std::uint64_t(1) << 28;

bool IsDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The number part of an archive name: the characters between "QC" and ".qca" (letter case ignored),
// or nothing for a name of another kind. Six characters make an archive name whatever they are;
// longer all-digit parts are the archives numbered from 1000000 on.
std::optional<std::string> NumberPart(const std::string& name) {
    if (name.size() < Prefix.size() + NumberDigits + Extension.size()) return std::nullopt;
    if (UpperAscii(name.substr(0, Prefix.size())) != UpperAscii(Prefix)) return std::nullopt;
    if (UpperAscii(name.substr(name.size() - Extension.size())) != UpperAscii(Extension)) return std::nullopt;
    std::string part = name.substr(Prefix.size(), name.size() - Prefix.size() - Extension.size());
    if (part.size() > NumberDigits && !IsDigits(part)) return std::nullopt;
    return part;
}

std::int64_t ToNumber(const std::string& part) {
    if (!IsDigits(part)) throw EQCError("'" + part + "' is not a valid integer value");
    std::int64_t n = 0;
    for (char c : part) {
        n = n * 10 + (c - '0');
        if (n > std::numeric_limits<std::int32_t>::max()) throw EQCError("'" + part + "' is not a valid integer value");
    }
    return n;
}

std::string PointLine(const TAnalyte& a, int index, int level) {
    const TQCPoint& p = a.Point(index);
    const TLevelResult& r = p.Levels[level];
    std::string value;
    if (r.Status == qsDiscarded)
        value = "Discarded";
    else if (r.Status != qsNoValue)
        value = FormatFixed(r.Value, 8, a.Decimals);
    return FormatDate(p.DateTime) + '\t' + FormatTime(p.DateTime) + '\t' + value + '\t' + p.Operator.str() + '\t' +
           a.CommentText(p.CommentId) + "\r\n";
}

void CheckArchivable(const TAnalyte& a, int level) {
    if (level < 0 || level >= std::min(a.LevelCount, MaxLevels)) throw EQCError("No such level");
    if (a.FirstPointWithLevel(level) < 0) throw EQCError("Nothing to archive");
}

} // namespace

std::string ArchiveFileName(std::int32_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() < NumberDigits) digits.insert(0, NumberDigits - digits.size(), '0');
    return ProgramDir + std::string(Prefix) + digits + std::string(Extension);
}

std::int32_t NextArchiveNumber() {
    std::int64_t largest = 0;
    std::error_code ec;
    for (fs::directory_iterator it(ProgramDir.empty() ? "." : ProgramDir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        if (const auto part = NumberPart(it->path().filename().string())) largest = std::max(largest, ToNumber(*part));
    }
    if (largest >= std::numeric_limits<std::int32_t>::max()) throw EQCError("No archive number left");
    return static_cast<std::int32_t>(largest + 1);
}

std::string ArchiveText(const TAnalyte& a, int level, const TListSerum& materials) {
    const int first = a.FirstPointWithLevel(level);
    const int last = a.LastPointWithLevel(level);
    const TMaterial& material = materials.FindById(a.MaterialId[level]);
    const TLevelStats& all = a.AllPoints[level];
    std::string text = a.Name.str() + "\r\n" + a.UnitName.str() + "\r\n";
    text += FormatDate(a.Point(first).DateTime) + '\t' + FormatDate(a.Point(last).DateTime) + '\t' +
            material.Name.str() + '\t' + material.Lot.str() + '\t' + FormatFixed(all.Mean, 8, a.Decimals + 1) + '\t' +
            FormatFixed(all.CV, 8, 1) + '\t' + FormatInt(all.N) + "\r\n";
    for (int i = first; i <= last; ++i) text += PointLine(a, i, level);
    return text;
}

void ArchiveLevel(TAnalyte& analyte, int level) {
    CheckArchivable(analyte, level);
    const std::string text = ArchiveText(analyte, level, Materials);
    const std::int32_t number = NextArchiveNumber();
    analyte.Archives.push_back(number);
    const std::string path = ArchiveFileName(number);
    WriteFileAtomic(path, text, "Cannot create file \"" + path + "\"");
    analyte.EraseLevel(level);
}

std::optional<std::vector<std::string>> ReadArchiveLines(std::int32_t number) {
    const auto bytes = ReadWholeFile(ArchiveFileName(number), MaxArchiveBytes);
    if (!bytes) return std::nullopt;
    std::vector<std::string> lines;
    std::string_view rest = *bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return lines;
}

} // namespace tervanix
