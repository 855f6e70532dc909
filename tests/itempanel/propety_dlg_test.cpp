#include "controls/gdi_button.h"
#include "controls/gdi_combo_box.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "itempanel/propety_dlg.h"
#include "platform/dialog_service.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/itempanel/page_fixtures.h"
#include "tests/itempanel/panel_fixtures.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace page_fixtures;
using namespace panel_fixtures;
using Item = tagTL_FACE_ITEM_DATA;
using Page = CPropetyDlg;

namespace {

class PropertyPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto media = std::make_unique<CFakeMedia>();
        m_media = media.get();
        m_media->frameTimes = &m_frameTimes;
        m_page->SetMedia(std::move(media));
        m_page->SetOwner(&m_owner);
        m_page->SetClock([this] { return m_nowMs; });
        m_page->m_projectFolder = m_folder.Path();
        m_page->m_projectName = QStringLiteral("Show");
        m_page->SetCameraList(
            { { 0, QStringLiteral("cam A"), 640, 480 }, { 1, QStringLiteral("cam B"), 1280, 720 } });
        m_page->AddCameraImgSize(1, 640, 480);
        m_page->AddCameraImgSize(2, 1280, 720);
        m_page->Create(&m_host);
        m_page->InitComboItems();
        m_page->SetFaceList(&m_faces);
        m_host.resize(340, 620);
        m_host.show();
    }

    void Load(const Item& item, bool refresh = false)
    {
        m_page->SetLoadedItem(item);
        m_page->LoadItem(item, refresh);
    }

    template <typename T> T* Control(int id) const { return m_page->ItemAs<T>(id); }
    CMskEdit* Edit(int id) const { return Control<CMskEdit>(id); }
    CGdiComboBox* Combo(int id) const { return Control<CGdiComboBox>(id); }
    CGdiButton* Button(int id) const { return Control<CGdiButton>(id); }

    // A file the media access is asked for (the page opens only files that exist).
    QString MediaFile(const QString& name) const { return m_folder.WriteFile(name, "media"); }
    QString Picture(const QString& name, QSize size) const
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::red);
        const QString path = m_folder.FilePath(name);
        image.save(path, "PNG");
        return path;
    }
    // A movie item of face 1 at 1000 whose file the media access opens.
    Item MovieItem(const QString& name, QSize size, int32_t durationMs, int32_t playTime = 1000) const
    {
        const QString movie = MediaFile(name);
        m_media->movies[movie] = { size, durationMs };
        Item film = MakeItem(1, 1000, playTime, Item::MODE_MOVIE);
        film.FilePath = movie;
        return film;
    }
    QString ThumbnailFolder(int faceNo) const
    {
        return m_folder.MakeFolder(QStringLiteral("Show/Channel_1/Face_%1").arg(faceNo));
    }

    CTempFolder m_folder;
    CScriptedDialogService m_dialogs;
    CRecordingPageOwner m_owner;
    CFakeFaces m_faces;
    CFakeMedia* m_media = nullptr;
    std::vector<int32_t> m_frameTimes;
    int64_t m_nowMs = 0;
    QWidget m_host;
    Page* m_page = new Page(&m_host);
};

// The record with every field the page writes back changed, except the lists' values that the
// page keeps when it cannot show them (tested on their own).
Item Scrambled(Item item)
{
    item.FaceNo += 7;
    item.Start += 7;
    item.Mode = 4;
    item.FilePath = QStringLiteral("stale");
    item.PlayMode ^= 1;
    item.MaskMode = 9;
    item.MaskX = item.MaskY = item.W = item.H = -3;
    item.InTime = item.OutTime = item.PlayTime = -3;
    item.Volume = 77;
    item.Mute ^= 1;
    item.MaskImageEnable ^= 1;
    item.MaskImage = QStringLiteral("stale");
    item.ThumbnailTime = -9;
    return item;
}

