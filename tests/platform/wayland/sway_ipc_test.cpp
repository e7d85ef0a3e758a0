#include "platform/wayland/sway_ipc.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// A sway on a socket of the test's that refuses the first request, with a
// terminal sequence in its reason, and then goes silent: the program waits
// for it once, not for every request.
TEST(SwayIpc, RefusalIsPrintableAndASilentSwayIsWaitedForOnce) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("sway.sock").toStdString();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 8), 0);
    std::thread sway([listener] {
        const int client = ::accept(listener, nullptr, nullptr);
        char request[64];
        ::recv(client, request, sizeof request, 0);
        const char answer[] = "[{\"success\": false, \"error\": \"\\u001b]0;x\\u0007\"}]";
        char header[14] = {'i', '3', '-', 'i', 'p', 'c'};
        const std::uint32_t length = sizeof answer - 1;
        std::memcpy(header + 6, &length, 4);
        ::send(client, header, sizeof header, 0);
        ::send(client, answer, length, 0);
        ::close(client);
    });
    ::setenv("SWAYSOCK", path.c_str(), 1);
    EXPECT_EQ(platform::sway::RunCommand("nop"), "sway refused: \\x1B]0;x\\x07");
    sway.join();

    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(platform::sway::Ask(platform::sway::kGetTree, {}).isNull());
        EXPECT_EQ(platform::sway::Failure(), "sway gave no answer within 3 s");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    ::unsetenv("SWAYSOCK");
    ::close(listener);
}

}  // namespace
