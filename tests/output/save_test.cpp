#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstring>
#include <deque>
#include <filesystem>

#include "output/bmp_decode.h"
#include "output/frm_save.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/qt/form_window.h"
#include "program/default_form.h"
#include "support/form1_fixture.h"

namespace {

namespace fs = std::filesystem;
using controls::CommonDialog;
using testing_support::FakeScreen;
using testing_support::ReadBitmapFile;

struct SeenBox {
    QMessageBox::Icon icon;
    QString title;
    QString text;
};

// Answers every message box that comes up, remembering what it said.
class MessageBoxes {
  public:
    MessageBoxes() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    seen.push_back({box->icon(), box->windowTitle(), box->text()});
                    box->done(QMessageBox::Ok);
                }
            }
        });
        timer_.start();
    }
    std::vector<SeenBox> seen;

  private:
    QTimer timer_;
};

class Save : public testing_support::Form1Test {
  protected:
    void SetUp() override {
        Form1Test::SetUp();
        std::string name = (fs::temp_directory_path() / "tess-save-XXXXXX").string();
        folder_ = ::mkdtemp(name.data());
        form_->CommonDialog1.setSaveChooser([this](const CommonDialog::SaveRequest& request) {
            requests_.push_back(request);
            std::optional<CommonDialog::SaveChoice> answer;
            if (!answers_.empty() && answers_.front()) {
                answer.emplace(*answers_.front());
            }
            if (!answers_.empty()) {
                answers_.pop_front();
            }
            return answer;
        });
    }

    void TearDown() override {
        // The save window is deleted once back in the event loop.
        controls::DoEvents();
        EXPECT_EQ(app::DefaultForm<frmSave>::IfLoaded(), nullptr);
        fs::remove_all(folder_);
        Form1Test::TearDown();
    }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    void answer(std::optional<std::string> name) { answers_.push_back(std::move(name)); }

    fs::path folder_;
    std::deque<std::optional<std::string>> answers_;
    std::vector<CommonDialog::SaveRequest> requests_;
    MessageBoxes boxes_;
};

TEST_F(Save, FirstSaveAsksThenLaterSavesWriteSilently) {
    form_->mnuScreen_Click();
    answer(path("shot.bmp"));
    form_->mnuSave_Click();
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].title, "Save As");
    EXPECT_EQ(requests_[0].nameFilter,
              "Bitmap File (*.bmp);;PNG Image (*.png);;JPEG Image (*.jpg *.jpeg)");
    EXPECT_EQ(requests_[0].filterIndex, 1);
    EXPECT_EQ(variables::SaveFileName, path("shot.bmp"));
    EXPECT_TRUE(variables::SaveNameKnown);
    auto image = ReadBitmapFile(path("shot.bmp"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, kScreenWidth);
    EXPECT_EQ(image->height, kScreenHeight);
    EXPECT_EQ(image->at(0, 0), FakeScreen::PatternAt(0, 0));
    EXPECT_EQ(image->at(517, 300), FakeScreen::PatternAt(517, 300));
    EXPECT_EQ(image->at(1023, 767), FakeScreen::PatternAt(1023, 767));

    fs::remove(path("shot.bmp"));
    form_->mnuSave_Click();
    EXPECT_EQ(requests_.size(), 1u) << "a known name is not asked again";
    EXPECT_TRUE(ReadBitmapFile(path("shot.bmp")));
    EXPECT_TRUE(boxes_.seen.empty());
}

TEST_F(Save, ANameOfAKnownTypeGetsItAndOtherNamesTheChosenType) {
    struct Case {
        const char* name;
        int filter;         // 1 bitmap, 2 PNG, 3 JPEG
        std::string magic;  // the file's first bytes; empty: refused, nothing written
    };
    const Case cases[] = {
        {"a.bmp", 2, "BM"},  {"b.PNG", 1, "\x89PNG"},  {"c.jpg", 1, "\xff\xd8\xff"},
        {"d", 2, "\x89PNG"}, {"e", 3, "\xff\xd8\xff"}, {"f.Jpeg", 2, "\xff\xd8\xff"},
        {"g.txt", 1, "BM"},  {"h.webp", 2, ""},        {"i.gif", 1, ""},
    };
    form_->mnuScreen_Click();
    for (const Case& c : cases) {
        form_->CommonDialog1.setSaveChooser([&](const CommonDialog::SaveRequest&) {
            return std::optional<CommonDialog::SaveChoice>(
                CommonDialog::SaveChoice(path(c.name), c.filter));
        });
        form_->mnuSaveAs_Click();
        std::string head(c.magic.size(), '\0');
        std::FILE* file = std::fopen(path(c.name).c_str(), "rb");
        EXPECT_EQ(file != nullptr, !c.magic.empty()) << c.name;
        if (file) {
            EXPECT_EQ(std::fread(head.data(), 1, head.size(), file), head.size()) << c.name;
            std::fclose(file);
            EXPECT_EQ(head, c.magic) << c.name;
        }
    }
    ASSERT_EQ(boxes_.seen.size(), 2u);
    EXPECT_TRUE(boxes_.seen[0].text.startsWith("Cannot save the picture to"))
        << boxes_.seen[0].text.toStdString();
}

