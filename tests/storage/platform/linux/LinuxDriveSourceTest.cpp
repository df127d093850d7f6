#include "storage/platform/linux/LinuxDriveSource.h"

#include "storage/platform/linux/BlockDevices.h"
#include "storage/platform/linux/MountInfo.h"
#include "support/SoundFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace tonarion {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

const char* const MountInfoText =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "35 22 8:17 / /media/anna/MY\\040STICK rw,nosuid shared:40 - vfat /dev/sdb1 rw,fmask=0022\n"
    "36 22 8:33 / /media/anna/KARTE rw - vfat /dev/sdc1 rw\n"
    "37 22 8:17 /musik /srv/bind rw - vfat /dev/sdb1 rw\n"
    "38 22 0:45 / /mnt/fat rw,nosuid - fuse.fusefat fusefat rw\n"
    "39 22 8:49 / /media/anna/Tab\\011und\\134Strich rw - vfat /dev/sdd1 rw\n"
    "broken line\n"
    "40 22 x:1 / /nowhere rw - vfat /dev/x rw\n"
    "41 22 8:65 / /media/anna/3A5F-1C2B rw - exfat /dev/sde1 rw\n"
    "42 22 8:81 / /media/anna/Platte rw - fuseblk /dev/sdf1 rw\n";

// A system root in a temporary folder: its mount table, and the device links in sysfs.
struct SystemTree : TempFolder {
    SystemTree()
        : TempFolder("tonarion-sys-") {
        fs::create_directories(root / "proc/self");
        fs::create_directories(root / "sys/dev/block");
        std::ofstream(root / "proc/self/mountinfo") << MountInfoText;
    }
};

// Devices as udev would describe them, by "major:minor".
class TableDevices final : public BlockDevices {
public:
    std::map<std::string, BlockDeviceFacts> devices;
    std::optional<BlockDeviceFacts> facts(unsigned major, unsigned minor) override {
        const auto found = devices.find(std::to_string(major) + ":" + std::to_string(minor));
        return found == devices.end() ? std::nullopt : std::optional(found->second);
    }
};

TEST(MountInfoTest, LibmountReadsEveryWellFormedLineWithItsEscapesResolved) {
    const auto mounts = parseMountInfo(MountInfoText);
    std::vector<std::string> places;
    for (const MountEntry& mount : mounts) {
        places.push_back(std::to_string(mount.major) + ":" + std::to_string(mount.minor) + " " +
                         mount.root + " " + mount.mountPoint + " " + mount.fileSystem + " " +
                         mount.source);
    }
    EXPECT_EQ(places, (std::vector<std::string>{
                          "8:2 / / ext4 /dev/sda2",
                          "8:17 / /media/anna/MY STICK vfat /dev/sdb1",
                          "8:33 / /media/anna/KARTE vfat /dev/sdc1",
                          "8:17 /musik /srv/bind vfat /dev/sdb1",
                          "0:45 / /mnt/fat fuse.fusefat fusefat",
                          "8:49 / /media/anna/Tab\tund\\Strich vfat /dev/sdd1",
                          "8:65 / /media/anna/3A5F-1C2B exfat /dev/sde1",
                          "8:81 / /media/anna/Platte fuseblk /dev/sdf1",
                      }));
    EXPECT_TRUE(parseMountInfo("").empty());
    EXPECT_TRUE(readMountInfo("/nicht/da/mountinfo").empty());
}

TEST(MountInfoTest, AFolderLiesOnTheDeepestMountOfItsPath) {
    const auto mounts = parseMountInfo(MountInfoText);
    const std::pair<const char*, const char*> cases[] = {
        {"/media/anna/KARTE/", "/media/anna/KARTE"},
        {"/media/anna/KARTE/musik", "/media/anna/KARTE"},
        {"/media/anna/KARTEN/", "/"}, // a longer name is another folder
        {"/srv/bind", "/srv/bind"},
        {"/home/anna", "/"},
    };
    for (const auto& [folder, mountPoint] : cases) {
        const MountEntry* mount = mountHolding(mounts, folder);
        ASSERT_TRUE(mount) << folder;
        EXPECT_EQ(mount->mountPoint, mountPoint) << folder;
    }
    EXPECT_FALSE(mountHolding({}, "/media/anna/KARTE/"));
}

TEST(BlockDevicesTest, UdevPropertiesGiveBusLabelAndFatVersion) {
    using Properties = std::map<std::string, std::string>;
    const std::pair<Properties, BlockDeviceFacts> cases[] = {
        {{{"ID_BUS", "usb"},
          {"ID_FS_LABEL", "MY_STICK"},
          {"ID_FS_LABEL_ENC", "MY\\x20STICK"},
          {"ID_FS_TYPE", "vfat"},
          {"ID_FS_VERSION", "FAT32"}},
         {true, "MY STICK", "vfat", "FAT32"}},
        {{{"ID_BUS", "ata"}, {"ID_FS_LABEL", "daten"}, {"ID_FS_TYPE", "ext4"}},
         {false, "daten", "ext4", ""}},
        {{}, {false, "", "", ""}}, // a card reader on no bus udev names
    };
    for (const auto& [properties, expected] : cases) {
        const BlockDeviceFacts facts =
            factsOfUdevProperties([&properties = properties](const char* name) {
                const auto found = properties.find(name);
                return found == properties.end() ? nullptr : found->second.c_str();
            });
        EXPECT_EQ(facts.onUsb, expected.onUsb) << expected.label;
        EXPECT_EQ(facts.label, expected.label);
        EXPECT_EQ(facts.fileSystemType, expected.fileSystemType) << expected.label;
        EXPECT_EQ(facts.fileSystemVersion, expected.fileSystemVersion) << expected.label;
    }
    EXPECT_EQ(decodeUdevText("A\\x2fB\\x5c\\xc3\\xa4\\x4"), "A/B\\\xc3\xa4\\x4");
}

