#include "storage/platform/DriveStrings.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

namespace tonarion {
namespace {

using namespace std::string_literals;
using Roots = std::vector<std::u16string>;

// The 240-character buffer as GetLogicalDriveStrings leaves it: the roots, then zeros.
std::u16string driveBuffer(const std::u16string& stored) {
    std::u16string buffer = stored;
    buffer.resize(DriveStringsLength, u'\0');
    return buffer;
}

// A zeroed answer buffer whose bytes 28 to 31 are the given ones.
std::array<unsigned char, DeviceAnswerSize> answerWithBusBytes(std::array<unsigned char, 4> bus) {
    std::array<unsigned char, DeviceAnswerSize> answer{};
    answer[0] = 1;    // Version
    answer[4] = 0x28; // Size
    for (std::size_t i = 0; i < bus.size(); ++i) {
        answer[28 + i] = bus[i];
    }
    answer[32] = 0xFF; // RawPropertiesLength, right after BusType
    return answer;
}

TEST(DriveStringsTest, SplitsTheBufferIntoRootsAndStopsAtTheStoredCount) {
    const struct {
        const char* what;
        std::u16string stored;
        std::size_t count;
        Roots roots;
    } cases[] = {
        {"three drives", u"C:\\\0D:\\\0E:\\\0"s, 12, {u"C:\\", u"D:\\", u"E:\\"}},
        {"one drive", u"C:\\\0"s, 4, {u"C:\\"}},
        {"no drive", u""s, 0, {}},
        {"a count short of the last NUL", u"C:\\\0E:\\\0"s, 7, {u"C:\\"}},
        {"a count beyond the buffer: it did not fit", u"C:\\\0"s, DriveStringsLength + 1, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(driveRootsOf(driveBuffer(c.stored), c.count), c.roots) << c.what;
    }
}

TEST(DriveStringsTest, TheDeviceOfARootIsItsLetterBehindTheDevicePrefix) {
    EXPECT_EQ(deviceNameOf(u"E:\\"), u"\\\\.\\E:");
    EXPECT_EQ(deviceNameOf(u"c:\\"), u"\\\\.\\c:");
}

TEST(DriveStringsTest, BusTypeIsTheLittleEndianWordAtOffset28) {
    const struct {
        const char* what;
        std::array<unsigned char, 4> bytes;
        std::uint32_t busType;
    } cases[] = {
        {"USB", {7, 0, 0, 0}, 7},
        {"SATA", {11, 0, 0, 0}, 11},
        {"NVMe", {17, 0, 0, 0}, 17},
        {"all four bytes count", {7, 1, 0, 0}, 0x107},
        {"little-endian", {0, 0, 0, 7}, 0x07000000},
    };
    for (const auto& c : cases) {
        const DriveInfo info = driveInfoOf(true, answerWithBusBytes(c.bytes));
        EXPECT_TRUE(info.Valid) << c.what;
        EXPECT_EQ(info.BusType, c.busType) << c.what;
    }
}

TEST(DriveStringsTest, ARefusedQueryIsInvalidWhateverTheBufferHolds) {
    const DriveInfo info = driveInfoOf(false, answerWithBusBytes({7, 0, 0, 0}));
    EXPECT_FALSE(info.Valid);
    EXPECT_EQ(info.BusType, 0u);
    EXPECT_EQ(driveInfoOf(true, std::array<unsigned char, 30>{}).BusType, 0u) << "cut short";
}

TEST(DriveStringsTest, OnlyDrivesThatAnswerWithTheUsbBusAreKeptInDriveOrder) {
    const DriveInfo usb{true, BusTypeUsb};
    const DriveInfo ata{true, 3};
    const DriveInfo sata{true, 11};
    const DriveInfo refused{false, BusTypeUsb};
    const struct {
        const char* what;
        std::map<std::u16string, DriveInfo> drives;
        std::u16string listed;
        Roots usbRoots;
    } cases[] = {
        {"a fixed disk and a stick", {{u"C:\\", ata}, {u"E:\\", usb}}, u"C:\\\0E:\\\0"s, {u"E:\\"}},
        {"the first drive is a stick",
         {{u"A:\\", usb}, {u"C:\\", sata}},
         u"A:\\\0C:\\\0"s,
         {u"A:\\"}},
        {"two sticks",
         {{u"C:\\", sata}, {u"E:\\", usb}, {u"F:\\", usb}},
         u"C:\\\0E:\\\0F:\\\0"s,
         {u"E:\\", u"F:\\"}},
        {"drives that refuse the query",
         {{u"C:\\", refused}, {u"D:\\", refused}, {u"G:\\", usb}},
         u"C:\\\0D:\\\0G:\\\0"s,
         {u"G:\\"}},
        {"fixed disks and a CD drive",
         {{u"C:\\", sata}, {u"D:\\", {true, 5}}},
         u"C:\\\0D:\\\0"s,
         {}},
    };
    for (const auto& c : cases) {
        Roots asked;
        const auto query = [&](const std::u16string& root) {
            asked.push_back(root);
            const auto drive = c.drives.find(root);
            return drive == c.drives.end() ? DriveInfo{} : drive->second;
        };
        const Roots listed = driveRootsOf(driveBuffer(c.listed), c.listed.size());
        EXPECT_EQ(usbRootsAmong(listed, query), c.usbRoots) << c.what;
        EXPECT_EQ(asked, listed) << c.what << ": every drive is asked once, in order";
    }
}

} // namespace
} // namespace tonarion
