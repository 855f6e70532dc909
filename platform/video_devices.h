#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace platform {

// The number N of a device node named "videoN"; nothing for any other name.
std::optional<int> VideoNodeNumber(QStringView name);

// The video devices that can capture pictures (the V4L2 nodes whose device capabilities include
// video capture), by node number in increasing order: the cameras, as the camera dialog counts
// them. Metadata and output nodes, and anything that is not a character device, are left out.
std::vector<int> CaptureDeviceNumbers(const QString& deviceFolder = QStringLiteral("/dev"));

} // namespace platform
