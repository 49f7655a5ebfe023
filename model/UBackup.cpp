#include "model/UBackup.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "model/UClock.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

namespace fs = std::filesystem;

constexpr const char* BackupBaseName = "Tervanix";
constexpr const char* SavExtension = ".Sav";
constexpr const char* OldExtension = ".Old";
constexpr const char* TmpExtension = ".tmp";

int LetterIndex(char letter) {
    const int upper = std::toupper(static_cast<unsigned char>(letter));
    return upper >= 'A' && upper <= 'Z' ? upper - 'A' : -1;
}

char BackupLetter() { return static_cast<char>(std::toupper(static_cast<unsigned char>(Settings.BackupDrive))); }

struct TBackupFiles {
    std::string Sav, Old, Tmp;
};

TBackupFiles FilesOn(const std::string& root) {
    const fs::path base = fs::path(root) / BackupBaseName;
    return {base.string() + SavExtension, base.string() + OldExtension, base.string() + TmpExtension};
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

// The system's reason when it fails, empty when the file was renamed.
std::string Rename(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    return ec ? ec.message() : std::string();
}

// The operator reads which file on the backup drive failed and why, under the message.
[[noreturn]] void ThrowNamed(const std::string& message, const std::string& path, const std::string& reason) {
    throw EQCError(message + "\r" + path + (reason.empty() ? std::string() : ": " + reason));
}

void Remove(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
}

// Waits for a readable volume behind the letter, as long as the operator asks to retry.
std::string WaitForDrive(IBackupUi& ui, const IDriveMap& drives, char letter, const char* abortMessage) {
    for (;;) {
        if (drives.DriveReady(letter)) {
            std::string root = drives.RootOf(letter);
            if (!root.empty()) return root;
        }
        if (!ui.RetryOrCancel(std::string("No diskette in drive ") + letter)) throw EQCError(abortMessage);
    }
}

// The copy window stays up while the file is copied, whatever way the copy ends.
class TCopyWindow {
public:
    TCopyWindow(IBackupUi& ui, const std::string& warning) : ui_(ui) { ui_.ShowCopyWindow(warning); }
    ~TCopyWindow() { Close(); }
    TCopyWindow(const TCopyWindow&) = delete;
    TCopyWindow& operator=(const TCopyWindow&) = delete;
    void Close() {
        if (open_) ui_.CloseCopyWindow();
        open_ = false;
    }

private:
    IBackupUi& ui_;
    bool open_ = true;
};

// The copies already on the drive step aside while the new copy is written: the previous ".Old"
// waits as ".tmp" and the current ".Sav" becomes ".Old". Undo() puts both names back, so a failed
// backup loses neither of them.
class TPreviousCopies {
public:
    explicit TPreviousCopies(const TBackupFiles& files) : files_(files) {
        if (Exists(files_.Old)) {
            if (const std::string reason = Rename(files_.Old, files_.Tmp); !reason.empty())
                ThrowNamed("Cannot save data", files_.Tmp, reason);
            oldParked_ = true;
        }
        if (Exists(files_.Sav)) {
            if (const std::string reason = Rename(files_.Sav, files_.Old); !reason.empty()) {
                Undo();
                ThrowNamed("Cannot save data", files_.Old, reason);
            }
            savMoved_ = true;
        }
    }
    void Undo() {
        if (savMoved_) Rename(files_.Old, files_.Sav);
        if (oldParked_) Rename(files_.Tmp, files_.Old);
        savMoved_ = oldParked_ = false;
    }
    void Commit() {
        if (oldParked_) Remove(files_.Tmp);
        savMoved_ = oldParked_ = false;
    }

private:
    const TBackupFiles& files_;
    bool oldParked_ = false;
    bool savMoved_ = false;
};

} // namespace

void TFolderDriveMap::Map(char letter, std::string folder) {
    const int index = LetterIndex(letter);
    if (index >= 0) folders_[index] = std::move(folder);
}

std::string TFolderDriveMap::RootOf(char letter) const {
    const int index = LetterIndex(letter);
    return index >= 0 ? folders_[index] : std::string();
}

bool TFolderDriveMap::DriveReady(char letter) const {
    const std::string root = RootOf(letter);
    return !root.empty() && FolderReadable(root);
}

bool FolderReadable(const std::string& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return false;
    fs::directory_iterator listing(folder, ec);
    return !ec;
}

std::string BackupDisplayPath(char letter, const std::string& extension) {
    return std::string(1, letter) + ":/" + BackupBaseName + extension;
}

namespace {

// The files of our own beside the data file (the audit trail, the quality goals) go with the data
// copy, beside it under their own names.
void CopyBeside(const std::string& file, const std::string& dataCopy, const std::string& what) {
    if (file.empty() || !FileExists(file)) return;
    const std::size_t slash = dataCopy.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : dataCopy.substr(0, slash + 1);
    const std::string copy = folder + file.substr(file.find_last_of('/') + 1);
    const std::optional<std::string> bytes = ReadWholeFile(file);
    if (!bytes) ThrowNamed("Cannot read " + what, file, WhyUnreadable(file));
    try {
        WriteFileAtomic(copy, *bytes, "Cannot save " + what);
    } catch (const EFileWriteError& e) {
        ThrowNamed("Cannot save " + what, copy, e.Reason());
    }
}

} // namespace

void BackupToDiskette(IBackupUi& ui, const IDriveMap& drives, const std::function<void(const std::string&)>& record,
                      const std::string& auditFile) {
    const char letter = BackupLetter();
    const TBackupFiles files = FilesOn(WaitForDrive(ui, drives, letter, "Backup aborted"));
    if (!ui.Confirm("Confirm data backup")) throw EQCError("Backup aborted");
    if (record) record(files.Sav);
    TCopyWindow window(ui, "Backuping data to " + BackupDisplayPath(letter, SavExtension));
    TPreviousCopies previous(files);
    try {
        SaveDataFile(files.Sav);
        CopyBeside(auditFile, files.Sav, "the audit trail");
        CopyBeside(BasePath + ".goals", files.Sav, "the quality goals");
    } catch (const EFileWriteError& e) {
        previous.Undo();
        ThrowNamed("Cannot save data", files.Sav, e.Reason());
    } catch (...) {
        previous.Undo();
        throw;
    }
    Settings.LastBackup = Today();
    previous.Commit();
    window.Close();
    ui.Information("Backup OK");
}

void RestoreFromDiskette(IBackupUi& ui, const IDriveMap& drives, const std::function<void(const std::string&)>& record) {
    const char letter = BackupLetter();
    const TBackupFiles files = FilesOn(WaitForDrive(ui, drives, letter, "Restore aborted"));
    if (!Exists(files.Sav)) throw EQCError("No backup file to restore");
    const auto modified = FileModified(files.Sav);
    const std::string date = modified ? FormatDate(*modified) : std::string();
    if (!ui.Confirm("Confirm data restore from diskette. The date of source file is : " + date))
        throw EQCError("Restore aborted");
    if (record) record(files.Sav);
    TCopyWindow window(ui, "Restoring data from " + BackupDisplayPath(letter, SavExtension));
    try {
        LoadDataFile(files.Sav);
    } catch (const EDataFileError& e) {
        ThrowNamed("Impossible to restore", files.Sav, e.Detail());
    } catch (const std::exception&) {
        ThrowNamed("Impossible to restore", files.Sav, std::string());
    }
}

bool BackupDue(const TSettings& settings, TDateTime today) {
    return today - settings.LastBackup >= settings.BackupIntervalDays;
}

bool BackupDue() { return BackupDue(Settings, Today()); }

} // namespace tervanix
