#include "core/language_data.h"
#include "tests/core/qstring_printer.h"

#include "tests/fixtures/temp_folder.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace {

QString Lines(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

CLanguageData LoadedFrom(const CTempFolder& folder)
{
    CLanguageData language;
    EXPECT_EQ(language.LoadFromFolder(folder.Path()), 1);
    return language;
}

void ExpectDefaultsExcept(
    const CLanguageData& language, std::initializer_list<CLanguageData::TextIndex> changed)
{
    for (int i = 0; i < CLanguageData::kTextCount; ++i) {
        const auto index = CLanguageData::TextIndex(i);
        if (std::find(changed.begin(), changed.end(), index) != changed.end())
            continue;
        EXPECT_EQ(language.Text(index), CLanguageData::DefaultOf(index))
            << CLanguageData::KeyOf(index).toStdString();
    }
}

// A file that sets every text of the table to the prefix followed by the text's own key.
QString EveryKeySetTo(const QString& prefix)
{
    QStringList lines;
    QString section;
    for (int i = 0; i < CLanguageData::kTextCount; ++i) {
        const auto index = CLanguageData::TextIndex(i);
        if (CLanguageData::SectionOf(index) != section) {
            section = CLanguageData::SectionOf(index);
            lines << "[" + section + "]";
        }
        lines << CLanguageData::KeyOf(index) + "=" + prefix + CLanguageData::KeyOf(index);
    }
    return Lines(lines);
}

} // namespace

TEST(LanguageData, WithoutFileEveryTextIsItsDefault)
{
    CTempFolder folder;
    const CLanguageData language = LoadedFrom(folder);
    ExpectDefaultsExcept(language, {});
    EXPECT_EQ(language.GetFileMenuFile(), QStringLiteral("ファイル"));
    EXPECT_EQ(language.GetPopItemMenuDisplayChange(), QStringLiteral("表示切換え"));
    EXPECT_EQ(language.GetIdPretabCaptionComment2(),
        QStringLiteral("　　　　　　　　　　　　プレビューを再起動します。"));
    EXPECT_EQ(language.GetCameraName(), QStringLiteral("カメラ"));
    EXPECT_TRUE(language.GetSupportUrlPro().startsWith(QStringLiteral("https://")));
}

TEST(LanguageData, WithoutProgramFolderLoadFails)
{
    CLanguageData language;
    EXPECT_EQ(language.LoadFromFolder(QString()), 0);
    ExpectDefaultsExcept(language, {});
}

TEST(LanguageData, OneKeyChangesOneLabelInEveryEncoding)
{
    const QString text
        = Lines({ QStringLiteral("[FILE_MENU]"), QStringLiteral("FILE_MENU_FILE=ファイル(&F)") });
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        { "utf-8", text.toUtf8() },
        { "utf-8 with BOM", Utf8WithBom(text) },
        { "utf-16le with BOM", Utf16LeWithBom(text) },
        { "utf-16be with BOM", Utf16BeWithBom(text) },
        { "cp932", Cp932(text) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        folder.WriteFile(QStringLiteral("Language.dat"), c.bytes);
        const CLanguageData language = LoadedFrom(folder);
        EXPECT_EQ(language.GetFileMenuFile(), QStringLiteral("ファイル(&F)"));
        ExpectDefaultsExcept(language, { CLanguageData::kGetFileMenuFile });
    }
}

TEST(LanguageData, FileEdgeCases)
{
    const QString longValue = QString(300, QChar(u'長'));
    const struct {
        const char* name;
        QStringList lines;
        std::function<void(const CLanguageData&)> check;
    } cases[] = {
        { "a key in another section is not found", { "[EDIT_MENU]", "FILE_MENU_FILE=X" },
            [](const CLanguageData& l) { ExpectDefaultsExcept(l, {}); } },
        { "an empty value gives the default", { "[PROPETY_DLG]", "PD_CAP_START_TIME=" },
            [](const CLanguageData& l) {
                EXPECT_EQ(l.GetPdCaptionStartTime(), QStringLiteral("開始時間"));
            } },
        { "an empty support address empties it", { "[SUPPORT_PAGE]", "SUPPORT_URL_PRO=" },
            [](const CLanguageData& l) {
                EXPECT_EQ(l.GetSupportUrlPro(), QString());
                ExpectDefaultsExcept(l, { CLanguageData::kGetSupportUrlPro });
            } },
        { "an absent support address keeps the default", { "[SUPPORT_PAGE]", "OTHER=1" },
            [](const CLanguageData& l) { ExpectDefaultsExcept(l, {}); } },
        { "a long value is cut to 260 characters", { "[EDIT_MENU]", "EDIT_MENU_UNDO=" + longValue },
            [&](const CLanguageData& l) { EXPECT_EQ(l.GetEditMenuUndo(), longValue.left(260)); } },
        { "section and key names ignore letter case", { "[help_menu]", "Help_Menu_Version=About" },
            [](const CLanguageData& l) { EXPECT_EQ(l.GetHelpMenuVersion(), QStringLiteral("About")); } },
        { "texts without a getter are read as well",
            { "[POP_FACE_MENU]", "POP_FACE_MENU_POS_COPY=Copy position" },
            [](const CLanguageData& l) {
                EXPECT_EQ(l.Text(CLanguageData::kPOP_FACE_MENU_POS_COPY), QStringLiteral("Copy position"));
            } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        folder.WriteFile(QStringLiteral("Language.dat"), Lines(c.lines).toUtf8());
        c.check(LoadedFrom(folder));
    }
}

TEST(LanguageData, EveryTextIsReadFromItsOwnSectionAndKey)
{
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("Language.dat"), Utf16LeWithBom(EveryKeySetTo(QStringLiteral("v:"))));
    const CLanguageData language = LoadedFrom(folder);
    for (int i = 0; i < CLanguageData::kTextCount; ++i) {
        const auto index = CLanguageData::TextIndex(i);
        EXPECT_EQ(language.Text(index), "v:" + CLanguageData::KeyOf(index));
    }
    EXPECT_EQ(language.GetTimelineItemCameraNone(), QStringLiteral("v:TL_ITEM_CAMERA_NONE"));
}

