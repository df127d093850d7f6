#pragma once

#include "model/UserInterface.h"

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

// The DriveList, or nothing after telling the user that no USB drive is connected; the
// program then ends.
std::optional<DriveList> FindUsbDrives(DriveSource& source, UserInterface& ui);

} // namespace tonarion
