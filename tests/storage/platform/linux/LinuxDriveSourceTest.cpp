#include "storage/platform/linux/LinuxDriveSource.h"

#include "storage/platform/linux/MountInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tonarion {
namespace {

namespace fs = std::filesystem;

const char* const MountInfoText =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "35 22 8:17 / /media/anna/MY\\040STICK rw,nosuid shared:40 - vfat /dev/sdb1 rw,fmask=0022\n"
    "36 22 8:33 / /media/anna/KARTE rw - vfat /dev/sdc1 rw\n"
    "37 22 8:17 /musik /srv/bind rw - vfat /dev/sdb1 rw\n"
    "38 22 0:45 / /mnt/fat rw,nosuid - fuse.fusefat fusefat rw\n"
    "39 22 8:49 / /media/anna/Tab\\011und\\134Strich rw - vfat /dev/sdd1 rw\n"
    "broken line\n"
    "40 22 x:1 / /nowhere rw - vfat /dev/x rw\n";

TEST(MountInfoTest, UsbDevicesAreRecognisedByTheirControllerInThePath) {
    EXPECT_TRUE(isUsbDevicePath("../../devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/"
                                "target6:0:0/6:0:0:0/block/sdb/sdb1"));
    EXPECT_FALSE(
        isUsbDevicePath("../../devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda/sda2"));
    EXPECT_FALSE(isUsbDevicePath("../../devices/platform/usbnotreally/block/mmcblk0"));
    EXPECT_EQ(unescapeMountField("a\\04"), "a\\04"); // a cut-off escape stays as it is
}

TEST(LinuxDriveSourceTest, ListsTheMountPointsOfUsbBlockDevicesInMountOrder) {
    const fs::path root = fs::temp_directory_path() / ("tonarion-sys-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "proc/self");
    fs::create_directories(root / "sys/dev/block");
    std::ofstream(root / "proc/self/mountinfo") << MountInfoText;
    for (const auto& [number, target] : {
             std::pair{"8:2", "../../devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda/sda2"},
             std::pair{"8:17",
                       "../../devices/pci0000:00/0000:00:14.0/usb2/2-1/host6/block/sdb/sdb1"},
             std::pair{"8:33",
                       "../../devices/pci0000:00/0000:00:14.0/usb1/1-4/host7/block/sdc/sdc1"},
             std::pair{"8:49",
                       "../../devices/pci0000:00/0000:00:14.0/usb1/1-5/host8/block/sdd/sdd1"},
         }) {
        fs::create_symlink(target, root / "sys/dev/block" / number);
    }
    LinuxDriveSource source(root.string());
    EXPECT_EQ(source.usbDriveRoots(),
              (std::vector<std::string>{"/media/anna/MY STICK/", "/media/anna/KARTE/",
                                        "/media/anna/Tab\tund\\Strich/"}));
    fs::remove(root / "proc/self/mountinfo"); // no mount table means no drive
    EXPECT_TRUE(source.usbDriveRoots().empty());
    fs::remove_all(root);
}

} // namespace
} // namespace tonarion
