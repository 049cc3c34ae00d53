// One program per user: a second start reaches the first through the
// user's socket and brings its window forward; a socket a crashed program
// left behind does not keep the next one from starting.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <cstring>
#include <filesystem>

#include "gui_fixture.h"
#include "shell/main_window.h"
#include "shell/single_instance.h"

namespace vostrel::shell::testing {
namespace {

class SingleInstanceTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        std::filesystem::create_directories(home_ / "runtime");
        runtime_ =
            std::make_unique<vostrel::testing::ScopedEnv>("XDG_RUNTIME_DIR", home_ / "runtime");
    }
    void TearDown() override {
        runtime_.reset();
        GuiTest::TearDown();
    }
    // A socket bound at `path` by a program that then ended without
    // closing it: the file stays, no one listens.
    static void LeaveStaleSocket(const QString& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = path.toLocal8Bit();
        ASSERT_LT(static_cast<std::size_t>(name.size()), sizeof address.sun_path);
        std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        ASSERT_TRUE(std::filesystem::exists(name.toStdString()));
    }
    std::unique_ptr<vostrel::testing::ScopedEnv> runtime_;
};

TEST_F(SingleInstanceTest, TheSocketIsTheUsersOwn) {
    EXPECT_EQ(SingleInstance::ServerName(),
              QDir(QString::fromStdString(home_ / "runtime")).filePath("vostrel.sock"));
    // Without a runtime folder: in the temporary folder, named with the user's id.
    vostrel::testing::ScopedEnv none("XDG_RUNTIME_DIR", home_ / "no-such-folder");
    EXPECT_EQ(SingleInstance::ServerName(),
              QDir(QDir::tempPath()).filePath(QStringLiteral("vostrel-%1").arg(::getuid())));
}

TEST_F(SingleInstanceTest, ASecondStartBringsTheFirstForwardAndTakesNothing) {
    SingleInstance first;
    EXPECT_FALSE(first.AskRunning(200));  // nothing runs yet
    ASSERT_TRUE(first.Listen());
    int raised = 0;
    QObject::connect(&first, &SingleInstance::raiseRequested, [&raised] { ++raised; });

    SingleInstance second;
    EXPECT_TRUE(second.AskRunning());
    Pump(100);
    EXPECT_EQ(raised, 1);
    // The name is the first one's: the second cannot listen in its place.
    EXPECT_FALSE(second.Listen());
    EXPECT_TRUE(first.listening());
    Pump(100);
    EXPECT_GE(raised, 1);
    SingleInstance third;
    EXPECT_TRUE(third.AskRunning());
}

TEST_F(SingleInstanceTest, AStaleSocketFromACrashDoesNotBlockTheNextStart) {
    LeaveStaleSocket(SingleInstance::ServerName());
    SingleInstance next;
    EXPECT_FALSE(next.AskRunning(200));
    ASSERT_TRUE(next.Listen());
    int raised = 0;
    QObject::connect(&next, &SingleInstance::raiseRequested, [&raised] { ++raised; });
    SingleInstance later;
    EXPECT_TRUE(later.AskRunning());
    Pump(100);
    EXPECT_EQ(raised, 1);
}

TEST_F(SingleInstanceTest, TheRunningWindowComesBackFromTheTrayOrMinimised) {
    MainWindow& main = Main();
    SingleInstance running;
    ASSERT_TRUE(running.Listen());
    QObject::connect(&running, &SingleInstance::raiseRequested, &main, &MainWindow::BringForward);

    main.HideToTray();
    ASSERT_FALSE(main.isVisible());
    EXPECT_TRUE(SingleInstance().AskRunning());
    Pump(100);
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(app_->tray.runningInTray());

    main.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(SingleInstance().AskRunning());
    Pump(100);
    EXPECT_FALSE(main.windowState() & Qt::WindowMinimized);
}

}  // namespace
}  // namespace vostrel::shell::testing