TEST(BlockDevicesTest, FileSystemsAreNamedAsWindowsNamesThem) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"vfat", "vfat", "FAT32", "FAT32"},
        {"vfat", "vfat", "FAT16", "FAT16"},
        {"vfat", "", "", "FAT"},
        {"fuse.fusefat", "", "", "FAT"},
        {"exfat", "exfat", "1.0", "exFAT"},
        {"fuseblk", "ntfs", "", "NTFS"},
        {"ntfs3", "", "", "NTFS"},
        {"ext4", "ext4", "1.0", "ext4"},
    };
    for (const auto& [mountType, type, version, name] : cases) {
        EXPECT_EQ(fileSystemName(mountType, {true, "", type, version}), name) << mountType;
    }
}

// USB devices are recognised by their controller in the path.
TEST(LinuxDriveSourceTest, WithoutUdevSysfsTellsTheUsbDrivesInMountOrder) {
    SystemTree tree;
    for (const auto& [number, target] : {
             std::pair{"8:2", "../../devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda/sda2"},
             std::pair{"8:17",
                       "../../devices/pci0000:00/0000:00:14.0/usb2/2-1/host6/block/sdb/sdb1"},
             std::pair{"8:33",
                       "../../devices/pci0000:00/0000:00:14.0/usb1/1-4/host7/block/sdc/sdc1"},
             std::pair{"8:49",
                       "../../devices/pci0000:00/0000:00:14.0/usb1/1-5/host8/block/sdd/sdd1"},
             std::pair{"8:65", "../../devices/platform/usbnotreally/block/mmcblk0"},
         }) {
        fs::create_symlink(target, tree.root / "sys/dev/block" / number);
    }
    SysfsBlockDevices devices(tree.root.string());
    LinuxDriveSource source(tree.root.string(), devices);
    EXPECT_EQ(source.usbDriveRoots(),
              (std::vector<std::string>{"/media/anna/MY STICK/", "/media/anna/KARTE/",
                                        "/media/anna/Tab\tund\\Strich/"}));
    fs::remove(tree.root / "proc/self/mountinfo"); // no mount table means no drive
    EXPECT_TRUE(source.usbDriveRoots().empty());
}

// What the drive dialog shows of each stick: label, size, free space and file system.
TEST(LinuxDriveSourceTest, EachUsbDriveIsShownWithItsLabelSizesAndFileSystem) {
    SystemTree tree;
    TableDevices devices;
    devices.devices = {
        {"8:2", {false, "system", "ext4", "1.0"}}, {"8:17", {true, "SOUNDS", "vfat", "FAT32"}},
        {"8:33", {true, "", "vfat", "FAT16"}}, // no label: its mount folder names it
        {"8:65", {true, "", "exfat", "1.0"}},      {"8:81", {true, "Daten", "ntfs", ""}},
    };
    constexpr std::uintmax_t GiB = 1024ull * 1024 * 1024;
    const std::map<std::string, MediumSize> sizes = {
        {"/media/anna/MY STICK/", {4'000'000'000, 3'300'000'000}},
        {"/media/anna/KARTE/", {GiB / 8, 0}},
        {"/media/anna/3A5F-1C2B/", {64 * GiB, 1234}},
    };
    LinuxDriveSource source(tree.root.string(), devices, [&](const std::string& folder) {
        const auto found = sizes.find(folder);
        return found == sizes.end()
                   ? FileValue<MediumSize>(folder, std::make_error_code(std::errc::io_error))
                   : FileValue<MediumSize>(folder, found->second);
    });
    std::vector<std::string> shown;
    for (const std::string& root : source.usbDriveRoots()) {
        shown.push_back(driveText(describeDrive(root, source.volumeInfo(root)), root));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "SOUNDS (/media/anna/MY STICK/) – 3,7 GB, 3,1 GB frei, FAT32",
                         "KARTE (/media/anna/KARTE/) – 128 MB, 0 Bytes frei, FAT16",
                         "3A5F-1C2B (/media/anna/3A5F-1C2B/) – 64,0 GB, 1,2 KB frei, exFAT",
                         "Daten (/media/anna/Platte/) – NTFS", // a size nobody could tell
                     }));
    fs::remove(tree.root / "proc/self/mountinfo");
    EXPECT_FALSE(source.volumeInfo("/media/anna/KARTE/"));
}

} // namespace
} // namespace tonarion
