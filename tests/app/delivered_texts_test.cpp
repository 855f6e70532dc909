#include "tests/app/delivered_files.h"
#include "tests/core/qstring_printer.h"

#include "core/language_data.h"
#include "core/message_catalog.h"
#include "core/program_data_file.h"
#include "platform/profile_file.h"
#include "remote/language_ini.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace {

constexpr int kFirstRemoteText = WINDOW_TITLE;
constexpr int kLastRemoteText = ASK_EXIT;
const QString kRemoteSection = QStringLiteral("REMOTE");

platform::CProfileFile DeliveredProfile(const QString& name)
{
    const std::optional<platform::CProfileFile> file = LoadProgramDataFile(ProgramFolderOfBuild(), name);
    EXPECT_TRUE(file.has_value()) << name.toStdString() << " is not delivered";
    return file.value_or(platform::CProfileFile());
}

std::map<int, QString> RemoteTexts(const QString& path)
{
    CLanguageIni language;
    language.SetDefaultPath(path);
    language.Load(path);
    std::map<int, QString> texts;
    for (int id = kFirstRemoteText; id <= kLastRemoteText; ++id)
        texts[id] = language.GetText(id);
    return texts;
}

} // namespace

// The editor's sections hold every text of the table, each read back as exactly its built-in
// value, and nothing the editor does not read.
TEST(DeliveredTexts, TheLanguageFileLoadsToTheEditorsBuiltInTexts)
{
    const platform::CProfileFile file = DeliveredProfile(QStringLiteral("Language.dat"));
    std::map<QString, QSet<QString>> known;
    for (int i = 0; i < CLanguageData::kTextCount; ++i) {
        const auto index = CLanguageData::TextIndex(i);
        SCOPED_TRACE(CLanguageData::KeyOf(index).toStdString());
        known[CLanguageData::SectionOf(index).toUpper()].insert(CLanguageData::KeyOf(index).toUpper());
        const std::optional<QString> value
            = file.Value(CLanguageData::SectionOf(index), CLanguageData::KeyOf(index));
        ASSERT_TRUE(value.has_value()) << "not in the file";
        EXPECT_EQ(*value, CLanguageData::DefaultOf(index));
    }
    CLanguageData language;
    ASSERT_EQ(language.LoadFromFolder(ProgramFolderOfBuild()), 1);
    for (int i = 0; i < CLanguageData::kTextCount; ++i) {
        const auto index = CLanguageData::TextIndex(i);
        EXPECT_EQ(language.Text(index), CLanguageData::DefaultOf(index))
            << CLanguageData::KeyOf(index).toStdString();
    }
    for (const QString& section : file.Sections()) {
        if (section.compare(kRemoteSection, Qt::CaseInsensitive) == 0)
            continue;
        ASSERT_TRUE(known.count(section.toUpper())) << "unknown section " << section.toStdString();
        for (const QString& key : file.Keys(section))
            EXPECT_TRUE(known[section.toUpper()].contains(key.toUpper()))
                << "unknown key " << key.toStdString();
    }
}

// KaleidraRemote reads section REMOTE of the same file ("Language.Dat" to it): every key there is
// one the program reads, and the texts come out as its built-in ones.
TEST(DeliveredTexts, TheLanguageFileLoadsToTheRemotesBuiltInTexts)
{
    const QString delivered = DeliveredFile(QStringLiteral("Language.Dat"));
    CTempFolder nowhere;
    const std::map<int, QString> builtIn = RemoteTexts(nowhere.FilePath(QStringLiteral("Language.Dat")));
    EXPECT_EQ(RemoteTexts(delivered), builtIn);
    EXPECT_EQ(builtIn.at(WINDOW_TITLE), QStringLiteral("Kaleidra リモコンソフト"));

    // Each key of the section is read: a changed value shows in exactly one text.
    const platform::CProfileFile file = DeliveredProfile(QStringLiteral("Language.dat"));
    const QStringList keys = file.Keys(kRemoteSection);
    EXPECT_EQ(keys.size(), kLastRemoteText - kFirstRemoteText + 1);
    CTempFolder folder;
    for (const QString& key : keys) {
        SCOPED_TRACE(key.toStdString());
        platform::CProfileFile changed = file;
        ASSERT_TRUE(changed.SetValue(kRemoteSection, key, QStringLiteral("changed ") + key));
        const QString path = folder.WriteFile(QStringLiteral("Language.Dat"), changed.ToText().toUtf8());
        int differing = 0;
        for (const auto& [id, text] : RemoteTexts(path)) {
            if (text != builtIn.at(id)) {
                EXPECT_EQ(text, QStringLiteral("changed ") + key);
                ++differing;
            }
        }
        EXPECT_EQ(differing, 1);
    }
}

// Every message is in the file as the catalogue's built-in text (line breaks written as "\n"),
// and loading the file refuses nothing (a refusal would show a message box).
TEST(DeliveredTexts, TheMessageFileLoadsToTheBuiltInMessages)
{
    CScriptedDialogService dialogs;
    CMessageCatalog builtIn;
    CMessageCatalog loaded;
    EXPECT_EQ(loaded.LoadFromFolder(ProgramFolderOfBuild()), 1);
    EXPECT_TRUE(dialogs.Requests().empty());
    for (int id = 0; id < kMessageCount; ++id)
        EXPECT_EQ(loaded.GetMessage(id), builtIn.GetMessage(id)) << id;

    const platform::CProfileFile file = DeliveredProfile(QStringLiteral("Message.dat"));
    EXPECT_EQ(file.Sections(), QStringList { QStringLiteral("MESSAGE") });
    QSet<QString> expected;
    for (int id = 0; id < kMessageCount; ++id) {
        const QString key = QStringLiteral("MSG_%1").arg(id + 1, 3, 10, QLatin1Char('0'));
        expected.insert(key);
        const std::optional<QString> value = file.Value(QStringLiteral("MESSAGE"), key);
        ASSERT_TRUE(value.has_value()) << key.toStdString() << " is not in the file";
        EXPECT_EQ(
            QString(*value).replace(QStringLiteral("\\n"), QStringLiteral("\n")), builtIn.GetMessage(id))
            << key.toStdString();
    }
    for (const QString& key : file.Keys(QStringLiteral("MESSAGE")))
        EXPECT_TRUE(expected.contains(key)) << "unknown key " << key.toStdString();
}
