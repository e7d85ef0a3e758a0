// What the control classes work out without a toolkit: the file dialog's
// filters and remembered choice, and the size limits less the frame.

#include <gtest/gtest.h>

#include "platform/controls/common_dialog.h"
#include "platform/controls/size_limit.h"

namespace {

using controls::CommonDialog;

TEST(CommonDialogFilter, BarSeparatedPairsBecomeDialogNameFilters) {
    EXPECT_EQ(CommonDialog::DialogNameFilter("Bitmap File (*.bmp)|*.bmp"), "Bitmap File (*.bmp)");
    EXPECT_EQ(CommonDialog::DialogNameFilter("Pictures|*.bmp;*.dib|All Files (*.*)|*.*"),
              "Pictures (*.bmp *.dib);;All Files (*.*)");
    EXPECT_EQ(CommonDialog::DialogNameFilter(""), "");
}

TEST(CommonDialogSave, KeepsTheLastChoiceAndEmptiesItOnCancel) {
    CommonDialog dialog;
    std::vector<CommonDialog::SaveRequest> requests;
    std::vector<std::optional<std::string>> answers{"/tmp/a.bmp", std::nullopt, std::nullopt};
    dialog.setSaveChooser([&](const CommonDialog::SaveRequest& request) {
        requests.push_back(request);
        const std::optional<std::string>& answer = answers[requests.size() - 1];
        return answer ? std::optional<CommonDialog::SaveChoice>(*answer) : std::nullopt;
    });
    dialog.DialogTitle = "Save As";
    dialog.Filter = "Bitmap File (*.bmp)|*.bmp";
    dialog.ShowSave();
    EXPECT_EQ(dialog.FileName, "/tmp/a.bmp");
    dialog.ShowSave();
    EXPECT_EQ(dialog.FileName, "");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].title, "Save As");
    EXPECT_EQ(requests[0].nameFilter, "Bitmap File (*.bmp)");
    EXPECT_EQ(requests[0].fileName, "");
    EXPECT_EQ(requests[1].fileName, "/tmp/a.bmp");

    dialog.CancelError = true;
    EXPECT_THROW(dialog.ShowSave(), controls::DialogCancelled);
}

TEST(SizeLimit, OuterLimitsLessTheFrameBoundTheWindowsOwnSize) {
    controls::SizeLimit limit;
    limit.minwidth = 604;
    limit.minheight = 448;
    limit.maxwidth = 1024;
    limit.maxheight = 768;
    using Extent = controls::SizeLimit::Extent;
    EXPECT_EQ(limit.minimumFor({2, 25}), (Extent{602, 423}));
    EXPECT_EQ(limit.maximumFor({2, 25}), (Extent{1022, 743}));
    EXPECT_EQ(limit.minimumFor({0, 0}), (Extent{604, 448}));
    // Unset limits stay unset; a frame larger than a limit does not wrap.
    controls::SizeLimit unset;
    EXPECT_EQ(unset.minimumFor({10, 10}), (Extent{0, 0}));
    EXPECT_EQ(unset.maximumFor({10, 10}),
              (Extent{controls::SizeLimit::kNoLimit, controls::SizeLimit::kNoLimit}));
    limit.maxheight = 5;
    EXPECT_EQ(limit.maximumFor({2, 25}).height, 1);
}

}  // namespace
