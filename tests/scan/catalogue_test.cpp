// The section catalogue: its rows, the persisted check states and the
// select-all box.
#include <gtest/gtest.h>

#include "scan/catalogue.h"
#include "support/scan_fakes.h"

namespace vostrel {
namespace {

using testing::FakeMachine;

std::vector<std::string> Texts(const SectionChoices& list) {
    std::vector<std::string> out;
    for (const auto& row : list.rows()) out.push_back(row.text);
    return out;
}

// The rows of the registry sections: all but the menu entries row.
constexpr std::size_t kRegistryRows = kSectionRows.size() - 1;

int Box(const FakeMachine& m) { return static_cast<int>(m.session.selectAll); }

TEST(Catalogue, RowsForTheFixedDrivesOnly) {
    FakeMachine m;
    m.files.SetDrives({});
    LoadCatalogue(m.session);
    EXPECT_EQ(m.session.request.sections.Count(), kRegistryRows);
    m.files.SetDrives({{'A', DriveType::Removable},
                       {'C', DriveType::Fixed},
                       {'D', DriveType::Fixed},
                       {'E', DriveType::CdRom},
                       {'Z', DriveType::Remote}});
    LoadCatalogue(m.session);
    const auto texts = Texts(m.session.request.sections);
    ASSERT_EQ(texts.size(), kRegistryRows + 2);
    EXPECT_EQ(texts[0], "Registry Integrity");
    EXPECT_EQ(texts[10], "Configuration files");
    EXPECT_EQ(texts[11], "Shared DLLs");
    EXPECT_EQ(texts[kRegistryRows], "Window Shortcut C");
    EXPECT_EQ(texts[kRegistryRows + 1], "Window Shortcut D");
    for (std::size_t i = 1; i <= 11; ++i)
        EXPECT_EQ(m.session.request.sections.SmallIcon(i), static_cast<int>(i));
    EXPECT_EQ(m.session.request.sections.SmallIcon(kRegistryRows + 1), 12);
}

TEST(Catalogue, CheckStatesComeFromTheSettings) {
    FakeMachine m;
    m.settings.Save("Help Files", "False");
    m.settings.Save("Windows Fonts", "false");
    m.settings.Save("Shared Files", "0");
    m.settings.Save("Virtual Devices", "maybe");
    m.settings.Save("Window Shortcut C", "-1");
    LoadCatalogue(m.session);
    const auto& list = m.session.request.sections;
    for (std::size_t i = 1; i <= list.Count(); ++i) {
        const std::string text = list.Text(i);
        const bool off = text == "Help Files" || text == "Windows Fonts" ||
                         text == "Shared Files" || text == "Virtual Devices";
        EXPECT_EQ(list.Checked(i), !off) << text;
    }
}

TEST(Catalogue, SelectAllFollowsTheRows) {
    FakeMachine m;
    LoadCatalogue(m.session);
    auto& list = m.session.request.sections;
    SyncSelectAll(m.session);
    EXPECT_EQ(Box(m), 1);
    CatalogueRowClicked(m.session, 2);
    EXPECT_EQ(Box(m), 2);
    EXPECT_EQ(m.settings.Get("chkSelectlistviewItems", ""), "1");
    EXPECT_EQ(m.settings.Get("Custom Controls", ""), "False");
    EXPECT_EQ(m.settings.Get("Registry Integrity", ""), "True");
    // Unchecking every row by hand: the last one sets the box to 0.
    for (std::size_t i = 1; i <= list.Count(); ++i)
        if (list.Checked(i)) CatalogueRowClicked(m.session, i);
    EXPECT_EQ(Box(m), 0);
    EXPECT_EQ(m.settings.Get("chkSelectlistviewItems", ""), "0");
    for (std::size_t i = 1; i <= list.Count(); ++i) EXPECT_FALSE(list.Checked(i));
}

TEST(Catalogue, SelectAllClickStoresEveryRow) {
    FakeMachine m;
    LoadCatalogue(m.session);
    SetSelectAll(m.session, SelectAll::All);  // from none: the click handling runs
    SetSelectAll(m.session, SelectAll::None);
    for (const auto& row : m.session.request.sections.rows()) {
        EXPECT_FALSE(row.checked);
        EXPECT_EQ(m.settings.Get(row.text, ""), "False") << row.text;
    }
    EXPECT_EQ(m.settings.Get("Window Shortcut C", ""), "False");
    SetSelectAll(m.session, SelectAll::All);
    for (const auto& row : m.session.request.sections.rows())
        EXPECT_EQ(m.settings.Get(row.text, ""), "True");
    // Grayed by the program (as start-up does): stored as "1", and rows unchecked.
    SetSelectAll(m.session, SelectAll::Mixed);
    EXPECT_EQ(m.settings.Get("chkSelectlistviewItems", ""), "1");
    EXPECT_FALSE(m.session.request.sections.Checked(1));
}

// A host drive (z: mapped to "/") is walked only when its own row is
// ticked: select-all, either way, leaves its row as it is, and the box
// follows the machine's own rows alone.
TEST(Catalogue, SelectAllLeavesHostDrivesAsTheyAre) {
    FakeMachine m;
    m.files.SetDrives({{'C', DriveType::Fixed}, {'Z', DriveType::Fixed}});
    m.files.SetHostDrive('Z', "/");
    LoadCatalogue(m.session);
    auto& list = m.session.request.sections;
    ASSERT_EQ(list.Text(list.Count()), "Window Shortcut Z");
    const std::size_t z = list.Count(), c = z - 1;
    EXPECT_FALSE(list.Checked(z));
    EXPECT_TRUE(list.Checked(c));
    EXPECT_EQ(HostFolderOfCatalogueRow(m.session, list.Text(z)), "/");
    EXPECT_EQ(HostFolderOfCatalogueRow(m.session, list.Text(c)), std::nullopt);

    // Every own row ticked, the host's not: the box shows all.
    SyncSelectAll(m.session);
    EXPECT_EQ(m.session.selectAll, SelectAll::All);
    SetSelectAll(m.session, SelectAll::None);
    SetSelectAll(m.session, SelectAll::All);
    EXPECT_FALSE(list.Checked(z));
    EXPECT_TRUE(list.Checked(c));
    EXPECT_EQ(m.settings.Get("Window Shortcut Z", "<none>"), "<none>");
    EXPECT_EQ(m.settings.Get("Window Shortcut C", ""), "True");

    // Ticked on purpose, it stays ticked through select-all off and on.
    CatalogueRowClicked(m.session, z);
    EXPECT_TRUE(list.Checked(z));
    EXPECT_EQ(m.settings.Get("Window Shortcut Z", ""), "True");
    EXPECT_EQ(m.session.selectAll, SelectAll::All);
    SetSelectAll(m.session, SelectAll::None);
    EXPECT_TRUE(list.Checked(z));
    EXPECT_FALSE(list.Checked(c));
    EXPECT_EQ(m.settings.Get("Window Shortcut Z", ""), "True");
    // Only the host's row ticked: the box stands for none of its rows.
    SyncSelectAll(m.session);
    EXPECT_EQ(m.session.selectAll, SelectAll::None);
    // One own row ticked by hand: mixed, whatever the host's row says.
    CatalogueRowClicked(m.session, 1);
    EXPECT_EQ(m.session.selectAll, SelectAll::Mixed);
    CatalogueRowClicked(m.session, z);
    EXPECT_EQ(m.session.selectAll, SelectAll::Mixed);
    EXPECT_FALSE(list.Checked(z));

    // And after a reload, from the settings.
    LoadCatalogue(m.session);
    EXPECT_FALSE(list.Checked(z));
    EXPECT_TRUE(list.Checked(1));
}

TEST(Catalogue, EmptyListClearsTheBox) {
    FakeMachine m;
    m.session.selectAll = SelectAll::All;
    SyncSelectAll(m.session);
    EXPECT_EQ(Box(m), 0);
    EXPECT_FALSE(m.session.syncingSelectAll);
}

TEST(Catalogue, DriveOfARow) {
    EXPECT_EQ(DriveOfCatalogueRow("Window Shortcut C"), "C:\\");
    EXPECT_EQ(DriveOfCatalogueRow("  window shortcut d "), "D:\\");
    EXPECT_EQ(DriveOfCatalogueRow("Windows Startup"), std::nullopt);
}

}  // namespace
}  // namespace vostrel