Item ImageItem(const QString& path)
{
    Item item = MakeItem(1, 1000, 500, Item::MODE_IMAGE);
    item.FilePath = path;
    item.MaskMode = 1;
    item.MaskX = 10;
    item.MaskY = 20;
    item.W = 300;
    item.H = 200;
    item.Volume = 150;
    item.MaskImageEnable = 1;
    item.MaskImage = QStringLiteral("/masks/m.png");
    item.ThumbnailTime = 42;
    return item;
}

TEST_F(PropertyPageTest, LoadingAnItemSendsNothingAndReadsBackAsLoaded)
{
    const QString picture = Picture(QStringLiteral("a.png"), QSize(640, 360));
    const QString movie = MediaFile(QStringLiteral("m.mp4"));
    m_media->movies[movie] = { QSize(1920, 1080), 20000 };
    Item camera = MakeItem(1, 1000, 500, Item::MODE_CAMERA);
    camera.CameraID = 1;
    camera.CameraImgW = 1280;
    camera.CameraImgH = 720;
    Item film = MakeItem(1, 1000, 500, Item::MODE_MOVIE);
    film.FilePath = movie;
    film.InTime = 100;
    film.OutTime = 900;
    film.Mute = 1;
    Item sound = MakeItem(1, 1000, 500, Item::MODE_SOUND);
    sound.FilePath = QStringLiteral("/gone/s.mp3");
    const Item cases[] = { ImageItem(picture), camera, film, sound, MakeItem(1, 1000, 500, Item::MODE_NONE),
        MakeLink(1, 1000, 500, 2, Item::MODE_IMAGE) };
    for (const Item& item : cases) {
        SCOPED_TRACE(item.Mode);
        Load(item);
        EXPECT_TRUE(m_owner.calls.isEmpty()) << m_owner.calls.join(u',').toStdString();
        EXPECT_TRUE(m_dialogs.Requests().empty());
        Item back = Scrambled(item);
        m_page->ReadInto(back);
        EXPECT_EQ(back, item);
    }
}

// The page's time, text and number fields draw their line in the middle of the field, as its
// lists and its face field do: as much room above the text as below it.
TEST_F(PropertyPageTest, FieldsCentreTheirTextVertically)
{
    struct Field {
        int id;
        const char* text;
    };
    const Field fields[] = { { Page::IDC_START, "0:00:12:34" }, { Page::IDC_PLAY, "0:00:12:34" },
        { Page::IDC_FILE, "SHOWS.MOV" }, { Page::IDC_MASK_PATH, "MASK.PNG" },
        { Page::IDC_PREVIEW_TIME, "0:00:12:34" }, { Page::IDC_IN, "0:00:12:34" },
        { Page::IDC_OUT, "0:00:12:34" }, { Page::IDC_X, "1280" }, { Page::IDC_H, "720" } };
    for (const Field& field : fields) {
        SCOPED_TRACE(field.text);
        CMskEdit* edit = Edit(field.id);
        ASSERT_NE(edit, nullptr);
        edit->setText(QString::fromLatin1(field.text));
        const QImage shot = edit->grab().toImage();
        const QColor back = shot.pixelColor(shot.width() - 3, shot.height() / 2);
        int top = -1;
        int bottom = -1;
        for (int y = 2; y < shot.height() - 2; ++y) {
            for (int x = 2; x < shot.width() / 2; ++x) {
                const QColor ink = shot.pixelColor(x, y);
                if (std::abs(ink.lightness() - back.lightness()) > 60) {
                    top = top < 0 ? y : top;
                    bottom = y;
                }
            }
        }
        ASSERT_GE(top, 0) << "no text drawn";
        const int above = top;
        const int below = shot.height() - 1 - bottom;
        EXPECT_LE(std::abs(above - below), 2) << above << " above the text, " << below << " below";
    }
}

