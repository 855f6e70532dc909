#include "tests/e2e/remote_program.h"

#include "tests/e2e/show_fixture.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

namespace {

// The remote's form (the view below its menu bar) and the middles of its controls.
constexpr int kFormHeight = 300;
const QPoint kCurrentTimeField(94 + 212 / 2, 204 + 26 / 2);
const QPoint kTopButton(40 + 43 / 2, 50 + 42 / 2);
const QPoint kLoopButton(302 + 43 / 2, 50 + 42 / 2);
const QPoint kStartPauseButton(109 + 167 / 2, 120 + 42 / 2);
const QRect kPlayTimeField(94, 234, 212, 26);

bool IsOneColour(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != image.pixel(0, 0))
                return false;
        }
    }
    return true;
}

} // namespace

CRemoteProgram::~CRemoteProgram()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

bool CRemoteProgram::Start()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KALEIDRA_REMOTE_TEST_LISTEN"), QStringLiteral("127.0.0.1:0"));
    m_process.setProcessEnvironment(environment);
    m_process.start(QStringLiteral(KALEIDRA_REMOTE_PATH), {});
    if (!m_process.waitForStarted(10000))
        return false;
    QByteArray output;
    const QRegularExpression listening(QStringLiteral("listening on port (\\d+)"));
    QDeadlineTimer deadline(20000);
    while (m_port == 0) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        if (m_process.waitForReadyRead(100))
            output += m_process.readAllStandardOutput();
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(output));
        if (match.hasMatch())
            m_port = uint16_t(match.captured(1).toUInt());
    }
    // Its top-level window, and where it lies.
    QString found;
    while (m_window.isEmpty()) {
        if (deadline.hasExpired())
            return false;
        if (XdoTool({ QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                        QString::number(m_process.processId()) },
                &found))
            m_window = found.split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(0);
    }
    QString geometry;
    if (!XdoTool({ QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), m_window }, &geometry))
        return false;
    const auto value = [&geometry](const char* name) {
        const QRegularExpression line(QStringLiteral("%1=(\\d+)").arg(QLatin1String(name)));
        return line.match(geometry).captured(1).toInt();
    };
    m_geometry = QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
    if (m_geometry.height() < kFormHeight)
        return false;
    // The field with no play time, once it is painted: text on it, the same twice running.
    QImage previous;
    while (!deadline.hasExpired()) {
        QImage field = PlayTimeField();
        if (!field.isNull() && !IsOneColour(field) && field == previous) {
            m_noPlayTime = field;
            return true;
        }
        previous = std::move(field);
        QTest::qWait(100);
    }
    return false;
}

QImage CRemoteProgram::PlayTimeField()
{
    if (!XdoTool({ QStringLiteral("windowraise"), m_window }))
        return {};
    const QRect field(OnDisplay(kPlayTimeField.topLeft()), kPlayTimeField.size());
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, field.x(), field.y(), field.width(), field.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

bool CRemoteProgram::WaitUntilPlayTimeShown(int timeoutMs)
{
    return QTest::qWaitFor(
        [this] {
            const QImage field = PlayTimeField();
            return !field.isNull() && field != m_noPlayTime;
        },
        timeoutMs);
}

bool CRemoteProgram::Focus()
{
    // Above the viewer's output, which may cover the display.
    if (!XdoTool({ QStringLiteral("windowraise"), m_window }))
        return false;
    // Focus is given only when the window does not have it: given again, it goes out and back
    // in, and a key pressed meanwhile is lost.
    QString focused;
    if (XdoTool({ QStringLiteral("getwindowfocus") }, &focused) && focused.trimmed() == m_window)
        return true;
    return XdoTool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), m_window });
}

QPoint CRemoteProgram::OnDisplay(QPoint formPoint) const
{
    // The form lies at the bottom of the window, below the menu bar.
    return m_geometry.topLeft() + QPoint(0, m_geometry.height() - kFormHeight) + formPoint;
}

bool CRemoteProgram::Click(Button button)
{
    const QPoint point = OnDisplay(button == Button::Top ? kTopButton
            : button == Button::Loop                     ? kLoopButton
                                                         : kStartPauseButton);
    // As a hand does: the pointer comes onto the button, rests, presses and lets go. A press
    // without the pointer having come onto the button is not always taken by it.
    const auto at = [](QPoint p) { return QStringList { QString::number(p.x()), QString::number(p.y()) }; };
    const QStringList rest = { QStringLiteral("sleep"), QStringLiteral("0.2") };
    return Focus()
        && XdoTool(QStringList { QStringLiteral("mousemove") } + at(point + QPoint(40, 60)) + rest
            + QStringList { QStringLiteral("mousemove") } + at(point) + rest
            + QStringList { QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"),
                QStringLiteral("0.1"), QStringLiteral("mouseup"), QStringLiteral("1") });
}

bool CRemoteProgram::TypeCurrentTime(const QString& time)
{
    const QPoint field = OnDisplay(kCurrentTimeField);
    // "type" takes every argument after it as text: the keys go in calls of their own.
    return Focus()
        && XdoTool({ QStringLiteral("mousemove"), QString::number(field.x()), QString::number(field.y()),
            QStringLiteral("click"), QStringLiteral("1"), QStringLiteral("key"), QStringLiteral("ctrl+a") })
        && XdoTool({ QStringLiteral("type"), time })
        && XdoTool({ QStringLiteral("key"), QStringLiteral("Return") });
}

QString CRemoteProgram::Diagnostics()
{
    return QString::fromUtf8(m_process.readAllStandardError());
}
