#include "project/project_xml.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/project/project_test_data.h"

#include <gtest/gtest.h>

namespace {

QString ProjectFile(const CTempFolder& temp, const QByteArray& body, const char* root = "Project")
{
    return temp.WriteFile(
        QStringLiteral("show.xml"), kDeclaration + "<" + root + ">" + body + "</" + root + ">");
}

TEST(ProjectXml, CreateWritesTheNewProjectLayoutAndRefusesAnExistingFile)
{
    CTempFolder temp;
    const QString path = temp.FilePath(QStringLiteral("show.xml"));
    CProjectXml project;
    ASSERT_TRUE(project.CreateProjectXml(path, 36000));
    const QByteArray expected = kDeclaration
        + "<Project>\n\t<Version>1.0</Version>\n\t<ProjectTime>36000</ProjectTime>\n\t<TotalTime>36000</"
          "TotalTime>\n"
          "\t<StartTime>0</StartTime>\n\t<EndTime>36000</EndTime>\n\t<Loop>0</Loop>\n\t<Channel>\n\t\t<No>1</"
          "No>\n"
          "\t\t<FilePath>Channel_1.xml</FilePath>\n\t\t<Status>1</Status>\n\t</Channel>\n</Project>\n";
    EXPECT_EQ(temp.ReadFile(QStringLiteral("show.xml")), expected);
    EXPECT_EQ(project.GetChannelCount(), 0); // creating fills nothing in memory

    CProjectXml again;
    EXPECT_FALSE(again.CreateProjectXml(path, 100));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("show.xml")), expected);
    EXPECT_FALSE(again.CreateProjectXml(QString(), 100));
    EXPECT_FALSE(again.CreateProjectXml(temp.FilePath(QStringLiteral("missing/show.xml")), 100));
    EXPECT_FALSE(QFileInfo::exists(temp.FilePath(QStringLiteral("missing/show.xml"))));
}

TEST(ProjectXml, LoadReadsHeaderAndChannels)
{
    struct Case {
        const char* name;
        QByteArray body;
        bool loaded;
        int32_t projectTime;
        int32_t loop;
        int32_t channelCount;
        size_t channels;
    };
    const Case cases[] = {
        { "complete",
            "<Version>1.0</Version><ProjectTime>500</ProjectTime><Loop>1</Loop>"
            "<Channel><No>1</No><FilePath>Channel_1.xml</FilePath><Status>1</Status></Channel>",
            true, 500, 1, 1, 1 },
        { "no loop", "<ProjectTime>12ab</ProjectTime><Channel><No>1</No></Channel>", true, 12, 0, 1, 1 },
        { "text that is no number", "<ProjectTime>abc</ProjectTime>", true, 0, 0, 0, 0 },
        { "two channels with one number",
            "<Channel><No>1</No><Status>0</Status></Channel><Channel><No>1</No><Status>1</Status></Channel>",
            true, 0, 0, 2, 1 },
        { "version too long", "<Version>1234567890</Version>", false, 0, 0, 0, 0 },
        { "channel file name too long",
            "<Channel><No>1</No><FilePath>" + QByteArray(kMaxEntryTextLength + 1, 'c')
                + "</FilePath></Channel>",
            false, 0, 0, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        CProjectXml project;
        EXPECT_EQ(project.LoadProjectXml(ProjectFile(temp, c.body)), c.loaded);
        EXPECT_EQ(project.ProjectTime, c.projectTime);
        EXPECT_EQ(project.Loop, c.loop);
        EXPECT_EQ(project.GetChannelCount(), c.channelCount);
        EXPECT_EQ(project.Channels().size(), c.channels);
        EXPECT_EQ(project.Xml().IsLoaded(), c.loaded);
    }
    CTempFolder temp;
    CProjectXml project;
    ASSERT_TRUE(project.LoadProjectXml(ProjectFile(temp,
        "<Channel><No>1</No><Status>0</Status></Channel>"
        "<Channel><No>1</No><Status>1</Status></Channel>")));
    ChannelXmlRecord channel;
    ASSERT_TRUE(project.GetChannel(1, &channel));
    EXPECT_EQ(channel.Status, 1);
    EXPECT_FALSE(project.GetChannel(2, &channel));
    EXPECT_FALSE(project.GetChannel(1, nullptr));
    for (const char* root : { "project", "Face" }) {
        SCOPED_TRACE(root);
        EXPECT_FALSE(project.LoadProjectXml(ProjectFile(temp, "<Loop>1</Loop>", root)));
        EXPECT_EQ(project.Loop, 0);
        EXPECT_FALSE(project.UpdateProjectXml());
    }
}

TEST(ProjectXml, UpdateRewritesTheHeaderOnly)
{
    CTempFolder temp;
    const QByteArray body
        = "<Version>1.0</Version><Extra>x</Extra><ProjectTime>10</ProjectTime><TotalTime>10</TotalTime>"
          "<StartTime>0</StartTime><EndTime>10</EndTime><Loop>0</Loop>"
          "<Channel><No>1</No><FilePath>Channel_1.xml</FilePath><Status>1</Status></Channel>";
    const QString path = ProjectFile(temp, body);
    CProjectXml project;
    ASSERT_TRUE(project.LoadProjectXml(path));
    ASSERT_TRUE(project.UpdateProjectXml());
    CXmlData unchanged;
    ASSERT_TRUE(unchanged.LoadXmlData(path));
    std::ostringstream text;
    unchanged.Root().print(text, "", pugi::format_raw);
    EXPECT_EQ(QByteArray::fromStdString(text.str()), "<Project>" + body + "</Project>");

    project.Loop = 1;
    project.StartTime = 2;
    project.EndTime = 8;
    project.Version = QStringLiteral("2.0");
    ASSERT_TRUE(project.UpdateProjectXml());
    CProjectXml reread;
    ASSERT_TRUE(reread.LoadProjectXml(path));
    EXPECT_EQ(reread.Loop, 1);
    EXPECT_EQ(reread.StartTime, 2);
    EXPECT_EQ(reread.EndTime, 8);
    EXPECT_EQ(reread.Version, QStringLiteral("2.0"));
    EXPECT_EQ(reread.Channels().size(), 1u);

    const QByteArray saved = temp.ReadFile(QStringLiteral("show.xml"));
    reread.Version = QStringLiteral("1234567890");
    EXPECT_FALSE(reread.UpdateProjectXml());
    EXPECT_EQ(temp.ReadFile(QStringLiteral("show.xml")), saved);

    // A header element missing from the file: nothing is saved.
    CTempFolder other;
    CProjectXml partial;
    ASSERT_TRUE(
        partial.LoadProjectXml(ProjectFile(other, "<Version>1.0</Version><ProjectTime>1</ProjectTime>")));
    const QByteArray before = other.ReadFile(QStringLiteral("show.xml"));
    partial.ProjectTime = 5;
    EXPECT_FALSE(partial.UpdateProjectXml());
    EXPECT_EQ(other.ReadFile(QStringLiteral("show.xml")), before);
}

} // namespace
