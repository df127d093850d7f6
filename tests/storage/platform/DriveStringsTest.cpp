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

TEST(DriveStringsTest, SplitsTheBufferIntoRootsAndStopsAtTheStoredCount) {
    const std::tuple<std::u16string, std::size_t, Roots> cases[] = {
        {u"C:\\\0D:\\\0E:\\\0"s, 12, {u"C:\\", u"D:\\", u"E:\\"}},
        {u""s, 0, {}},
        {u"C:\\\0E:\\\0"s, 7, {u"C:\\"}},         // a count short of the last NUL
        {u"C:\\\0"s, DriveStringsLength + 1, {}}, // a count beyond the buffer: it did not fit
    };
    for (const auto& [stored, count, roots] : cases) {
        EXPECT_EQ(driveRootsOf(driveBuffer(stored), count), roots) << count;
    }
    EXPECT_EQ(deviceNameOf(u"E:\\"), u"\\\\.\\E:");
    EXPECT_EQ(volumeFileSystemName("FAT"), "FAT16");
    EXPECT_EQ(volumeFileSystemName("FAT32"), "FAT32");
    EXPECT_EQ(volumeFileSystemName("exFAT"), "exFAT");
}

TEST(DriveStringsTest, BusTypeIsTheLittleEndianWordAtOffset28OfAnAnsweredQuery) {
    const std::pair<std::array<unsigned char, 4>, std::uint32_t> cases[] = {
        {{7, 0, 0, 0}, BusTypeUsb}, {{7, 1, 0, 0}, 0x107}, {{0, 0, 0, 7}, 0x07000000}};
    for (const auto& [bus, busType] : cases) {
        // A descriptor with Version, Size and RawPropertiesLength around BusType.
        std::array<unsigned char, DeviceAnswerSize> answer{};
        answer[0] = 1, answer[4] = 0x28, answer[32] = 0xFF;
        std::copy(bus.begin(), bus.end(), answer.begin() + 28);
        EXPECT_TRUE(driveInfoOf(true, answer).Valid);
        EXPECT_EQ(driveInfoOf(true, answer).BusType, busType);
        EXPECT_FALSE(driveInfoOf(false, answer).Valid) << "a refused query";
    }
    EXPECT_EQ(driveInfoOf(true, std::array<unsigned char, 30>{}).BusType, 0u) << "cut short";
}

TEST(DriveStringsTest, OnlyDrivesThatAnswerWithTheUsbBusAreKeptInDriveOrder) {
    const DriveInfo usb{true, BusTypeUsb};
    const DriveInfo sata{true, 11};
    const std::pair<std::map<std::u16string, DriveInfo>, Roots> cases[] = {
        {{{u"A:\\", usb}, {u"C:\\", sata}}, {u"A:\\"}}, // the first drive is a stick
        {{{u"C:\\", sata}, {u"E:\\", usb}, {u"F:\\", usb}}, {u"E:\\", u"F:\\"}},
        // A drive that refuses the query, a CD drive and a stick.
        {{{u"C:\\", {false, BusTypeUsb}}, {u"D:\\", {true, 5}}, {u"G:\\", usb}}, {u"G:\\"}},
    };
    for (const auto& [drives, usbRoots] : cases) {
        Roots listed;
        for (const auto& [root, info] : drives) {
            listed.push_back(root);
        }
        Roots asked;
        const auto query = [&, &drives = drives](const std::u16string& root) {
            asked.push_back(root);
            return drives.at(root);
        };
        EXPECT_EQ(usbRootsAmong(listed, query), usbRoots);
        EXPECT_EQ(asked, listed) << "every drive is asked once, in order";
    }
}

} // namespace
} // namespace tonarion