TEST_F(Save, CancellingWritesNothingAndKeepsTheState) {
    form_->mnuScreen_Click();
    variables::SaveFileName = "/earlier/name.bmp";
    answer(std::nullopt);
    form_->mnuSave_Click();
    EXPECT_EQ(requests_.size(), 1u);
    EXPECT_EQ(variables::SaveFileName, "/earlier/name.bmp");
    EXPECT_FALSE(variables::SaveNameKnown);
    EXPECT_TRUE(fs::is_empty(folder_));
    EXPECT_EQ(app::DefaultForm<frmSave>::IfLoaded(), nullptr);
}

TEST_F(Save, ANewCaptureAsksAgainOpeningOnThePreviousName) {
    form_->mnuScreen_Click();
    answer(path("one.bmp"));
    form_->mnuSave_Click();
    form_->mnuScreen_Click();
    EXPECT_FALSE(variables::SaveNameKnown);
    answer(path("two"));
    form_->mnuSave_Click();
    ASSERT_EQ(requests_.size(), 2u);
    EXPECT_EQ(requests_[1].fileName, path("one.bmp"));
    // The name is used exactly as chosen: no extension is added.
    EXPECT_TRUE(ReadBitmapFile(path("two")));
    EXPECT_FALSE(fs::exists(path("two.bmp")));
}

TEST_F(Save, SaveAsAlwaysAsksAndSaveThenUsesItsName) {
    form_->mnuScreen_Click();
    answer(path("first.bmp"));
    form_->mnuSave_Click();
    answer(path("second.bmp"));
    form_->mnuSaveAs_Click();
    EXPECT_EQ(requests_.size(), 2u);
    fs::remove(path("second.bmp"));
    form_->mnuSave_Click();
    EXPECT_EQ(requests_.size(), 2u);
    EXPECT_TRUE(ReadBitmapFile(path("second.bmp")));
}

