#include "model/UAuditTrail.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <utility>

#include "model/UFormat.h"
#include "model/UJson.h"
#include "model/USha256.h"

// The login of the audit trail is the account of the process (POSIX).
#include <pwd.h>
#include <unistd.h>

namespace tervanix {

// ---- Who and when ----

namespace {

std::function<std::string()>& ClockOverride() {
    static std::function<std::string()> clock;
    return clock;
}

std::function<std::string()>& LoginOverride() {
    static std::function<std::string()> login;
    return login;
}

std::string SystemUtcNow() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()));
    return text;
}

// The account the process runs under; its name from the environment only when it has none.
std::string SystemLogin() {
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
        return found->pw_name;
    for (const char* name : {"LOGNAME", "USER", "USERNAME"})
        if (const char* value = std::getenv(name); value && *value) return value;
    return "";
}

} // namespace

void SetAuditClock(std::function<std::string()> utcNow) {
    ClockOverride() = std::move(utcNow);
}
void SetAuditLogin(std::function<std::string()> login) {
    LoginOverride() = std::move(login);
}
std::string AuditUtcNow() {
    return ClockOverride() ? ClockOverride()() : SystemUtcNow();
}
std::string AuditLogin() {
    return LoginOverride() ? LoginOverride()() : SystemLogin();
}

std::string AuditPathOf(const std::string& dataPath) {
    const std::size_t slash = dataPath.find_last_of('/');
    const std::size_t dot = dataPath.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? dataPath.substr(0, dot) : dataPath) + ".adt";
}

// ---- Lines ----

std::string EncodeAuditLine(const TAuditEntry& e) {
    std::string line = "{\"seq\":" + std::to_string(e.Seq);
    line += ",\"time\":" + JsonQuoted(e.Time);
    line += ",\"login\":" + JsonQuoted(e.Login);
    line += ",\"operator\":" + JsonQuoted(e.Operator);
    line += ",\"source\":" + JsonQuoted(e.Source);
    line += ",\"action\":" + JsonQuoted(e.Action);
    line += ",\"analyte\":" + JsonQuoted(e.Analyte);
    line += ",\"level\":" + std::to_string(e.Level);
    line += ",\"details\":" + (e.Details.empty() ? std::string("{}") : e.Details);
    line += ",\"prev\":" + JsonQuoted(e.Prev);
    line += '}';
    return line;
}

namespace {

// A line is an object of texts, numbers and the details; anything far deeper is not a line.
constexpr int MaxLineNesting = 64;

// A member of an entry: its texts and numbers in their place; a key of a later version is passed
// over. False for a value of the wrong kind.
bool ReadMember(const std::string& key, const TJson& value, TAuditEntry& e) {
    std::string* text = key == "time"       ? &e.Time
                        : key == "login"    ? &e.Login
                        : key == "operator" ? &e.Operator
                        : key == "source"   ? &e.Source
                        : key == "action"   ? &e.Action
                        : key == "analyte"  ? &e.Analyte
                        : key == "prev"     ? &e.Prev
                                            : nullptr;
    if (text) {
        if (value.Kind != TJson::TKind::Text) return false;
        *text = value.Text;
        return true;
    }
    const bool whole = value.Kind == TJson::TKind::Number && value.Number == std::floor(value.Number);
    if (key == "seq") {
        if (!whole || std::fabs(value.Number) > 9e15) return false;
        e.Seq = static_cast<long long>(value.Number);
    } else if (key == "level") {
        if (!whole || value.Number < 0 || value.Number > 3) return false;
        e.Level = static_cast<int>(value.Number);
    } else if (key == "details") {
        if (value.Kind != TJson::TKind::Object) return false;
        e.Details = std::string(value.Raw);
    }
    return true;
}

} // namespace

