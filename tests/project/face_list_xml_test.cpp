#include "project/face_list_xml.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/project/project_test_data.h"

#include <gtest/gtest.h>

namespace {

QString ChannelFile(const CTempFolder& temp, const QByteArray& faces)
{
    return temp.WriteFile(QStringLiteral("Channel_1.xml"), kDeclaration + "<Channel>" + faces + "</Channel>");
}

QByteArray FaceElement(int no, const QByteArray& extra = QByteArray())
{
    const QByteArray n = QByteArray::number(no);
    return "<Face><No>" + n + "</No><FilePath>Face_" + n + ".xml</FilePath><Status>1</Status><Lock>0</Lock>"
        + extra + "</Face>";
}

bool Store(CFaceListXml& faces, const FaceXmlRecord& entry)
{
    faces.Face(entry.No) = entry;
    faces.SetCount(int32_t(faces.Faces().size()));
    return faces.SaveFaceXml();
}

QStringList FaceNumbers(const QString& path)
{
    CXmlData xml;
    EXPECT_TRUE(xml.LoadXmlData(path));
    QStringList numbers;
    for (pugi::xml_node face = xml.Root().child("Face"); face; face = face.next_sibling("Face"))
        numbers.append(QString::fromUtf8(face.child_value("No")));
    return numbers;
}

TEST(FaceListXml, EveryFieldRoundTripsNewAndRewritten)
{
    CTempFolder temp;
    const QString path = ChannelFile(temp, QByteArray());
    CFaceListXml faces;
    ASSERT_TRUE(faces.LoadFaceXml(path));
    ASSERT_TRUE(Store(faces, FilledFace(2)));
    ASSERT_TRUE(Store(faces, FilledFace(1)));
    FaceXmlRecord changed = FilledFace(2);
    changed.R = 255;
    changed.X = { 9, 8, 7, 6 };
    changed.FilePath = QStringLiteral("顔_2.xml");
    ASSERT_TRUE(Store(faces, changed));

    CFaceListXml reread;
    ASSERT_TRUE(reread.LoadFaceXml(path));
    EXPECT_EQ(reread.GetCount(), 2);
    FaceXmlRecord out;
    EXPECT_EQ(reread.GetFaceByIndex(0, &out), 1);
    EXPECT_EQ(out, FilledFace(1));
    EXPECT_EQ(reread.GetFaceByIndex(1, &out), 2);
    EXPECT_EQ(out, changed);
    EXPECT_EQ(FaceNumbers(path), QStringList({ QStringLiteral("2"), QStringLiteral("1") }));
    const pugi::xml_node position = reread.Xml().Root().child("Face").child("Position");
    QStringList names;
    for (pugi::xml_node child = position.first_child(); child; child = child.next_sibling())
        names.append(QString::fromUtf8(child.name()));
    EXPECT_EQ(names.join(QString()), QStringLiteral("XYXYXYXY"));
}

TEST(FaceListXml, NewFacesAreWrittenInTheFileLayout)
{
    CTempFolder temp;
    const QString path = ChannelFile(temp, QByteArray());
    CFaceListXml faces;
    ASSERT_TRUE(faces.LoadFaceXml(path));
    ASSERT_TRUE(Store(faces, FilledFace(3)));
    CXmlData xml;
    ASSERT_TRUE(xml.LoadXmlData(path));
    const pugi::xml_node face = xml.Root().child("Face");
    const auto childNames = [](pugi::xml_node element) {
        QStringList names;
        for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
            names.append(
                QString::fromUtf8(child.name()) + QLatin1Char('=') + QString::fromUtf8(child.child_value()));
        return names.join(QLatin1Char(' '));
    };
    EXPECT_EQ(childNames(face), QStringLiteral("No=3 FilePath=Face_3.xml Status=1 Lock=1 Color= Position="));
    EXPECT_EQ(childNames(face.child("Color")), QStringLiteral("R=13 G=23 B=33"));
    EXPECT_EQ(childNames(face.child("Position")), QStringLiteral("X=3 Y=-3 X=6 Y=-6 X=9 Y=-9 X=12 Y=-12"));
    EXPECT_FALSE(face.next_sibling());
}

TEST(FaceListXml, LoadTolerance)
{
    CTempFolder temp;
    const QString path = ChannelFile(temp,
        FaceElement(4)
            + FaceElement(2, "<Position><X>1</X><X>2</X><X>3</X><X>4</X><X>5</X><X>6</X><Y>7</Y></Position>")
            + "<Face><FilePath>Face_9.xml</FilePath></Face>" + FaceElement(4, "<Color><R>5</R></Color>"));
    CFaceListXml faces;
    ASSERT_TRUE(faces.LoadFaceXml(path));
    EXPECT_EQ(faces.GetCount(), 4);
    ASSERT_EQ(faces.Faces().size(), 3u);
    FaceXmlRecord out;
    EXPECT_EQ(faces.GetFaceByIndex(0, &out), 0); // a face without "No" is face 0
    EXPECT_EQ(faces.GetFaceByIndex(1, &out), 2); // ascending numbers, whatever the file order
    EXPECT_EQ(out.X, (std::array<int32_t, 4> { 1, 2, 3, 4 }));
    EXPECT_EQ(out.Y, (std::array<int32_t, 4> { 7, 0, 0, 0 }));
    EXPECT_EQ(out.R, 0);
    EXPECT_EQ(out.G, 0);
    EXPECT_EQ(out.B, 0);
    EXPECT_EQ(faces.GetFaceByIndex(3, &out), -1);
    out.No = 4;
    ASSERT_TRUE(faces.GetFace(&out));
    EXPECT_EQ(out.R, 5); // the later duplicate wins
    out.No = 7;
    EXPECT_FALSE(faces.GetFace(&out));
    EXPECT_FALSE(faces.GetFace(nullptr));

    for (const QByteArray& bad : { kDeclaration + "<Face>" + FaceElement(1) + "</Face>",
             kDeclaration + "<Channel><Face><FilePath>" + QByteArray(kMaxEntryTextLength + 1, 'a')
                 + "</FilePath></Face></Channel>" }) {
        SCOPED_TRACE(bad.constData());
        EXPECT_FALSE(faces.LoadFaceXml(temp.WriteFile(QStringLiteral("bad.xml"), bad)));
        EXPECT_TRUE(faces.Faces().empty());
        EXPECT_EQ(faces.GetCount(), 0);
        EXPECT_FALSE(faces.SaveFaceXml());
    }
}

TEST(FaceListXml, DeletedFacesAreRemovedAndReaddedLast)
{
    CTempFolder temp;
    const QString path = ChannelFile(temp, FaceElement(1) + FaceElement(2) + FaceElement(3) + FaceElement(4));
    const QByteArray unformatted = temp.ReadFile(QStringLiteral("Channel_1.xml"));
    CFaceListXml faces;
    ASSERT_TRUE(faces.LoadFaceXml(path));
    EXPECT_TRUE(faces.DeleteFace(7));
    EXPECT_EQ(temp.ReadFile(QStringLiteral("Channel_1.xml")), unformatted); // nothing written
    ASSERT_TRUE(faces.DeleteFace(3));
    EXPECT_EQ(faces.GetCount(), 3);
    EXPECT_EQ(
        FaceNumbers(path), QStringList({ QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4") }));
    ASSERT_TRUE(Store(faces, FilledFace(3)));
    EXPECT_EQ(FaceNumbers(path),
        QStringList({ QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("3") }));
}

TEST(FaceListXml, RewriteCompletesPartialFacesAndRefusesMissingRequiredOnes)
{
    struct Case {
        const char* name;
        QByteArray face;
        bool saved;
    };
    const Case cases[] = {
        { "no colour, no position", FaceElement(1), true },
        { "two corners only", FaceElement(1, "<Position><X>1</X><Y>1</Y><X>2</X><Y>2</Y></Position>"), true },
        { "colour without blue", FaceElement(1, "<Color><R>1</R><G>1</G></Color>"), false },
        { "no status", "<Face><No>1</No><FilePath>Face_1.xml</FilePath><Lock>0</Lock></Face>", false },
        { "no file name", "<Face><No>1</No><Status>1</Status><Lock>0</Lock></Face>", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        const QString path = ChannelFile(temp, c.face);
        const QByteArray before = temp.ReadFile(QStringLiteral("Channel_1.xml"));
        CFaceListXml faces;
        ASSERT_TRUE(faces.LoadFaceXml(path));
        EXPECT_EQ(Store(faces, FilledFace(1)), c.saved);
        if (!c.saved) {
            EXPECT_EQ(temp.ReadFile(QStringLiteral("Channel_1.xml")), before);
            continue;
        }
        CFaceListXml reread;
        ASSERT_TRUE(reread.LoadFaceXml(path));
        EXPECT_EQ(reread.Faces().at(1), FilledFace(1));
    }
}

} // namespace
