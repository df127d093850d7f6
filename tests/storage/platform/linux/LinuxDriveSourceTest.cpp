#include "storage/platform/linux/LinuxDriveSource.h"

#include "storage/platform/linux/MountInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

TEST(MountInfoTest, ReadsTheFieldsAndResolvesOctalEscapes) {
    const auto mounts = parseMountInfo(MountInfoText);
    ASSERT_EQ(mounts.size(), 6u);
    EXPECT_EQ(mounts[1].major, 8u);
    EXPECT_EQ(mounts[1].minor, 17u);
    EXPECT_EQ(mounts[1].mountPoint, "/media/anna/MY STICK");
    EXPECT_EQ(mounts[1].fileSystem, "vfat");
    EXPECT_EQ(mounts[1].source, "/dev/sdb1");
    EXPECT_EQ(mounts[3].root, "/musik");
    EXPECT_EQ(mounts[5].mountPoint, "/media/anna/Tab\tund\\Strich");
    EXPECT_EQ(unescapeMountField("a\\04"), "a\\04"); // cut off: left as it is
}

TEST(MountInfoTest, UsbDevicesAreRecognisedByTheirControllerInThePath) {
    EXPECT_TRUE(isUsbDevicePath("../../devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/"
                                "target6:0:0/6:0:0:0/block/sdb/sdb1"));
    EXPECT_FALSE(isUsbDevicePath("../../devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/"
                                 "0:0:0:0/block/sda/sda2"));
    EXPECT_FALSE(isUsbDevicePath("../../devices/platform/usbnotreally/block/mmcblk0"));
}

class LinuxDriveSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root =
            fs::temp_directory_path() /
            ("tonarion-sys-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::create_directories(m_root / "proc/self");
        fs::create_directories(m_root / "sys/dev/block");
        std::ofstream(m_root / "proc/self/mountinfo") << MountInfoText;
        device("8:2", "../../devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda/sda2");
        device("8:17", "../../devices/pci0000:00/0000:00:14.0/usb2/2-1/host6/block/sdb/sdb1");
        device("8:33", "../../devices/pci0000:00/0000:00:14.0/usb1/1-4/host7/block/sdc/sdc1");
    }
    void TearDown() override { fs::remove_all(m_root); }

    void device(const std::string& number, const std::string& target) {
        fs::create_symlink(target, m_root / "sys/dev/block" / number);
    }

    fs::path m_root;
};

TEST_F(LinuxDriveSourceTest, ListsTheMountPointsOfUsbBlockDevicesInMountOrder) {
    LinuxDriveSource source(m_root.string());
    EXPECT_EQ(source.usbDriveRoots(),
              (std::vector<std::string>{"/media/anna/MY STICK/", "/media/anna/KARTE/"}));
}

TEST_F(LinuxDriveSourceTest, NoMountTableMeansNoDrive) {
    fs::remove(m_root / "proc/self/mountinfo");
    EXPECT_TRUE(LinuxDriveSource(m_root.string()).usbDriveRoots().empty());
}

} // namespace
} // namespace tonarion