std::optional<TAuditEntry> DecodeAuditLine(std::string_view line) {
    TJson object;
    try {
        object = ReadJson(line, MaxLineNesting);
    } catch (const EQCError&) {
        return std::nullopt;
    }
    if (object.Kind != TJson::TKind::Object) return std::nullopt;
    TAuditEntry entry;
    entry.Source.clear();
    for (std::size_t i = 0; i < object.Names.size(); ++i)
        if (!ReadMember(object.Names[i], object.Items[i], entry)) return std::nullopt;
    for (const char* required : {"seq", "action", "prev"})
        if (!JsonMember(object, required)) return std::nullopt;
    return entry;
}

// ---- Reading ----

namespace {

constexpr std::size_t ChunkSize = 1 << 20;

// Each line of the file from the first, without its line end (a last line without one counts);
// the reading stops when `line` answers false. False when the file cannot be read.
bool ForEachLine(const std::string& path, const std::function<bool(std::string_view)>& line) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string buffer;
    std::string chunk(ChunkSize, '\0');
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        buffer.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        std::size_t start = 0;
        for (std::size_t end; (end = buffer.find('\n', start)) != std::string::npos; start = end + 1)
            if (!line(std::string_view(buffer).substr(start, end - start))) return true;
        buffer.erase(0, start);
    }
    if (in.bad()) return false;
    if (!buffer.empty()) line(buffer);
    return true;
}

// The same from the last line back to the first.
bool ForEachLineBackward(const std::string& path, const std::function<bool(std::string_view)>& line) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    std::streamoff end = in.tellg();
    std::string tail; // the start of the lines read so far, whose beginning is further back
    bool last = true;
    // Small first: appending a line reads only the last line.
    std::streamoff chunk = 4096;
    while (end > 0) {
        const std::streamoff size = std::min<std::streamoff>(end, chunk);
        chunk = std::min<std::streamoff>(chunk * 4, ChunkSize);
        end -= size;
        std::string bytes(static_cast<std::size_t>(size), '\0');
        in.seekg(end);
        if (!in.read(bytes.data(), size)) return false;
        bytes += tail;
        std::size_t stop = bytes.size();
        if (last && stop > 0 && bytes[stop - 1] == '\n') --stop; // the line end of the last line
        last = false;
        for (std::size_t nl; stop > 0 && (nl = bytes.rfind('\n', stop - 1)) != std::string::npos; stop = nl)
            if (!line(std::string_view(bytes).substr(nl + 1, stop - nl - 1))) return true;
        tail = bytes.substr(0, stop);
    }
    if (!tail.empty() || !last) line(tail);
    return true;
}

// A line as the writer writes it begins with its number and ends with its link: those two are read
// in place, which keeps the check of a long trail fast. Nothing for a line in another form.
std::optional<bool> LinksInPlace(std::string_view line, long long position, std::string_view previousHash) {
    constexpr std::string_view head = "{\"seq\":", tail = "\"}";
    constexpr std::string_view link = ",\"prev\":\"";
    const std::size_t linkAt =
        line.size() - std::min(line.size(), tail.size() + previousHash.size() + link.size());
    if (!line.starts_with(head) || !line.ends_with(tail) || line.substr(linkAt, link.size()) != link)
        return std::nullopt;
    long long seq = 0;
    const char* digits = line.data() + head.size();
    const auto [end, error] = std::from_chars(digits, line.data() + line.size(), seq);
    if (error != std::errc() || end == digits || *end != ',') return std::nullopt;
    return seq == position && line.substr(linkAt + link.size(), previousHash.size()) == previousHash;
}

bool LinksTo(std::string_view line, long long position, const std::string& previousHash) {
    if (const std::optional<bool> linked = LinksInPlace(line, position, previousHash)) return *linked;
    const std::optional<TAuditEntry> entry = DecodeAuditLine(line);
    return entry && entry->Seq == position && entry->Prev == previousHash;
}

} // namespace

