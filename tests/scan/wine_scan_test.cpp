// A full scan of a real Wine prefix: a fresh `wineboot -i` prefix with
// planted entries made by Wine's own `reg add` must yield exactly the planted
// problems (listed in support/wine_e2e_rows.cpp), and nothing of what the
// Wine that made the prefix supplies itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/scan_driver.h"
#include "scan/catalogue.h"
#include "scan/section_table.h"
#include "support/scan_fakes.h"
#include "support/wine_e2e_rows.h"
#include "support/wine_prefix_fixture.h"
#include "system/machine.h"
#include "system/wine/wine_install.h"

namespace vostrel {
namespace {

using testing::ExpectedWineRows;
using testing::PlantProblems;
using testing::Rows;

class WineScan : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!testing::WineAvailable()) return;
        PlantProblems(testing::SharedWinePrefix());
    }
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    }
};

TEST_F(WineScan, FindsExactlyThePlantedProblems) {
    MachineResult opened = OpenWinePrefix(testing::SharedWinePrefix());
    ASSERT_TRUE(opened.machine) << opened.error;
    testing::MemorySettings settings;
    testing::RecordingObserver observer;
    ScanSession session(*opened.machine->registry, *opened.machine->files, settings, observer);
    const auto wine = FindSystemWineInstall();
    ASSERT_TRUE(wine) << "the Wine that made the prefix is not found";
    WineInstall install(*wine);
    session.wine = &install;
    for (const auto& row : kSectionRows) settings.Save(row.text, "True");
    LoadCatalogue(session);
    for (std::size_t i = 12; i <= session.request.sections.Count(); ++i)
        session.request.sections.SetChecked(i, false);
    RunScan(session);
    EXPECT_EQ(Rows(session.result.problems), ExpectedWineRows());
    EXPECT_FALSE(session.cancelRequested);
    EXPECT_EQ(observer.found, session.result.problems.Of<RegistryProblem>().size());
}

}  // namespace
}  // namespace vostrel
