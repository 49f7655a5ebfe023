#include "model/USettingsFile.h"

#include "model/UCodec.h"
#include "model/UFileStore.h"

namespace tervanix {
namespace {
constexpr const char* SettingsExtension = ".cfr";
constexpr std::size_t OperatorMinSize = 4; // length of an empty text
} // namespace

std::string EncodeSettingsFile(const TSettings& settings, const TOperatorList& operators) {
    ByteWriter w;
    WriteSettings(w, settings);
    w.I32(operators.Count());
    for (const std::string& code : operators.Items()) w.Counted(code);
    return w.take();
}

void DecodeSettingsFile(std::string_view bytes, TSettings& settings, TOperatorList& operators) {
    ByteReader r(bytes);
    const TSettings read = ReadSettings(r);
    if (!HasFormatMagic(read.FormatTag)) throw EQCError("Not a settings file");
    settings = read;
    const std::int32_t count = r.Count(OperatorMinSize);
    for (std::int32_t i = 0; i < count; ++i) operators.Add(r.Counted());
}

void LoadSettings(const std::string& path) {
    FirstRun = true;
    if (const auto bytes = ReadWholeFile(path)) {
        try {
            DecodeSettingsFile(*bytes, Settings, Operators);
            FirstRun = false;
        } catch (const EQCError&) {
            // A damaged file is not reported: the defaults apply, as at a first start.
        }
    }
    if (FirstRun) Settings = DefaultSettings();
    Settings.FormatTag = CurrentFormatTag();
}

void LoadSettings() { LoadSettings(BasePath + SettingsExtension); }

void SaveSettings(const std::string& path) {
    try {
        WriteFileAtomic(path, EncodeSettingsFile(Settings, Operators), "Cannot save settings");
    } catch (const EQCError&) {
        // Settings are saved again at the next change and at exit; nothing to tell the operator.
    }
}

void SaveSettings() { SaveSettings(BasePath + SettingsExtension); }

std::string SettingsPathBeside(const std::string& dataPath) {
    return PathWithExtension(dataPath, SettingsExtension);
}

} // namespace tervanix