TAuditCheck VerifyAuditText(std::string_view text) {
    TAuditCheck check;
    std::string previous;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        ++check.Entries;
        if (check.Intact() && !LinksTo(line, check.Entries, previous)) check.FirstBroken = check.Entries;
        if (check.Intact()) previous = Sha256Hex(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return check;
}

std::optional<TAuditCheck> VerifyAuditFile(const std::string& path, std::string* why,
                                           const std::atomic<bool>* stop) {
    TAuditCheck check;
    if (!FileExists(path)) return check;
    std::string previous;
    bool stopped = false;
    const bool read = ForEachLine(path, [&](std::string_view line) {
        if (stop && *stop) {
            stopped = true;
            return false;
        }
        ++check.Entries;
        if (check.Intact() && !LinksTo(line, check.Entries, previous)) check.FirstBroken = check.Entries;
        if (check.Intact()) previous = Sha256Hex(line);
        return true;
    });
    if (read && !stopped) return check;
    if (why && !read) *why = WhyUnreadable(path);
    return std::nullopt;
}

bool TAuditFilter::Accepts(const TAuditEntry& entry) const {
    const std::string day = entry.Time.substr(0, 10);
    return (Analyte.empty() || entry.Analyte == Analyte) && (Action.empty() || entry.Action == Action) &&
           (FromDate.empty() || day >= FromDate) && (ToDate.empty() || day <= ToDate);
}

std::vector<TAuditEntry> ReadAuditEntries(const std::string& path, const TAuditFilter& filter,
                                          std::size_t maxCount) {
    std::vector<TAuditEntry> entries;
    if (!FileExists(path) || maxCount == 0) return entries;
    const bool read = ForEachLineBackward(path, [&](std::string_view line) {
        std::optional<TAuditEntry> entry = DecodeAuditLine(line);
        if (entry && filter.Accepts(*entry)) entries.push_back(std::move(*entry));
        return entries.size() < maxCount;
    });
    if (!read) throw EQCError("Cannot read the audit trail: " + path + ": " + WhyUnreadable(path));
    return entries;
}

// ---- Writing ----

namespace {

// The number and link that the next line takes.
struct TChainEnd {
    long long NextSeq = 1;
    std::string Prev;
};

TChainEnd ChainEndOf(const std::string& path) {
    TChainEnd end;
    std::optional<std::string> lastLine;
    ForEachLineBackward(path, [&](std::string_view line) {
        lastLine = std::string(line);
        return false;
    });
    if (!lastLine) return end;
    end.Prev = Sha256Hex(*lastLine);
    if (const std::optional<TAuditEntry> last = DecodeAuditLine(*lastLine)) {
        end.NextSeq = last->Seq + 1;
    } else {
        // The last line is damaged: the numbers go on from the count of lines.
        end.NextSeq = 1;
        ForEachLine(path, [&](std::string_view) {
            ++end.NextSeq;
            return true;
        });
    }
    return end;
}

} // namespace

void AppendAudit(const std::string& path, const std::vector<TAuditNote>& notes) {
    if (notes.empty()) return;
    TChainEnd end = ChainEndOf(path);
    std::vector<TAuditNote> all;
    if (end.NextSeq == 1) {
        TAuditNote started;
        started.Action = "audit.started";
        started.Source = notes.front().Source;
        all.push_back(std::move(started));
    }
    all.insert(all.end(), notes.begin(), notes.end());
    for (TAuditNote& note : all)
        if (note.Source.empty()) note.Source = std::string(AuditFromProgram);
    const std::string time = AuditUtcNow();
    const std::string login = AuditLogin();
    std::string bytes;
    for (TAuditNote& note : all) {
        TAuditEntry entry;
        static_cast<TAuditNote&>(entry) = std::move(note);
        entry.Seq = end.NextSeq++;
        entry.Time = time;
        entry.Login = login;
        entry.Prev = std::move(end.Prev);
        const std::string line = EncodeAuditLine(entry);
        end.Prev = Sha256Hex(line);
        bytes += line;
        bytes += '\n';
    }
    try {
        AppendFileDurably(path, bytes, "Cannot write the audit trail");
    } catch (const EFileWriteError& e) {
        throw EAuditWriteError(path, e.Reason());
    }
}

} // namespace tervanix
