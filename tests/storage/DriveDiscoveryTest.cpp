#include "storage/DriveDiscovery.h"

#include "support/FakeDrives.h"
#include "support/RecordingUserInterface.h"

#include <gtest/gtest.h>

namespace tonarion {
namespace {

constexpr std::uintmax_t KiB = 1024;
constexpr std::uintmax_t MiB = KiB * 1024;
constexpr std::uintmax_t GiB = MiB * 1024;

TEST(DriveDiscoveryTest, SizesReadAsExplorerShowsThemWithADecimalComma) {
    const std::pair<std::uintmax_t, const char*> cases[] = {
        {0, "0 Bytes"},
        {1023, "1023 Bytes"},
        {1024, "1,0 KB"},
        {1536, "1,5 KB"},
        {4'000'000'000, "3,7 GB"},
        {GiB * 38 / 10 + MiB, "3,8 GB"},
        {GiB * 3 + GiB / 20 + 1, "3,1 GB"}, // 3,05 rounds up
        {GiB * 99 + GiB * 96 / 100, "100 GB"},
        {GiB * 117 + GiB / 5, "117 GB"},
        {MiB * 1024 - 1, "1,0 GB"}, // would be 1024 MB
        {GiB * 1024 * 2, "2,0 TB"},
        {GiB * 1024 * 5000, "5000 TB"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(byteSizeText(bytes), text) << bytes;
    }
}

TEST(DriveDiscoveryTest, ADriveIsNamedByLabelRootSizesAndFileSystem) {
    const auto known = [](VolumeInfo volume) {
        return FileValue<VolumeInfo>("E:\\", volume);
    };
    const FileValue<VolumeInfo> unknown("E:\\", std::make_error_code(std::errc::io_error));
    const std::tuple<std::string, FileValue<VolumeInfo>, std::string> cases[] = {
        {"E:\\", known({"SOUNDS", "FAT32", GiB * 38 / 10, GiB * 31 / 10}),
         "SOUNDS (E:\\) – 3,8 GB, 3,1 GB frei, FAT32"},
        {"E:\\", known({"", "FAT16", 2 * GiB, 0}),
         "USB-Laufwerk (E:\\) – 2,0 GB, 0 Bytes frei, FAT16"},
        {"E:\\", known({"SOUNDS", "", 0, 0}), "SOUNDS – E:\\"}, // a label alone
        {"/media/anna/3A5F-1C2B/", known({"", "exFAT", 0, 0}),
         "3A5F-1C2B (/media/anna/3A5F-1C2B/) – exFAT"},
        // What the system cannot tell leaves the drive as it was listed before.
        {"E:\\", unknown, "USB-Laufwerk E:\\"},
        {"/media/anna/KARTE/", unknown, "KARTE – /media/anna/KARTE/"},
        {"/", unknown, "USB-Laufwerk /"},
    };
    for (const auto& [root, volume, text] : cases) {
        const DriveDescription drive = describeDrive(root, volume);
        EXPECT_EQ(driveText(drive, root), text);
        EXPECT_EQ(driveText(drive, "…"),
                  driveText(drive, root).replace(text.find(root), root.size(), "…"));
    }
}

TEST(DriveDiscoveryTest, ListingAgainSaysNothingWhenTheDrivesAreGone) {
    testing::FakeDrives drives;
    testing::RecordingUserInterface ui;
    EXPECT_TRUE(listUsbDrives(drives).empty());
    EXPECT_FALSE(FindUsbDrives(drives, ui));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{NoUsbDriveMessage});
    drives.roots = {"E:\\", "G:\\"};
    EXPECT_EQ(listUsbDrives(drives), (DriveList{"USB-Laufwerk E:\\", "USB-Laufwerk G:\\"}));
}

} // namespace
} // namespace tonarion
