// The project-XML loader and its header update: any bytes load or are refused; a successful
// update reads back with the new header and the channels as they were.
#include "fuzz/fuzz_support.h"
#include "project/project_xml.h"

using fuzz_support::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz_support::WriteInput(QStringLiteral("show/show.xml"), data, size);
    CProjectXml project;
    if (!project.LoadProjectXml(path)) {
        Check(project.Channels().empty() && project.GetChannelCount() == 0, "a refused file leaves nothing");
        return 0;
    }
    Check(project.Channels().size() <= size_t(project.GetChannelCount()), "every channel was counted");
    Check(project.Version.size() <= CProjectXml::kMaxVersionLength, "the version fits its field");
    ChannelXmlRecord channel;
    (void)project.GetChannel(1, &channel);

    project.ProjectTime ^= 1;
    project.Loop = project.Loop ? 0 : 1;
    project.Version = QStringLiteral("1.0");
    if (!project.UpdateProjectXml())
        return 0;
    CProjectXml reread;
    Check(reread.LoadProjectXml(path), "an updated file loads");
    Check(reread.Version == project.Version && reread.ProjectTime == project.ProjectTime
            && reread.TotalTime == project.TotalTime && reread.StartTime == project.StartTime
            && reread.EndTime == project.EndTime && reread.Loop == project.Loop,
        "the header reads back as written");
    Check(reread.Channels() == project.Channels() && reread.GetChannelCount() == project.GetChannelCount(),
        "the channels are as they were");
    return 0;
}
