// Shell item lists as Windows writes them, read back into paths.
#include <gtest/gtest.h>

#include "lnk_builder.h"
#include "shortcuts/item_list.h"
#include "shortcuts/url_file.h"

using namespace vostrel;
using namespace vostrel::testing;

namespace {

std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> items) {
    std::vector<std::uint8_t> all;
    for (const auto& item : items) all.insert(all.end(), item.begin(), item.end());
    all.push_back(0);
    all.push_back(0);
    return all;
}

}  // namespace

TEST(ItemList, LongNamesOfEveryExtensionVersion) {
    for (std::uint16_t version : {3, 7, 8, 9}) {
        const auto list =
            Join({MyComputerItem(), DriveItem("C:\\"),
                  FileEntryItem("PROGRA~1", u"Program Files", version, true),
                  FileEntryItem("MYAPPL~1.EXE", u"My Application.exe", version, false)});
        EXPECT_EQ(ItemListPath(list), "C:\\Program Files\\My Application.exe")
            << "version " << version;
    }
}

TEST(ItemList, WhatIsNotADrivePathGivesNothing) {
    EXPECT_EQ(ItemListPath({}), "");
    auto truncated = Join({MyComputerItem(), DriveItem("C:\\")});
    truncated.resize(30);
    truncated[20] = 200;  // an item longer than the list
    EXPECT_EQ(ItemListPath(truncated), "");
    auto otherRoot = MyComputerItem();
    otherRoot[4] ^= 0xFF;  // some other shell folder
    EXPECT_EQ(ItemListPath(Join({otherRoot, DriveItem("C:\\")})), "");
    EXPECT_EQ(ItemListPath(Join({DriveItem("D:\\")})), "D:\\");
}

TEST(UrlFile, AddressesAndLocalPaths) {
    EXPECT_EQ(ParseUrlFile("[InternetShortcut]\nURL=http://a/\n").value_or("?"), "http://a/");
    EXPECT_FALSE(ParseUrlFile("[Other]\nURL=http://a/\n"));
    EXPECT_FALSE(ParseUrlFile("[InternetShortcut]\nIconIndex=0\n"));
    EXPECT_EQ(LocalPathOfUrl("http://example.com/x.exe"), "");
    EXPECT_EQ(LocalPathOfUrl("file:///C:/Dir/a%20b.exe"), "C:\\Dir\\a b.exe");
    EXPECT_EQ(LocalPathOfUrl("FILE:C:\\x.txt"), "C:\\x.txt");
    EXPECT_EQ(LocalPathOfUrl("file://localhost/D:/y"), "D:\\y");
    EXPECT_EQ(LocalPathOfUrl("file://server/share/z"), "");
}
