#pragma once

#include "model/UserInterface.h"
#include "storage/FileOperations.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tonarion {

#ifdef _WIN32
inline constexpr const char* NoUsbDriveMessage =
    "Kein USB Stick/Laufwerk angeschlossen.\r\n"
    "Schließen Sie bitte einen geeigneten USB-Stick an den PC an.\r\n\r\n"
    "Das Programm wird beendet!";
#else
// Card readers and sticks that are not on the USB bus are not found; any folder can still be
// opened as the stick.
inline constexpr const char* NoUsbDriveMessage =
    "Kein USB Stick/Laufwerk angeschlossen.\r\n"
    "Schließen Sie bitte einen geeigneten USB-Stick an den PC an.\r\n\r\n"
    "Einen anderen Ordner öffnen Sie als USB-Stick mit: tonarion --stick ORDNER\r\n\r\n"
    "Das Programm wird beendet!";
#endif

inline constexpr const char* DriveEntryPrefix = "USB-Laufwerk ";

// The USB drives in the system's order, each as "USB-Laufwerk " + its root ("E:\" on
// Windows, the mount point with a trailing "/" on Linux).
using DriveList = std::vector<std::string>;

std::string driveEntry(const std::string& root);
// The root at the end of a DriveList entry.
std::string rootOfDriveEntry(const std::string& entry);

// Where the platform finds the roots of the drives on the USB bus.
class DriveSource {
public:
    virtual ~DriveSource() = default;
    virtual std::vector<std::string> usbDriveRoots() = 0;
};

// The drives the source finds now, without a word to the user: the drive dialog asks again
// and again while it is open, to follow sticks plugged in or pulled.
DriveList listUsbDrives(DriveSource& source);

// The DriveList, or nothing after telling the user that no USB drive is connected; the
// program then ends.
std::optional<DriveList> FindUsbDrives(DriveSource& source, UserInterface& ui);

// A drive as the user recognises it: "SOUNDS (E:\) – 3,8 GB, 3,1 GB frei, FAT32". The drive
// dialog shortens the root alone, as a mount point can be long; label and sizes stay whole.
struct DriveDescription {
    // The medium's label; without one the last folder of the root, as Linux mounts a medium
    // under its label or serial number. Empty on a drive letter without a label.
    std::string label;
    std::string root;
    // Size, free space and file system; empty when the system could not tell.
    std::string details;
};

DriveDescription describeDrive(const std::string& root, const FileValue<VolumeInfo>& volume);

// The description with root shown as shownRoot (the root itself, or shortened to fit). A
// drive the system told nothing about reads as before: "USB-Laufwerk E:\", or its mount
// folder's name and the mount point, "SOUNDS – /media/anna/SOUNDS/".
std::string driveText(const DriveDescription& drive, const std::string& shownRoot);

// Bytes as Windows Explorer counts them, in units of 1024, with a decimal comma: "3,8 GB",
// "117 GB", "512 Bytes".
std::string byteSizeText(std::uintmax_t bytes);

} // namespace tonarion
