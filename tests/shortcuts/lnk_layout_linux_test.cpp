// Shell links whose parts reach past the end of the file never reach liblnk,
// which would first allocate what they declare (gigabytes for a few hundred
// bytes); real links made by Wine's shell still read.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shortcuts/lnk_file.h"
#include "shortcuts/lnk_layout.h"
#include "support/temp_dir.h"

namespace vostrel {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

const std::string kSample =
    std::string(VOSTREL_SOURCE_DIR) + "/examples/sample-machine/drive_c/users/Public/Desktop/";
const std::string kCrafted =
    std::string(VOSTREL_SOURCE_DIR) + "/fuzz/corpus/lnk_file/crafted-244.lnk";

TEST(LnkLayout, WineMadeLinksFitAndStillRead) {
    for (const char* name : {"Notepad.lnk", "PhotoEdit.lnk", "PhotoEdit Readme.lnk"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(LnkSizesFit(Bytes(kSample + name)));
        const auto lnk = ReadLnkFile(kSample + name);
        ASSERT_TRUE(lnk);
        EXPECT_FALSE(lnk->localPath.empty() && lnk->itemList.empty());
    }
}

TEST(LnkLayout, PartsReachingPastTheEndAreRefusedBeforeLiblnk) {
    testing::TempDir dir;
    const auto good = Bytes(kSample + "Notepad.lnk");
    ASSERT_GT(good.size(), 0x50u);
    // The reported 244-byte file that made liblnk ask for gigabytes.
    EXPECT_FALSE(LnkSizesFit(Bytes(kCrafted)));
    EXPECT_FALSE(ReadLnkFile(kCrafted));
    // Cut short, and with a huge item list or link information size.
    std::vector<std::vector<std::uint8_t>> bad;
    bad.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
    bad.emplace_back(good.begin(), good.begin() + 0x40);
    auto longList = good;
    longList[0x4C] = 0xFF;
    longList[0x4D] = 0xFF;
    bad.push_back(longList);
    const std::size_t linkInfo = 0x4E + (good[0x4C] | (good[0x4D] << 8));
    auto hugeInfo = good;
    for (int i = 0; i < 4; ++i) hugeInfo[linkInfo + i] = i == 3 ? 0x7F : 0xFF;
    bad.push_back(hugeInfo);
    for (std::size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(LnkSizesFit(bad[i]));
        const std::string path = dir / ("bad" + std::to_string(i) + ".lnk");
        Write(path, bad[i]);
        EXPECT_FALSE(ReadLnkFile(path));
    }
}

TEST(LnkLayout, OnlySmallRegularFilesAreRead) {
    testing::TempDir dir;
    const std::string fifo = dir / "pipe.lnk";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadSmallRegularFile(fifo, 1 << 20));  // returns at once
    EXPECT_FALSE(ReadLnkFile(fifo));
    EXPECT_FALSE(ReadSmallRegularFile(dir.path(), 1 << 20));
    Write(dir / "big.lnk", std::vector<std::uint8_t>(100, 1));
    EXPECT_FALSE(ReadSmallRegularFile(dir / "big.lnk", 99));
    const auto read = ReadSmallRegularFile(dir / "big.lnk", 100);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), 100u);
}

}  // namespace
}  // namespace vostrel