TEST_F(PropertyPageTest, ValuesTheListsCannotShowAreKeptUntilTheUserChangesThatList)
{
    Item item = MakeItem(1, 1000, 500, Item::MODE_CAMERA);
    item.CameraID = 5; // not among the cameras of the settings
    item.CameraImgW = 800; // not among the image sizes
    item.CameraImgH = 600;
    Load(item);
    // The work record the panel reads into is the stored item.
    Item back = item;
    m_page->ReadInto(back);
    EXPECT_EQ(back.CameraID, 5);
    EXPECT_EQ(back.CameraImgW, 800);

    // The user picks the no-camera entry: the size list goes to its first entry, the position
    // and the preview are emptied.
    Choose(Combo(Page::IDC_CAMERA), 0);
    EXPECT_EQ(m_owner.calls, QStringList({ "PropertyChanged" }));
    m_page->ReadInto(back);
    EXPECT_EQ(back.CameraID, -1);
    EXPECT_EQ(back.CameraImgW, 640);
    EXPECT_EQ(back.MaskX + back.MaskY + back.W + back.H, 0);
    EXPECT_TRUE(m_page->Preview()->m_picture.isNull());

    // A camera of the settings sets its size and position.
    Choose(Combo(Page::IDC_CAMERA), 2);
    m_page->ReadInto(back);
    EXPECT_EQ(back.CameraID, 1);
    EXPECT_EQ(QSize(back.CameraImgW, back.CameraImgH), QSize(1280, 720));
    EXPECT_EQ(QSize(back.W, back.H), QSize(1280, 720));
    EXPECT_EQ(m_page->Preview()->m_picture.size(), QSize(1280, 720));
}

TEST_F(PropertyPageTest, ACameraPictureOfNoSizeOrAnAbsurdSizeShowsNothing)
{
    struct Case {
        QSize size;
        bool shown;
    } cases[] = { { QSize(64, 36), true }, { QSize(0, 0), false }, { QSize(0, 480), false },
        { QSize(100000, 10), false }, { QSize(-5, 10), false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height());
        m_page->LoadCameraPreview(c.size.width(), c.size.height());
        EXPECT_EQ(!m_page->Preview()->m_picture.isNull(), c.shown);
    }
}

TEST_F(PropertyPageTest, AChangeOfKindEmptiesTheItemAndResetsTheOtherPages)
{
    const QString thumbnail = ThumbnailFolder(1) + QStringLiteral("/thumbnail_1000.jpg");
    QFile(thumbnail).open(QIODevice::WriteOnly);
    m_faces.faces = { MakeFace(1, { MakeItem(1, 1000, 500), MakeItem(1, 1400, 100) }) };
    Load(ImageItem(Picture(QStringLiteral("a.png"), QSize(64, 36))));
    m_page->m_defaultImageTime = 700;

    Choose(Combo(Page::IDC_MODE), 3); // MOVIE
    EXPECT_EQ(m_owner.calls, QStringList({ "ResetEffectPage", "ResetFilterPage", "PropertyChanged" }));
    EXPECT_FALSE(QFile::exists(thumbnail));
    Item back;
    m_page->ReadInto(back);
    EXPECT_EQ(back.Mode, Item::MODE_MOVIE);
    EXPECT_TRUE(back.FilePath.isEmpty());
    EXPECT_EQ(back.Mute, 1);
    EXPECT_EQ(back.MaskMode, 0);
    EXPECT_EQ(back.MaskX + back.W, 0);
    EXPECT_TRUE(m_page->Preview()->m_picture.isNull());

    // The same kind again reports the edit but resets nothing.
    m_owner.calls.clear();
    Choose(Combo(Page::IDC_MODE), 3);
    EXPECT_EQ(m_owner.calls, QStringList({ "PropertyChanged" }));

    // A new picture item takes the default picture time, ending at the next item.
    Choose(Combo(Page::IDC_MODE), 1);
    m_page->ReadInto(back);
    EXPECT_EQ(back.PlayTime, 400);
}

