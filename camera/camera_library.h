#pragma once

#include <QImage>
#include <QString>
#include <memory>

struct KaleidraCamera;
struct KaleidraCameraApi;

// One video device opened for capture through the camera support library.
class CCameraDevice {
public:
    ~CCameraDevice();
    CCameraDevice(const CCameraDevice&) = delete;
    CCameraDevice& operator=(const CCameraDevice&) = delete;

    // One frame in QImage::Format_RGB888 or QImage::Format_RGBA8888, a copy of its own; a null
    // image when the camera gave none.
    QImage Read(QImage::Format format);
    // A capture property (3 frame width, 4 frame height); 0 when the camera does not tell.
    double Get(int property) const;
    bool Set(int property, double value);

private:
    friend class CCameraLibrary;
    CCameraDevice(const KaleidraCameraApi& api, KaleidraCamera* camera);

    const KaleidraCameraApi& m_api;
    KaleidraCamera* m_camera;
};

// The camera support: a library of ours that links OpenCV, kept out of the programs' start
// (OpenCV's video module pulls in a large part of the system's libraries) and opened the first
// time a camera is used. It lies beside the programs' own files, in the build tree as in an
// installation. Once loaded it stays loaded.
class CCameraLibrary {
public:
    static constexpr const char* kFileName = "libkaleidra_camera.so";

    // The library beside the running program, opened on the first call from any thread. When it
    // cannot be loaded the reason is logged once, and every camera fails to open.
    static const CCameraLibrary& Shared();

    // Opens the library at the path now; a failure is logged.
    explicit CCameraLibrary(const QString& path);

    bool IsLoaded() const { return m_api != nullptr; }
    // Why the library could not be loaded; empty when it was.
    const QString& ErrorText() const { return m_errorText; }
    // The device /dev/video<deviceNumber>; null when it cannot be opened or the library is not
    // loaded.
    std::unique_ptr<CCameraDevice> Open(int deviceNumber) const;

private:
    const KaleidraCameraApi* m_api = nullptr;
    QString m_errorText;
};
