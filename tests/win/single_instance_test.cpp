// A second copy finds the first through the lock in the working folder, asks it to come to the
// front and ends with -1; the first restores its minimised main window and activates it.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "win/compositor.h"
#include "win/single_instance.h"
#include "win_test_support.h"

namespace {

using namespace win;
using wintest::HeadlessTest;

// What the program's entry does when it finds a running copy.
int SecondCopy(const std::string& folder) {
    detail::ResetWindowSystem();  // the forked copy must not see the first copy's windows
    if (ClaimSingleInstance(folder) != InstanceRole::Second) return 1;
    HWND found = FindWindow("TestWindow", "");
    if (!found) return 2;
    HWND popup = GetLastActivePopup(found);
    BringWindowToTop(found);
    if (IsIconic(popup))
        ShowWindow(popup, SW_RESTORE);
    else
        SetForegroundWindow(popup);
    return -1;
}

TEST_F(HeadlessTest, SecondCopyBringsTheFirstToTheFrontAndEndsWithMinusOne) {
    char tmpl[] = "/tmp/zephlon-instance-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string folder = tmpl;
    ASSERT_EQ(ClaimSingleInstance(folder), InstanceRole::First);
    HWND main = MakeWindow(true);
    SetDisplayWindow(main);
    ShowWindow(main, SW_MINIMIZE);
    Pump();
    ASSERT_TRUE(IsIconic(main));
    const int servedBefore = FrontRequestsServed();

    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(SecondCopy(folder) & 0xFF);

    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 500 && done == 0; ++i) {
        Pump();  // the first copy answers from its message loop
        done = waitpid(child, &status, WNOHANG);
        if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (done == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the second copy did not end";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 255);  // -1
    EXPECT_GT(FrontRequestsServed(), servedBefore);
    EXPECT_FALSE(IsIconic(main));
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_GE(machine.Screen().Raises(), 1);

    ReleaseSingleInstance();
    // With the first copy gone the folder is free again.
    EXPECT_EQ(ClaimSingleInstance(folder), InstanceRole::First);
    ReleaseSingleInstance();
    std::filesystem::remove_all(folder);
}

}  // namespace
