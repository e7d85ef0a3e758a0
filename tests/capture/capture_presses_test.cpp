#include "capture/capture_presses.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>

namespace {

TEST(CapturePresses, PressesDuringACaptureMakeOneMoreCaptureAfterIt) {
    std::string ran;
    capture::StartOnPress([&ran] { ran += "a"; });
    EXPECT_EQ(ran, "a");

    {
        capture::CaptureRunning outer;
        {
            capture::CaptureRunning nested;
            capture::StartOnPress([&ran] { ran += "b"; });
        }
        QCoreApplication::processEvents();
        capture::StartOnPress([&ran] { ran += "c"; });
        capture::StartOnPress([&ran] { ran += "d"; });
        EXPECT_TRUE(capture::CaptureIsRunning());
    }
    // Nothing ran inside the capture; the latest press runs after it, from
    // the event loop, and only once.
    EXPECT_EQ(ran, "a");
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, "ad");
    EXPECT_FALSE(capture::CaptureIsRunning());
}

}  // namespace
