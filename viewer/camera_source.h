#pragma once

#include "viewer/video_frame.h"

#include <condition_variable>
#include <mutex>
#include <thread>

// A live camera, read on a thread of its own. Cameras are the capture devices in the order the
// camera dialog finds them: camera number n is video device n. While the camera cannot be
// opened or gives no pictures, the thread tries again every few seconds and the face shows the
// "no signal" picture.
class CCameraSource {
public:
    // Width and height ask the camera for a picture size; 0 keeps the camera's own.
    CCameraSource(int cameraId, int width, int height);
    ~CCameraSource();
    CCameraSource(const CCameraSource&) = delete;
    CCameraSource& operator=(const CCameraSource&) = delete;

    int CameraId() const { return m_cameraId; }
    // The newest picture; nullptr while there is no signal.
    VideoFramePtr Latest() const;

private:
    void Run(std::stop_token stop);

    const int m_cameraId;
    const int m_width;
    const int m_height;
    mutable std::mutex m_mutex;
    std::condition_variable_any m_wake;
    VideoFramePtr m_latest;
    std::jthread m_thread;
};

// The picture a camera face shows without a signal: the words "NO SIGNAL" and the camera's
// number on dark grey with a frame, at the given size.
QImage NoSignalPicture(int cameraId, QSize size);
