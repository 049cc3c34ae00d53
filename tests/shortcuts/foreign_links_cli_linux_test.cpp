// Links made elsewhere in a real Wine prefix, through vostrel-cli as a user
// runs it: a link the link library cannot read through never stops a scan
// or a repair, and a Russian link is read in the code page Wine was given.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "lnk_builder.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

constexpr const char* kSection = "Window Shortcut C";

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The location block's paths both start at its end (liblnk: 0 + 0 - 1).
std::vector<std::uint8_t> EmptyLocationLink() {
    auto block = BuildLinkInfo(LinkInfo{});
    const std::size_t end = block.size();
    for (std::size_t at : {std::size_t{16}, std::size_t{24}})
        for (int i = 0; i < 4; ++i) block[at + i] = static_cast<std::uint8_t>(end >> (8 * i));
    LnkParts parts;
    parts.linkInfo = block;
    return BuildLnk(parts);
}

std::vector<std::uint8_t> LocalLink(const std::string& ansiPath) {
    LinkInfo info;
    info.localBase = ansiPath;
    LnkParts parts;
    parts.linkInfo = BuildLinkInfo(info);
    return BuildLnk(parts);
}

class ForeignLinksCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!WineAvailable()) GTEST_SKIP() << "wine is not installed";
        prefix_ = work_ / "prefix";
        CopyTemplatePrefix(prefix_);
        // z: is the host's root in a new prefix: the walk stays inside the prefix.
        fs::remove(prefix_ + "/dosdevices/z:");
        drive_ = fs::path(prefix_) / "drive_c";
    }
    CliRun Cli(const std::vector<std::string>& args) { return RunCliPrivately(work_.path(), args); }
    nlohmann::json Scan() {
        const CliRun run = Cli({"scan", "--prefix", prefix_, "--sections", kSection, "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }
    std::vector<std::string> Shortcuts(const nlohmann::json& scan) {
        std::vector<std::string> paths;
        for (const auto& row : scan.at("shortcuts")) paths.push_back(row.at("path"));
        return paths;
    }
    TempDir work_;
    std::string prefix_;
    fs::path drive_;
};

TEST_F(ForeignLinksCli, AnEmptyLocationBlockNeverStopsAScanOrARepair) {
    WriteBytes(drive_ / "crafted/empty.lnk", EmptyLocationLink());
    WriteBytes(drive_ / "crafted/gone.lnk", LocalLink("C:\\crafted\\gone.exe"));

    const auto scan = Scan();
    EXPECT_EQ(Shortcuts(scan), std::vector<std::string>{"C:\\crafted\\gone.lnk"});
    EXPECT_EQ(scan.at("unreadableShortcuts"), nlohmann::json::array({"C:\\crafted\\empty.lnk"}));

    const CliRun dry = Cli({"repair", "--prefix", prefix_, "--sections", kSection, "--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.out.find("gone.lnk"), std::string::npos) << dry.out;
    EXPECT_TRUE(fs::exists(drive_ / "crafted/gone.lnk"));

    const CliRun repair = Cli({"repair", "--prefix", prefix_, "--sections", kSection, "--yes",
                               "--backup-dir", work_ / "backups"});
    EXPECT_EQ(repair.status, 0) << repair.err;
    EXPECT_FALSE(fs::exists(drive_ / "crafted/gone.lnk"));
    EXPECT_TRUE(fs::exists(drive_ / "crafted/empty.lnk"));  // never judged, never removed
}

TEST_F(ForeignLinksCli, ARussianLinkIsReadInTheCodePageWineWasGiven) {
    ASSERT_EQ(RunWine(prefix_,
                      {"reg", "add", "HKLM\\System\\CurrentControlSet\\Control\\Nls\\CodePage",
                       "/v", "ACP", "/d", "1251", "/f"}),
              0);
    WaitForWineserver(prefix_);
    std::ofstream(drive_ / "Дима.txt") << "here";
    // "C:\Дима.txt" and "C:\Дима-нет.txt" as a Russian Windows stores them.
    WriteBytes(drive_ / "ru/there.lnk", LocalLink("C:\\\xC4\xE8\xEC\xE0.txt"));
    WriteBytes(drive_ / "ru/gone.lnk", LocalLink("C:\\\xC4\xE8\xEC\xE0-\xED\xE5\xF2.txt"));
    const auto scan = Scan();
    EXPECT_EQ(Shortcuts(scan), std::vector<std::string>{"C:\\ru\\gone.lnk"});
    ASSERT_EQ(scan.at("shortcuts").size(), 1u);
    EXPECT_EQ(scan.at("shortcuts")[0].at("target"), "C:\\Дима-нет.txt");
}

TEST_F(ForeignLinksCli, ANetworkShareIsCountedAsNotChecked) {
    // z: leads to a folder of the test's own, without the share's file.
    fs::create_directories(work_ / "zroot");
    fs::create_directory_symlink(work_ / "zroot", prefix_ + "/dosdevices/z:");
    LinkInfo share;
    share.localBase = "Z:\\report.doc";
    share.netName = "\\\\server\\docs";
    share.deviceName = "Z:";
    LnkParts parts;
    parts.linkInfo = BuildLinkInfo(share);
    WriteBytes(drive_ / "net/report.lnk", BuildLnk(parts));
    const auto scan = Scan();
    EXPECT_TRUE(scan.at("shortcuts").empty());
    EXPECT_EQ(scan.at("notChecked").at("byReason").at("network"), 1);
}

// A per-machine package of one file and one feature, without shortcuts
// (Wine's installer writes an advertised shortcut as an ordinary link, so
// the test writes the advertised link itself).
constexpr const char* kProduct = "{3F2504E0-4F89-11D3-9A0C-0305E82C3301}";
constexpr const char* kPackage = R"(<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{3F2504E0-4F89-11D3-9A0C-0305E82C3301}" Name="Vostrel Test Tool" Language="1033"
           Version="1.0.0" Manufacturer="Vostrel Tests"
           UpgradeCode="{3F2504E0-4F89-11D3-9A0C-0305E82C3302}">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine" />
    <Media Id="1" Cabinet="tool.cab" EmbedCab="yes" />
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="VostrelTool">
          <Component Id="ToolComponent" Guid="{3F2504E0-4F89-11D3-9A0C-0305E82C3303}">
            <File Id="ToolExe" Name="tool.exe" Source="tool.exe" KeyPath="yes" />
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="ToolComponent" /></Feature>
  </Product>
</Wix>
)";

TEST_F(ForeignLinksCli, AnAdvertisedLinkFollowsItsProductsRegistration) {
    if (std::system("command -v wixl >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "wixl (msitools) is not installed";
    const fs::path package = work_ / "package";
    fs::create_directories(package);
    std::ofstream(package / "tool.exe") << "MZ";
    std::ofstream(package / "tool.wxs") << kPackage;
    ASSERT_EQ(std::system(("cd " + ShellQuote(package) + " && wixl -o tool.msi tool.wxs").c_str()),
              0);
    fs::create_directory_symlink(package, prefix_ + "/dosdevices/y:");
    ASSERT_EQ(RunWine(prefix_, {"msiexec", "/i", "Y:\\tool.msi", "/qn"}), 0);
    WaitForWineserver(prefix_);

    LnkParts parts;
    parts.moreFlags = 0x1000;  // has a Darwin id
    parts.extraData = DarwinBlock(EncodeInstallerDescriptor(kProduct, "Main"));
    WriteBytes(drive_ / "adv/tool.lnk", BuildLnk(parts));
    auto scan = Scan();
    EXPECT_TRUE(scan.at("shortcuts").empty());
    EXPECT_EQ(scan.at("notChecked").at("byReason").at("advertised"), 0);

    ASSERT_EQ(RunWine(prefix_, {"msiexec", "/x", kProduct, "/qn"}), 0);
    WaitForWineserver(prefix_);
    scan = Scan();
    EXPECT_EQ(Shortcuts(scan), std::vector<std::string>{"C:\\adv\\tool.lnk"});
    ASSERT_EQ(scan.at("shortcuts").size(), 1u);
    EXPECT_EQ(scan.at("shortcuts")[0].at("target"), kProduct);
    const CliRun repair = Cli({"repair", "--prefix", prefix_, "--sections", kSection, "--yes",
                               "--backup-dir", work_ / "backups"});
    EXPECT_EQ(repair.status, 0) << repair.err;
    EXPECT_FALSE(fs::exists(drive_ / "adv/tool.lnk"));
}

}  // namespace
