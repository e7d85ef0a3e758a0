#include "capture/capture_presses.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>

namespace {

TEST(CapturePresses, PressesDuringACaptureMakeOneMoreCaptureForTheLatestAfterIt) {
    std::string ran;
    capture::StartOnPress([&ran] { ran += "a"; });
    {
        capture::CaptureRunning outer;
        {
            capture::CaptureRunning nested;
            capture::StartOnPress([&ran] { ran += "b"; });
        }
        QCoreApplication::processEvents();
        capture::StartOnPress([&ran] { ran += "c"; });
    }
    EXPECT_EQ(ran, "a");
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, "ac");
}

}  // namespace
