// The channel-file loader and its in-place rewrite: any bytes load or are refused; after a
// change of one face and a new one, a successful save reads back as the store held it.
#include "fuzz/fuzz_support.h"
#include "project/face_list_xml.h"

using fuzz_support::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz_support::WriteInput(QStringLiteral("Channel_1.xml"), data, size);
    CFaceListXml faces;
    if (!faces.LoadFaceXml(path)) {
        Check(faces.Faces().empty() && faces.GetCount() == 0, "a refused file leaves the store empty");
        return 0;
    }
    Check(faces.Faces().size() <= size_t(faces.GetCount()), "every entry was counted");
    FaceXmlRecord out;
    for (int32_t i = 0; i < faces.GetCount(); ++i)
        (void)faces.GetFaceByIndex(i, &out);

    if (!faces.Faces().empty()) {
        FaceXmlRecord& first = faces.Faces().begin()->second;
        first.R ^= 1;
        first.X[3] = -first.X[3] / 2;
    }
    const int32_t last = faces.Faces().empty() ? 0 : faces.Faces().rbegin()->first;
    if (last < INT32_MAX) {
        FaceXmlRecord added;
        added.No = last + 1;
        added.FilePath = QStringLiteral("Face_%1.xml").arg(added.No);
        added.Y = { 1, 2, 3, 4 };
        faces.Face(added.No) = added;
    }
    faces.SetCount(int32_t(faces.Faces().size()));
    if (!faces.SaveFaceXml())
        return 0;
    CFaceListXml reread;
    Check(reread.LoadFaceXml(path), "a saved file loads");
    Check(reread.GetCount() == int32_t(faces.Faces().size()), "the file holds one element per entry");
    Check(reread.Faces() == faces.Faces(), "every entry reads back as stored");
    return 0;
}