TEST_F(PropertyPageTest, TypedPlayTimesAreCheckedOnTabAndWhenTheFieldIsLeftAfterAnEdit)
{
    m_faces.faces
        = { MakeFace(1, { WithEffects(MakeItem(1, 1000, 500), 1, 100, 2, 150), MakeItem(1, 2000, 100) }) };
    Load(m_faces.faces[0].Items[0]);
    CMskEdit* play = Edit(Page::IDC_PLAY);

    TypeText(play, CMskEdit::GetFormatTimeStr(1001));
    m_dialogs.AnswerMessageBox(platform::IDYES);
    PressKey(play, Qt::Key_Tab);
    EXPECT_EQ(play->GetWindowTime(), 1000);
    EXPECT_EQ(m_owner.calls, QStringList({ "PropertyChanged" }));
    ASSERT_EQ(m_dialogs.MessageTexts().size(), 1u);
    EXPECT_TRUE(m_dialogs.MessageTexts()[0].startsWith(QStringLiteral("指定した時間は後方ITEMと重複する為")));

    // Leaving the field after typing runs the same check; "No" gives back the accepted time.
    m_owner.calls.clear();
    TypeText(play, CMskEdit::GetFormatTimeStr(200));
    m_dialogs.AnswerMessageBox(platform::IDNO);
    LeaveField(play);
    EXPECT_EQ(play->GetWindowTime(), 1000);
    EXPECT_TRUE(m_owner.calls.isEmpty());

    // Leaving without an edit, or for a pop-up menu, checks nothing.
    const size_t boxes = m_dialogs.Requests().size();
    LeaveField(play);
    TypeText(play, CMskEdit::GetFormatTimeStr(5));
    LeaveField(play, Qt::PopupFocusReason);
    EXPECT_EQ(m_dialogs.Requests().size(), boxes);
    EXPECT_TRUE(m_owner.calls.isEmpty());
    EXPECT_TRUE(m_dialogs.AllAnswersUsed());
}

TEST_F(PropertyPageTest, AnAcceptedStartMovesTheMirroringLinksAndBecomesTheLoadedStart)
{
    m_faces.faces = {
        MakeFace(1, { MakeItem(1, 0, 400), MakeItem(1, 1000, 200) }),
        MakeFace(2, { MakeLink(2, 1000, 200, 1, Item::MODE_IMAGE) }),
    };
    // The view moves the items as the panel tells it.
    m_owner.onCall = [this](const QString& call) {
        if (!call.startsWith(QStringLiteral("ApplyToItems")))
            return;
        const int32_t to = int32_t(Edit(Page::IDC_START)->GetWindowTime());
        m_faces.Find(1, m_page->LoadedStart())->Start = to;
        for (const Item& link : m_owner.appliedMirrors.back())
            m_faces.Find(link.FaceNo, link.Start)->Start = to;
    };
    Load(m_faces.faces[0].Items[1]);
    CMskEdit* start = Edit(Page::IDC_START);

    TypeText(start, CMskEdit::GetFormatTimeStr(400));
    PressKey(start, Qt::Key_Return);
    EXPECT_EQ(m_owner.calls, QStringList({ "ApplyToItems 1" }));
    EXPECT_EQ(m_owner.appliedMirrors.back()[0].FaceNo, 2);
    EXPECT_EQ(m_page->LoadedStart(), 400);

    // The same start again is no change; overlapping the first item by a hundredth is refused
    // without a word.
    m_owner.calls.clear();
    PressKey(start, Qt::Key_Return);
    TypeText(start, CMskEdit::GetFormatTimeStr(399));
    PressKey(start, Qt::Key_Return);
    EXPECT_EQ(start->GetWindowTime(), 400);
    // Back to 1000: the room the item left behind is measured from its new place.
    TypeText(start, CMskEdit::GetFormatTimeStr(1000));
    PressKey(start, Qt::Key_Tab);
    EXPECT_EQ(m_owner.calls, QStringList({ "ApplyToItems 1" }));
    EXPECT_EQ(m_page->LoadedStart(), 1000);
    EXPECT_TRUE(m_dialogs.Requests().empty());
}

