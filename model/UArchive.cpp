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
// Far beyond any level's series (a run a day for five centuries), and a bound on what a damaged or
// hostile file can make the reader hold.
constexpr std::size_t MaxArchivePoints = 200000;

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

std::string ArchiveBaseName(std::int32_t number) {
    std::string digits = std::to_string(number);
    if (digits.size() < NumberDigits) digits.insert(0, NumberDigits - digits.size(), '0');
    return std::string(Prefix) + digits + std::string(Extension);
}

std::string ArchiveFileName(std::int32_t number) { return ProgramDir + ArchiveBaseName(number); }

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

namespace {

// Takes the next line off the text, without its line end; a last line without an end counts too.
std::string_view NextLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    return line;
}

// Exactly `count` fields, the last one taking the rest of the line; nothing when there are fewer.
std::optional<std::vector<std::string>> Fields(std::string_view line, std::size_t count) {
    std::vector<std::string> fields;
    while (fields.size() + 1 < count) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) return std::nullopt;
        fields.emplace_back(line.substr(0, tab));
        line.remove_prefix(tab + 1);
    }
    fields.emplace_back(line);
    return fields;
}

std::string JoinTabs(std::initializer_list<const std::string*> fields) {
    std::string line;
    bool first = true;
    for (const std::string* f : fields) {
        if (!first) line += '\t';
        line += *f;
        first = false;
    }
    return line;
}

} // namespace

std::string TArchivePoint::Line() const { return JoinTabs({&Date, &Time, &Value, &Operator, &Comment}); }

std::string TArchiveContent::SummaryLine() const {
    return JoinTabs({&FirstDate, &LastDate, &Material, &Lot, &Mean, &CV, &N});
}

std::optional<TArchiveContent> ParseArchive(std::string_view text) {
    TArchiveContent a;
    a.Analyte = NextLine(text);
    a.Unit = NextLine(text);
    if (text.empty()) return std::nullopt;
    const auto summary = Fields(NextLine(text), 7);
    // Material names and lots hold no TAB: a summary with more fields is not one of ours.
    if (!summary || (*summary)[6].find('\t') != std::string::npos) return std::nullopt;
    std::string* targets[] = {&a.FirstDate, &a.LastDate, &a.Material, &a.Lot, &a.Mean, &a.CV, &a.N};
    for (std::size_t i = 0; i < 7; ++i) *targets[i] = std::move((*summary)[i]);
    while (!text.empty()) {
        auto f = Fields(NextLine(text), 5);
        if (!f || a.Points.size() >= MaxArchivePoints) return std::nullopt;
        a.Points.push_back({std::move((*f)[0]), std::move((*f)[1]), std::move((*f)[2]), std::move((*f)[3]),
                            std::move((*f)[4])});
    }
    return a;
}

std::optional<TArchiveContent> ReadArchive(const std::string& path) {
    const auto bytes = ReadWholeFile(path, MaxArchiveBytes);
    if (!bytes) return std::nullopt;
    return ParseArchive(*bytes);
}

std::optional<TArchiveContent> ReadArchive(std::int32_t number) { return ReadArchive(ArchiveFileName(number)); }

std::vector<std::string> DeleteArchives(TAnalyte& analyte, const std::vector<std::int32_t>& numbers) {
    std::vector<std::string> failed;
    for (const std::int32_t number : numbers) {
        const std::string path = ArchiveFileName(number);
        std::error_code ec;
        fs::remove(path, ec);
        if (ec && fs::exists(path)) {
            failed.push_back(path);
            continue;
        }
        std::erase(analyte.Archives, number);
    }
    return failed;
}

} // namespace tervanix