TEST_F(Save, AfterACropSaveWritesTheCroppedPictureOverTheSameFile) {
    form_->mnuScreen_Click();
    answer(path("shot.bmp"));
    form_->mnuSave_Click();
    // What the crop does to the buffer: a smaller copy, the name untouched.
    const raster::HDC dc = raster::CreateCompatibleDC(form_->ScreenDC);
    const raster::HBITMAP bitmap = raster::CreateCompatibleBitmap(form_->ScreenDC, 10, 8);
    raster::SelectObject(dc, bitmap);
    raster::BitBlt(dc, 0, 0, 10, 8, variables::CaptureDC, 5, 6, raster::SRCCOPY);
    raster::ReplaceContext(variables::CaptureDC, dc);
    raster::ReplaceBitmap(variables::CaptureBitmap, bitmap);
    raster::ReleaseRetired();
    variables::CaptureWidth = 10;
    variables::CaptureHeight = 8;

    form_->mnuSave_Click();
    EXPECT_EQ(requests_.size(), 1u);
    const auto image = ReadBitmapFile(path("shot.bmp"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 10);
    EXPECT_EQ(image->height, 8);
    EXPECT_EQ(image->at(0, 0), FakeScreen::PatternAt(5, 6));
    EXPECT_EQ(image->at(9, 7), FakeScreen::PatternAt(14, 13));
}

TEST_F(Save, WithNoPictureItSaysSoAndAsksNothing) {
    form_->mnuSave_Click();
    form_->mnuSaveAs_Click();
    form_->mnuScreen_Click();
    variables::CaptureHeight = 0;
    form_->mnuSave_Click();
    EXPECT_TRUE(requests_.empty());
    EXPECT_TRUE(fs::is_empty(folder_));
    ASSERT_EQ(boxes_.seen.size(), 3u);
    EXPECT_EQ(boxes_.seen[0].title, "Tessarine");
    EXPECT_TRUE(boxes_.seen[0].text.contains("nothing has been captured"))
        << boxes_.seen[0].text.toStdString();
    EXPECT_TRUE(boxes_.seen[2].text.contains("1024 x 0")) << boxes_.seen[2].text.toStdString();
    EXPECT_FALSE(variables::SaveNameKnown);
}

TEST_F(Save, AFailedWriteIsReportedAndLeavesTheNameUnknown) {
    form_->mnuScreen_Click();
    const std::string bad = path("missing-folder/shot.bmp");
    answer(bad);
    form_->mnuSave_Click();
    ASSERT_EQ(boxes_.seen.size(), 1u);
    EXPECT_EQ(boxes_.seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes_.seen[0].title, "Tessarine");
    EXPECT_TRUE(boxes_.seen[0].text.contains(QString::fromStdString(bad)));
    EXPECT_TRUE(boxes_.seen[0].text.contains(std::strerror(ENOENT)));
    EXPECT_FALSE(variables::SaveNameKnown);
    EXPECT_EQ(variables::SaveFileName, bad);
    EXPECT_EQ(app::DefaultForm<frmSave>::IfLoaded(), nullptr) << "the save window is closed";
    EXPECT_TRUE(fs::is_empty(folder_));

    // Once a name is known, a failed Save As keeps it known.
    answer(path("good.bmp"));
    form_->mnuSave_Click();
    EXPECT_TRUE(variables::SaveNameKnown);
    answer(path("good.bmp/inside.bmp"));
    form_->mnuSaveAs_Click();
    EXPECT_EQ(boxes_.seen.size(), 2u);
    EXPECT_TRUE(variables::SaveNameKnown);
    EXPECT_EQ(fs::file_size(path("good.bmp")), 54u + 1024 * 3 * 768);
}

TEST_F(Save, TheSaveWindowShowsTheCaptureAndARightClickClosesItUnwritten) {
    form_->mnuScreen_Click();
    struct Seen {
        bool shown = false;
        bool frameless = false;
        QSize picture;
        QPoint picturePos;
        std::uint32_t corner = 0;
    } seen;
    QTimer::singleShot(0, [&seen] {
        frmSave* form = app::DefaultForm<frmSave>::IfLoaded();
        ASSERT_NE(form, nullptr);
        QWidget* window = controls::qt::WindowOf(*form);
        seen.shown = window->isVisible();
        seen.frameless = window->windowFlags().testFlag(Qt::FramelessWindowHint);
        seen.picture = QSize(form->Picture1.Width(), form->Picture1.Height());
        seen.picturePos = QPoint(form->Picture1.Left(), form->Picture1.Top());
        form->Form_MouseDown(1, 0, 0, 0);  // only the right button closes it
        form->Form_MouseDown(2, 0, 0, 0);
    });
    answer(path("closed.bmp"));
    form_->mnuSave_Click();
    EXPECT_TRUE(seen.shown);
    EXPECT_TRUE(seen.frameless);
    EXPECT_EQ(seen.picture, QSize(kScreenWidth, kScreenHeight));
    EXPECT_EQ(seen.picturePos, QPoint(0, 0));
    EXPECT_FALSE(fs::exists(path("closed.bmp")));
    EXPECT_FALSE(variables::SaveNameKnown);
    ASSERT_EQ(boxes_.seen.size(), 1u);
    EXPECT_TRUE(boxes_.seen[0].text.contains("closed")) << boxes_.seen[0].text.toStdString();
}

// A Save As chosen while the first save's window is still up waits for it:
// both files are written, each once, and nothing is reported that was not.
TEST_F(Save, ASaveChosenWhileOneIsWritingWaitsAndBothFilesAreWritten) {
    form_->mnuScreen_Click();
    QTimer::singleShot(0, [this] {
        ASSERT_NE(app::DefaultForm<frmSave>::IfLoaded(), nullptr);
        form_->mnuSaveAs_Click();
        form_->mnuSave_Click();
    });
    answer(path("first.bmp"));
    answer(path("second.png"));
    form_->mnuSaveAs_Click();
    EXPECT_EQ(requests_.size(), 2u);
    EXPECT_TRUE(ReadBitmapFile(path("first.bmp")));
    EXPECT_TRUE(fs::exists(path("second.png")));
    EXPECT_EQ(variables::SaveFileName, path("second.png"));
    EXPECT_TRUE(boxes_.seen.empty());
}

}  // namespace