TEST_F(PropertyPageTest, AMovieOpensWithItsLengthAsTheLimitOfItsTimes)
{
    const QString movie = MediaFile(QStringLiteral("m.mov"));
    m_media->movies[movie] = { QSize(1920, 1080), 10005 };
    struct Case {
        int32_t out;
        int32_t shownOut;
    } cases[] = { { 0, 1000 }, { 1, 1 }, { 700, 700 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        ASSERT_TRUE(m_page->OpenMoviePreview(movie, 10, c.out));
        EXPECT_EQ(Edit(Page::IDC_OUT)->GetWindowTime(), c.shownOut);
        EXPECT_EQ(Edit(Page::IDC_PLAY)->GetWindowTime(), 1000);
        EXPECT_EQ(Edit(Page::IDC_OUT)->GetTimeMax(), 1000);
        EXPECT_EQ(m_page->InOutBar()->Slider()->maximum(), 1000);
        EXPECT_EQ(Edit(Page::IDC_W)->text(), QStringLiteral("1920"));
        EXPECT_EQ(m_frameTimes.back(), 100);
    }
    // A missing file fails without a word; one that cannot be opened says so.
    EXPECT_FALSE(m_page->OpenMoviePreview(m_folder.FilePath(QStringLiteral("none.mov")), 0, 0));
    m_dialogs.AnswerMessageBox(platform::IDOK);
    const QString broken = MediaFile(QStringLiteral("broken.mov"));
    EXPECT_FALSE(m_page->OpenMoviePreview(broken, 0, 0));
    EXPECT_EQ(
        m_dialogs.MessageTexts().back(), QStringLiteral("動画ファイルの読込みに失敗しました。") + broken);
    EXPECT_TRUE(m_owner.calls.isEmpty());
}

TEST_F(PropertyPageTest, AMovieThatDoesNotOpenLoadsTheItemsOwnValuesWithoutAPicture)
{
    const QString movie = MediaFile(QStringLiteral("m.mov"));
    m_media->movies[movie] = { QSize(1920, 1080), 10005 };
    Item film = MakeItem(1, 1000, 500, Item::MODE_MOVIE);
    film.FilePath = movie;
    Load(film);
    ASSERT_FALSE(m_page->Preview()->m_picture.isNull());

    Item old = MakeItem(1, 3000, 800, Item::MODE_MOVIE);
    old.FilePath = QStringLiteral("C:\\Shows\\old.mov");
    old.InTime = 50;
    old.OutTime = 700;
    old.MaskX = 4;
    old.W = 300;
    Load(old);
    EXPECT_TRUE(m_page->Preview()->m_picture.isNull());
    EXPECT_EQ(Edit(Page::IDC_OUT)->GetTimeMax(), 360000);
    EXPECT_EQ(m_page->InOutBar()->Slider()->maximum(), 0);
    Item back = Scrambled(old);
    m_page->ReadInto(back);
    EXPECT_EQ(back, old);
    EXPECT_TRUE(m_dialogs.Requests().empty());
}

TEST_F(PropertyPageTest, ChoosingAMovieWritesItsMiddleFrameAsTheThumbnail)
{
    const QString movie = MediaFile(QStringLiteral("clip.mp4"));
    m_media->movies[movie] = { QSize(320, 180), 10005 };
    ThumbnailFolder(1);
    Load(MakeItem(1, 1000, 500, Item::MODE_MOVIE));
    m_dialogs.AnswerPath(movie);
    Button(Page::IDC_BROWSE)->click();
    ASSERT_EQ(m_dialogs.Requests().size(), 1u);
    EXPECT_EQ(m_dialogs.Requests()[0].selectedFilter, QStringLiteral("Mov(*.mov) (*.mov)"));
    EXPECT_EQ(m_owner.calls, QStringList({ "PreviewChanged", "PropertyChanged" }));
    EXPECT_EQ(m_frameTimes, std::vector<int32_t>({ 0, 5002 }));
    EXPECT_EQ(m_page->ThumbnailTime(), 500);
    EXPECT_TRUE(QFile::exists(m_folder.FilePath(QStringLiteral("Show/Channel_1/Face_1/thumbnail_1000.jpg"))));
    Item back;
    m_page->ReadInto(back);
    EXPECT_EQ(back.FilePath, movie);
    EXPECT_EQ(back.PlayTime, 1000);
    EXPECT_EQ(back.OutTime, 1000);
}

TEST_F(PropertyPageTest, ASoundThatCannotBeMeasuredChangesNothing)
{
    Item sound = MakeItem(1, 1000, 500, Item::MODE_SOUND);
    sound.FilePath = QStringLiteral("/old.mp3");
    Load(sound);
    const QString broken = MediaFile(QStringLiteral("broken.mp3"));
    m_dialogs.AnswerPath(broken);
    m_dialogs.AnswerMessageBox(platform::IDOK);
    Button(Page::IDC_BROWSE)->click();
    EXPECT_EQ(
        m_dialogs.MessageTexts().back(), QStringLiteral("サウンドファイルの読込みに失敗しました。") + broken);
    EXPECT_TRUE(m_owner.calls.isEmpty());
    Item back = Scrambled(sound);
    m_page->ReadInto(back);
    EXPECT_EQ(back, sound);

    const QString good = MediaFile(QStringLiteral("good.wav"));
    m_media->soundLengths[good] = 12345;
    m_dialogs.AnswerPath(good);
    Button(Page::IDC_BROWSE)->click();
    m_page->ReadInto(back);
    EXPECT_EQ(back.PlayTime, 1234);
    EXPECT_EQ(back.OutTime, 1234);
    EXPECT_EQ(m_owner.calls, QStringList({ "PropertyChanged" }));
}

TEST_F(PropertyPageTest, InAndOutStayInOrderWithinTheMovie)
{
    Item film = MovieItem(QStringLiteral("m.mov"), QSize(320, 180), 10000);
    film.InTime = 100;
    film.OutTime = 400;
    Load(film);
    CMskEdit* in = Edit(Page::IDC_IN);
    CMskEdit* out = Edit(Page::IDC_OUT);

    TypeText(in, CMskEdit::GetFormatTimeStr(500));
    m_dialogs.AnswerMessageBox(platform::IDOK);
    PressKey(in, Qt::Key_Tab);
    EXPECT_EQ(in->GetWindowTime(), 400);
    EXPECT_TRUE(m_owner.calls.isEmpty());
    TypeText(out, CMskEdit::GetFormatTimeStr(300));
    m_dialogs.AnswerMessageBox(platform::IDOK);
    LeaveField(out);
    EXPECT_EQ(in->GetWindowTime(), 400);
    EXPECT_EQ(out->GetWindowTime(), 400);
    EXPECT_EQ(m_dialogs.MessageTexts()[0], QStringLiteral("IN点にOUT点を超えた時間は入力できません。"));
    EXPECT_EQ(m_dialogs.MessageTexts()[1], QStringLiteral("OUT点にIN点を下回る時間は入力できません。"));

    // The spin buttons are an accepted edit: on the bar and reported; OUT stops at the movie's
    // length, IN at OUT.
    TypeText(out, CMskEdit::GetFormatTimeStr(999));
    PressKey(out, Qt::Key_Return);
    m_owner.calls.clear();
    Button(Page::IDC_OUT_UP)->click();
    Button(Page::IDC_OUT_UP)->click();
    EXPECT_EQ(out->GetWindowTime(), 1000);
    EXPECT_EQ(m_page->InOutBar()->Slider()->m_outPosition, 1000);
    EXPECT_EQ(m_owner.calls, QStringList({ "PropertyChanged", "PropertyChanged" }));
    Button(Page::IDC_IN_DOWN)->click();
    EXPECT_EQ(in->GetWindowTime(), 399);
    EXPECT_EQ(m_page->InOutBar()->Slider()->m_inPosition, 399);

    // Set IN from the preview time: equal to OUT is taken, past it is not.
    Edit(Page::IDC_PREVIEW_TIME)->SetWindowTime(int64_t(1000));
    Button(Page::IDC_SET_IN)->click();
    EXPECT_EQ(in->GetWindowTime(), 1000);
    Edit(Page::IDC_PREVIEW_TIME)->SetWindowTime(int64_t(200));
    m_owner.calls.clear();
    Button(Page::IDC_SET_IN)->click();
    EXPECT_EQ(in->GetWindowTime(), 200);
    Edit(Page::IDC_PREVIEW_TIME)->SetWindowTime(int64_t(100));
    Button(Page::IDC_SET_OUT)->click();
    EXPECT_EQ(out->GetWindowTime(), 1000);
    EXPECT_EQ(m_owner.calls, QStringList({ "PropertyChanged" }));
}

TEST_F(PropertyPageTest, TheReplayFollowsTheClockAndStopsAtTheEnd)
{
    Item film = MovieItem(QStringLiteral("m.mov"), QSize(320, 180), 10000);
    Load(film);
    m_page->InOutBar()->Slider()->setValue(900);
    m_nowMs = 5000;
    Button(Page::IDC_REPLAY)->click();
    ASSERT_TRUE(m_page->IsReplaying());
    m_page->StartReplay(); // a second start changes nothing
    m_nowMs = 5500;
    m_page->OnReplayTimer();
    EXPECT_EQ(Edit(Page::IDC_PREVIEW_TIME)->GetWindowTime(), 950);
    EXPECT_EQ(m_frameTimes.back(), 9500);
    m_nowMs = 6020;
    m_page->OnReplayTimer();
    EXPECT_FALSE(m_page->IsReplaying());
    EXPECT_EQ(Edit(Page::IDC_PREVIEW_TIME)->GetWindowTime(), 1000);
    EXPECT_EQ(m_page->InOutBar()->Slider()->value(), 1000);
    EXPECT_TRUE(m_owner.calls.isEmpty());
}

TEST_F(PropertyPageTest, ACaptureWithoutAPictureStillSetsTheThumbnailTime)
{
    Load(MakeItem(1, 1000, 500, Item::MODE_MOVIE));
    Edit(Page::IDC_PREVIEW_TIME)->SetWindowTime(int64_t(321));
    Button(Page::IDC_CAPTURE)->click();
    EXPECT_EQ(m_page->ThumbnailTime(), 321);
    EXPECT_EQ(m_owner.calls, QStringList({ "PropertyChanged", "PreviewChanged" }));
}

TEST_F(PropertyPageTest, ACaptureWritesTheThumbnailsOfTheItemAndItsLinks)
{
    const QString movie = MediaFile(QStringLiteral("m.mov"));
    m_media->movies[movie] = { QSize(320, 180), 10000 };
    ThumbnailFolder(1);
    ThumbnailFolder(3);
    Item film = MakeItem(1, 1000, 1000, Item::MODE_MOVIE);
    film.FilePath = movie;
    m_faces.faces = { MakeFace(1, { film }), MakeFace(3, { MakeLink(3, 1000, 1000, 1, Item::MODE_MOVIE) }) };
    Load(film);
    Button(Page::IDC_CAPTURE)->click();
    EXPECT_TRUE(QFile::exists(m_folder.FilePath(QStringLiteral("Show/Channel_1/Face_1/thumbnail_1000.jpg"))));
    EXPECT_TRUE(QFile::exists(m_folder.FilePath(QStringLiteral("Show/Channel_1/Face_3/thumbnail_1000.jpg"))));
}

TEST_F(PropertyPageTest, AVolumeDragIsOneEditFromPressToRelease)
{
    Load(MakeItem(1, 1000, 500, Item::MODE_SOUND));
    CGdiSliderCtrl* volume = Control<CGdiSliderCtrl>(Page::IDC_VOLUME);
    volume->setSliderDown(true);
    volume->setSliderPosition(120);
    volume->setSliderPosition(140);
    volume->setSliderDown(false);
    EXPECT_EQ(m_owner.calls,
        QStringList(
            { "EditGroup 1", "PropertyChanged", "PropertyChanged", "PropertyChanged", "EditGroup 0" }));
    Item back;
    m_page->ReadInto(back);
    EXPECT_EQ(back.Volume, 140);
}

TEST_F(PropertyPageTest, ALinkFaceTakesTheChosenItemsValuesAndThumbnail)
{
    ThumbnailFolder(1);
    const QString thumbnail
        = m_folder.WriteFile(QStringLiteral("Show/Channel_1/Face_2/thumbnail_1000.jpg"), "jpeg");
    Item source = ImageItem(Picture(QStringLiteral("s.png"), QSize(64, 36)));
    source.FaceNo = 2;
    m_faces.faces = { MakeFace(1, { MakeLink(1, 1000, 500, 0, 0) }), MakeFace(2, { source }),
        MakeFace(3, { MakeItem(3, 1000, 500, Item::MODE_SOUND) }) };
    Load(m_faces.faces[0].Items[0]);
    ASSERT_EQ(Combo(Page::IDC_LINK)->count(), 1); // a sound is no candidate
    Choose(Combo(Page::IDC_LINK), 0);
    EXPECT_EQ(m_owner.calls, QStringList({ "PropertyChanged", "LinkFaceChanged" }));
    EXPECT_EQ(m_folder.ReadFile(QStringLiteral("Show/Channel_1/Face_1/thumbnail_1000.jpg")), "jpeg");
    Item back;
    m_page->ReadInto(back);
    EXPECT_EQ(back.Mode, Item::MODE_LINK);
    EXPECT_EQ(back.LinkFaceNo, 2);
    EXPECT_EQ(back.LinkMode, Item::MODE_IMAGE);
    EXPECT_EQ(back.FilePath, source.FilePath);
    EXPECT_EQ(QRect(back.MaskX, back.MaskY, back.W, back.H), QRect(10, 20, 300, 200));
    EXPECT_TRUE(m_page->Preview()->isEnabled());
    (void)thumbnail;
}

TEST_F(PropertyPageTest, UndoAndRedoKeysReachTheOwnerOnce)
{
    Load(MakeItem(1, 1000, 500));
    PressKey(Edit(Page::IDC_START), Qt::Key_Z, Qt::ControlModifier);
    PressKey(Combo(Page::IDC_MODE), Qt::Key_Y, Qt::ControlModifier);
    PressKey(m_page, Qt::Key_Escape);
    EXPECT_EQ(m_owner.calls, QStringList({ "UndoKey", "RedoKey" }));
}

TEST_F(PropertyPageTest, ALockDisablesEveryInputAndTheUnlockFollowsTheKind)
{
    Load(MakeItem(1, 1000, 500, Item::MODE_MOVIE));
    m_page->SetLock(true);
    for (int id :
        { Page::IDC_MODE, Page::IDC_START, Page::IDC_PLAY, Page::IDC_VOLUME, Page::IDC_IN, Page::IDC_BROWSE })
        EXPECT_FALSE(m_page->Item(id)->isEnabled()) << id;
    m_page->SetLock(false);
    for (int id : { Page::IDC_MODE, Page::IDC_START, Page::IDC_VOLUME, Page::IDC_IN, Page::IDC_BROWSE })
        EXPECT_TRUE(m_page->Item(id)->isEnabled()) << id;
    EXPECT_FALSE(m_page->Item(Page::IDC_CAMERA)->isEnabled());
    EXPECT_FALSE(m_page->Item(Page::IDC_LINK)->isVisible());
}

} // namespace
