// Copy of the data file to the backup drive and its restore, and the reminder of a due backup.
// The windows provide the boxes and the drive map; the logic here knows neither.
#pragma once

#include <functional>
#include <string>

#include "model/UTypes.h"

namespace tervanix {

// The boxes and the copy window the backup and the restore put in front of the operator.
class IBackupUi {
public:
    virtual ~IBackupUi() = default;
    // Error box with Retry and Cancel; true for Retry.
    virtual bool RetryOrCancel(const std::string& text) = 0;
    // Confirmation box with OK and Cancel; true only for OK.
    virtual bool Confirm(const std::string& text) = 0;
    virtual void Information(const std::string& text) = 0;
    // The copy window: shown with its warning text and repainted at once; closed again.
    virtual void ShowCopyWindow(const std::string& warning) = 0;
    virtual void CloseCopyWindow() = 0;
};

// Drive letters of the backup setting mapped to mounted volumes.
class IDriveMap {
public:
    virtual ~IDriveMap() = default;
    // Root folder of the volume behind the letter; empty when no volume has that letter.
    virtual std::string RootOf(char letter) const = 0;
    // The volume is mounted and readable. Never shows a box of its own.
    virtual bool DriveReady(char letter) const = 0;
};

// A drive map of plain folders, one per letter: ready when the folder exists and can be listed.
class TFolderDriveMap : public IDriveMap {
public:
    void Map(char letter, std::string folder);
    std::string RootOf(char letter) const override;
    bool DriveReady(char letter) const override;

private:
    std::string folders_[26];
};

// True when the folder exists and its entries can be listed.
bool FolderReadable(const std::string& folder);

// The three names on the backup drive, as the operator sees them ("A:/Tervanix.Sav").
std::string BackupDisplayPath(char letter, const std::string& extension);

// Writes the data file as the backup copy; the previous copy becomes the ".Old" file.
// Throws EQCError("Backup aborted") when the operator stops, or the write's own error.
// On success Settings.LastBackup is today.
// `record` runs once the operator confirmed, before anything is copied (the audit trail's line; a
// failure there stops the backup); the audit file and the quality goals, when there are, are
// copied beside the copy.
void BackupToDiskette(IBackupUi& ui, const IDriveMap& drives, const std::function<void(const std::string& copy)>& record = {},
                      const std::string& auditFile = {});

// Replaces the materials and analytes in memory with the backup copy.
// Throws EQCError("Restore aborted"), ("No backup file to restore") or ("Impossible to restore");
// the current data are then untouched.
// `record` runs once the operator confirmed, before anything is read (the audit trail's line). The
// live audit file is never replaced by the copy's: the trail only grows.
void RestoreFromDiskette(IBackupUi& ui, const IDriveMap& drives, const std::function<void(const std::string& copy)>& record = {});

// A backup is due when the whole days since the last one reach the interval.
bool BackupDue(const TSettings& settings, TDateTime today);
bool BackupDue(); // the global Settings, today

} // namespace tervanix
