#include "platform/wayland/kwin_windows.h"

#include <gtest/gtest.h>

namespace {

using platform::kwin::ParseAnswer;

TEST(KWinAnswer, GivesTheFrameInDevicePixelsAndRefusesWhatIsNoWindow) {
    QString why;
    // Scaled by the largest output scale, from the desktop's top-left corner.
    const auto frame = ParseAnswer(R"({"token":"t","window":"{a}","frame":[110.5,60,300,237],
        "desktop":[-10,0,2048,768],"scale":1.5})",
                                   &why);
    ASSERT_TRUE(frame) << why.toStdString();
    EXPECT_EQ(frame->window, "{a}");
    EXPECT_EQ(frame->rect.left, 181);
    EXPECT_EQ(frame->rect.top, 90);
    EXPECT_EQ(frame->rect.right, 631);
    EXPECT_EQ(frame->rect.bottom, 446);

    const auto none = ParseAnswer(R"({"window":"","desktop":[0,0,1024,768],"scale":1})", &why);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->window.isEmpty());

    for (const char* bad : {
             R"({"window":"{a}","frame":[0,0,300],"desktop":[0,0,1024,768],"scale":1})",
             R"({"window":"{a}","frame":[0,0,0,200],"desktop":[0,0,1024,768],"scale":1})",
             R"({"window":"{a}","frame":[0,"0",30,20],"desktop":[0,0,1024,768],"scale":1})",
             R"({"window":"{a}","frame":[0,0,1e300,20],"desktop":[0,0,1024,768],"scale":1})",
             R"({"window":"{a}","frame":[0,0,30,20],"desktop":[0,0,1024,768],"scale":0})",
             R"({"window":"{a}","frame":[0,0,30,20],"scale":1})",
             R"({"error":"ReferenceError: workspace is not defined"})",
             "not json",
         }) {
        why.clear();
        EXPECT_FALSE(ParseAnswer(bad, &why)) << bad;
        EXPECT_FALSE(why.isEmpty()) << bad;
    }
}

}  // namespace