TEST(LanguageData, AFolderNamedLikeTheFileIsIgnored)
{
    CTempFolder folder;
    folder.MakeFolder(QStringLiteral("Language.dat"));
    ExpectDefaultsExcept(LoadedFrom(folder), {});
}

TEST(LanguageData, IndexGettersGiveEmptyOutsideTheirRange)
{
    const CLanguageData language;
    const struct {
        std::function<QString(int)> getter;
        std::vector<QString> texts;
    } cases[] = {
        { [&](int i) { return language.GetPdPlaymode(i); }, { "ノーマル", "ループ" } },
        { [&](int i) { return language.GetPdMasktype(i); }, { "四角", "丸", "画像" } },
        { [&](int i) { return language.GetIdPretabMode(i); },
            { "デュアル（通常）", "シングル（投影のみ）" } },
    };
    for (const auto& c : cases) {
        for (int i = 0; i < int(c.texts.size()); ++i)
            EXPECT_EQ(c.getter(i), c.texts[size_t(i)]);
        EXPECT_EQ(c.getter(-1), QString());
        EXPECT_EQ(c.getter(int(c.texts.size())), QString());
    }
}

TEST(LanguageData, ViewTextRecordFollowsTheTimelineSlotOrder)
{
    // Every pop-up text is set to its own key, so each slot shows which text it took.
    const QStringList keysBySlot = {
        "POP_SET_MENU_SET",
        "POP_SET_MENU_PROPETY",
        "POP_SET_MENU_EFFECT",
        "POP_SET_MENU_FILTER",
        "POP_FACE_MENU_FACE",
        "POP_FACE_MENU_ADD",
        "POP_FACE_MENU_DELETE",
        "POP_FACE_MENU_INSERT",
        "",
        "",
        "POP_FACE_MENU_POS_CLEAR",
        "POP_ITEM_MENU_ITEM",
        "POP_ITEM_MENU_ADD",
        "POP_ITEM_MENU_DELETE",
        "POP_ITEM_MENU_ALL_DELETE",
        "POP_ITEM_MENU_EFFECT",
        "POP_ITEM_MENU_DSP_CHANGE",
        "POP_ITEM_MENU_IN_OUT_CLEAR",
        "POP_ITEM_MENU_IN_CLEAR",
        "POP_ITEM_MENU_OUT_CLEAR",
        "POP_ITEM_MENU_FILTER",
        "POP_ITEM_MENU_CLEAR",
        "POP_ITEM_MENU_EFFECT_COPY",
        "POP_ITEM_MENU_EFFECT_PASTE",
        "POP_ITEM_MENU_FILTER_COPY",
        "POP_ITEM_MENU_FILTER_PASTE",
        "POP_EDIT_MENU_EDIT",
        "POP_EDIT_MENU_COPY",
        "POP_EDIT_MENU_PASTE",
        "POP_EDIT_MENU_ALL_SELECT",
        "POP_EDIT_MENU_LEFT",
        "POP_EDIT_MENU_RIGHT",
        "POP_ALIGN_MENU_ALIGN",
        "POP_ALIGN_MENU_START_TIME",
        "POP_ALIGN_MENU_PLAY_TIME",
        "POP_ALIGN_MENU_START_EARLY",
        "POP_ALIGN_MENU_START_LATE",
        "POP_ALIGN_MENU_PLAY_SHORT",
        "POP_ALIGN_MENU_PLAY_LONG",
        "TL_ITEM_CAMERA_NONE",
    };
    ASSERT_EQ(keysBySlot.size(), ViewTextRecord::kSlotCount);
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("Language.dat"), EveryKeySetTo(QString()).toUtf8());
    const ViewTextRecord record = MakeViewTextRecord(LoadedFrom(folder));
    for (int slot = 0; slot < ViewTextRecord::kSlotCount; ++slot)
        EXPECT_EQ(record.texts[size_t(slot)], keysBySlot[slot]) << "slot " << slot;
}

TEST(LanguageData, TheFileIsFoundWhateverTheCaseOfItsName)
{
    // The remote program spells the shared file "Language.Dat"; Windows finds either spelling.
    for (const char* name : { "Language.Dat", "LANGUAGE.DAT" }) {
        SCOPED_TRACE(name);
        CTempFolder folder;
        folder.WriteFile(QString::fromLatin1(name), QByteArray("[FILE_MENU]\nFILE_MENU_FILE=File\n"));
        EXPECT_EQ(LoadedFrom(folder).GetFileMenuFile(), QStringLiteral("File"));
    }
    // The name as written comes first.
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("LANGUAGE.DAT"), QByteArray("[FILE_MENU]\nFILE_MENU_FILE=Upper\n"));
    folder.WriteFile(QStringLiteral("Language.dat"), QByteArray("[FILE_MENU]\nFILE_MENU_FILE=Exact\n"));
    EXPECT_EQ(LoadedFrom(folder).GetFileMenuFile(), QStringLiteral("Exact"));
}
